#include "app/run_status.h"

#include <algorithm>
#include <charconv>
#include <fstream>
#include <sstream>
#include <system_error>
#include <utility>

#include "core/datetime_text.h"
#include "core/error.h"
#include "settings/replace_file.h"

namespace csv2sql {

namespace {

namespace fs = std::filesystem;

constexpr const char* kTimePattern = "yyyy-mm-dd hh:nn:ss";

struct ResultName {
  RunStatus::Result result;
  std::string_view name;
};
constexpr ResultName kResults[] = {{RunStatus::Result::Normal, "normal"},
                                   {RunStatus::Result::FilesLeft, "normal with files left"},
                                   {RunStatus::Result::Failed, "failed"}};

// A value keeps to its line: a line end inside it (a server's message of several lines) would
// cut it short.
std::string oneLine(std::string text) {
  std::ranges::replace(text, '\r', ' ');
  std::ranges::replace(text, '\n', ' ');
  return text;
}

std::optional<std::int64_t> count(std::string_view text) {
  std::int64_t number = 0;
  const char* end = text.data() + text.size();
  const auto [stop, error] = std::from_chars(text.data(), end, number);
  if (text.empty() || error != std::errc() || stop != end || number < 0) return std::nullopt;
  return number;
}

std::optional<RunStatus::Result> resultNamed(std::string_view name) {
  for (const ResultName& result : kResults) {
    if (result.name == name) return result.result;
  }
  return std::nullopt;
}

// Sets one key's field; false when its value cannot be read. Keys it does not know are passed
// over, so that a status written by a later version still reads.
bool readKey(RunStatus& status, std::string_view key, std::string_view value) {
  const auto time = [&](DateTime& field) {
    const std::optional<DateTime> read = parseDateTime(value);
    if (read) field = *read;
    return read.has_value();
  };
  const auto number = [&](std::int64_t& field) {
    const std::optional<std::int64_t> read = count(value);
    if (read) field = *read;
    return read.has_value();
  };
  if (key == "result") {
    const std::optional<RunStatus::Result> result = resultNamed(value);
    if (result) status.result = *result;
    return result.has_value();
  }
  if (key == "started") return time(status.started);
  if (key == "ended") return time(status.ended);
  if (key == "files") return number(status.files);
  if (key == "readings_stored") return number(status.stored);
  if (key == "rows_skipped") return number(status.skipped);
  if (key == "last_normal_end") return time(status.lastNormalEnd.emplace());
  if (key == "set_aside") status.setAside.emplace_back(value);
  if (key == "error") status.error = value;
  if (key == "next_run") status.nextRun = value;
  return true;
}

}  // namespace

fs::path statusFile(const fs::path& programFolder) {
  // The log folder, as the run log has it.
  return programFolder / "log" / "csv2sql.status";
}

RunStatus statusOf(const RunReport& report, const std::optional<RunStatus>& previous,
                   std::string nextRun) {
  RunStatus status;
  const bool failed = report.end == RunEnd::Failed;
  status.result = failed                    ? RunStatus::Result::Failed
                  : report.setAside.empty() ? RunStatus::Result::Normal
                                            : RunStatus::Result::FilesLeft;
  status.started = report.started.wholeSeconds();
  status.ended = report.ended.wholeSeconds();
  status.files = static_cast<std::int64_t>(report.files);
  status.stored = report.counts.stored;
  status.skipped = report.counts.skipped;
  status.setAside = report.setAside;
  status.error = report.errorLine;
  if (!failed) {
    status.lastNormalEnd = status.ended;
  } else if (previous) {
    status.lastNormalEnd = previous->lastNormalEnd;
  }
  status.nextRun = std::move(nextRun);
  return status;
}

std::string statusText(const RunStatus& status) {
  std::string text;
  const auto line = [&](std::string_view key, const std::string& value) {
    text += std::string(key) + "=" + oneLine(value) + "\n";
  };
  for (const ResultName& result : kResults) {
    if (result.result == status.result) line("result", std::string(result.name));
  }
  line("started", formatDateTime(status.started, kTimePattern));
  line("ended", formatDateTime(status.ended, kTimePattern));
  line("files", std::to_string(status.files));
  line("readings_stored", std::to_string(status.stored));
  line("rows_skipped", std::to_string(status.skipped));
  for (const std::string& file : status.setAside) line("set_aside", file);
  if (!status.error.empty()) line("error", status.error);
  if (status.lastNormalEnd) {
    line("last_normal_end", formatDateTime(*status.lastNormalEnd, kTimePattern));
  }
  if (!status.nextRun.empty()) line("next_run", status.nextRun);
  return text;
}

std::optional<RunStatus> parseStatus(std::string_view text) {
  RunStatus status;
  bool result = false, started = false, ended = false;
  std::istringstream lines{std::string(text)};
  for (std::string line; std::getline(lines, line);) {
    const std::size_t equals = line.find('=');
    if (equals == std::string::npos) continue;
    const std::string_view key = std::string_view(line).substr(0, equals);
    if (!readKey(status, key, std::string_view(line).substr(equals + 1))) return std::nullopt;
    result = result || key == "result";
    started = started || key == "started";
    ended = ended || key == "ended";
  }
  if (!result || !started || !ended) return std::nullopt;
  return status;
}

void writeRunStatus(const fs::path& file, const RunStatus& status) {
  std::error_code ec;
  fs::create_directories(file.parent_path(), ec);
  replaceFile(file, statusText(status));
}

std::optional<RunStatus> readRunStatus(const fs::path& file) {
  std::error_code ec;
  if (!fs::exists(file, ec) && !ec) return std::nullopt;
  std::ifstream in(file, std::ios::binary);
  std::ostringstream text;
  if (in.is_open()) text << in.rdbuf();
  if (!in.is_open() || in.bad()) {
    throw Error(err::PathFileAccess, "Path/File access error: cannot read " + file.string());
  }
  std::optional<RunStatus> status = parseStatus(text.str());
  if (!status) {
    throw Error(err::PathFileAccess,
                "Path/File access error: " + file.string() + " holds no run status");
  }
  return status;
}

}  // namespace csv2sql
