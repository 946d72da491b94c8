#!/usr/bin/env bash
# Runs the libFuzzer targets of fuzz/ on their seeds and regression inputs.
#   scripts/fuzz.sh MINUTES [TARGET...]   builds build-fuzz/ with clang, runs the targets (all
#                                         when none is named) two at a time, MINUTES each, at
#                                         low priority; new inputs stay in build-fuzz/corpus/,
#                                         crash inputs in build-fuzz/crashes/
#   scripts/fuzz.sh --build TREE          builds the targets in TREE (ctest)
#   scripts/fuzz.sh --smoke TREE TARGET   one target of a built tree for a few seconds (ctest)
# Each run prints its executions and crashes. A crash input found is copied into
# fuzz/regressions/TARGET/ with the fix it led to, so every later run replays it.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)

# run TREE TARGET SECONDS: the work corpus first, so that libFuzzer adds new inputs there.
run() {
  local tree=$1 target=$2 seconds=$3
  local work=$tree/corpus/$target crashes=$tree/crashes/$target
  mkdir -p "$work" "$crashes"
  local inputs=("$work" "$root/fuzz/corpus/$target")
  [ -d "$root/fuzz/regressions/$target" ] && inputs+=("$root/fuzz/regressions/$target")
  local status=0
  "$tree/bin/fuzz_$target" -max_total_time="$seconds" -timeout=60 -rss_limit_mb=4096 \
    -print_final_stats=1 -artifact_prefix="$crashes/" "${inputs[@]}" 2>"$tree/fuzz_$target.log" || status=$?
  echo "fuzz_$target: $(grep -oP 'stat::number_of_executed_units: \K\d+' "$tree/fuzz_$target.log") executions, $(find "$crashes" -type f | wc -l) crash inputs, exit $status"
  [ "$status" -eq 0 ] || tail -n 40 "$tree/fuzz_$target.log"
  return "$status"
}

# build TREE: a tree of its own, configured with clang.
build() {
  cmake -S "$root" -B "$1" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_C_COMPILER=clang \
    -DCMAKE_CXX_COMPILER=clang++ -DCSV2SQL_FUZZ=ON -DCSV2SQL_GUI=OFF >/dev/null
  cmake --build "$1" -j2 --target fuzz_all
}

if [ "${1:-}" = --build ]; then
  build "$2"
  exit
fi
if [ "${1:-}" = --smoke ]; then
  run "$2" "$3" 5
  exit
fi

minutes=${1:?usage: scripts/fuzz.sh MINUTES [TARGET...]}
shift
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=(ini_items date_time file_lines gzip_lines csv_rows date_format field_splitter)
tree=$root/build-fuzz
build "$tree"

failed=0
for ((i = 0; i < ${#targets[@]}; i += 2)); do
  pids=()
  for target in "${targets[@]:i:2}"; do
    nice -n 19 bash -c "$(declare -f run); root='$root'; run '$tree' '$target' $((minutes * 60))" &
    pids+=($!)
  done
  for pid in "${pids[@]}"; do wait "$pid" || failed=1; done
done
exit "$failed"
