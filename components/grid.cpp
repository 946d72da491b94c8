#include "components/grid.h"

#include "core/platform.h"

#include <algorithm>
#include <cstring>
#include <fstream>
#include <limits>
#include <map>
#include <new>

namespace csv2sql {

namespace {

constexpr std::int32_t kMaxIndex = std::numeric_limits<std::int32_t>::max();

// Field `column` (1-based) of a line; "" beyond its last field.
std::string_view field(std::string_view line, std::int32_t column) {
  for (std::int32_t skipped = 1; skipped < column; ++skipped) {
    const auto comma = line.find(',');
    if (comma == std::string_view::npos) return {};
    line.remove_prefix(comma + 1);
  }
  return line.substr(0, line.find(','));
}

// The non-empty fields of a line by column, for a row that setCell takes over.
std::map<std::int32_t, std::string> fields(std::string_view line) {
  std::map<std::int32_t, std::string> result;
  for (std::int32_t column = 1;; ++column) {
    const auto comma = line.find(',');
    const std::string_view value = line.substr(0, comma);
    if (!value.empty()) result.emplace(column, std::string(value));
    if (comma == std::string_view::npos || column == kMaxIndex) return result;
    line.remove_prefix(comma + 1);
  }
}

// A line holds data when one of its fields is not empty, that is when it holds anything but
// commas.
bool holdsData(std::string_view line) {
  return line.find_first_not_of(',') != std::string_view::npos;
}

// A text file held as one buffer and the start of every line, found once at load. A start is
// a 32-bit offset from its block's 64-bit base, so the index costs 4 bytes a line; a block
// ends after kBlockLines starts, or early when an offset would pass 32 bits.
class LoadedFile {
 public:
  // Reads the whole file; false when it cannot be read or has more lines than a row number
  // can address. The lines after the last one that holds data are dropped.
  bool read(const std::filesystem::path& path) {
    try {
      return readWhole(path);
    } catch (const std::bad_alloc&) {
      return false;  // too big for the memory left: a failed load, not a crash
    }
  }

  std::string_view bytes() const { return {bytes_.get(), static_cast<std::size_t>(size_)}; }

  std::uint64_t lineEnd(std::int32_t row) const {
    if (row < 1 || row > rows()) return 0;
    return std::min(lineStart(static_cast<std::uint32_t>(row)), size_);
  }

  // Lines from 1 to the last one that holds data.
  std::int32_t rows() const { return starts_ == 0 ? 0 : static_cast<std::int32_t>(starts_ - 1); }

  // The text of a line without its line end; "" outside the lines.
  std::string_view line(std::int32_t row) const {
    if (row < 1 || row > rows()) return {};
    const auto index = static_cast<std::uint32_t>(row - 1);
    const std::uint64_t begin = lineStart(index);
    std::uint64_t end = lineStart(index + 1) - 1;  // the LF or the lone CR
    if (end > begin && bytes_[end] == '\n' && bytes_[end - 1] == '\r') --end;
    return {bytes_.get() + begin, static_cast<std::size_t>(end - begin)};
  }

 private:
  static constexpr std::uintmax_t kChunkBytes = 1 << 20;
  static constexpr std::size_t kBlockLines = 1 << 16;
  static constexpr std::uint64_t kMaxOffset = std::numeric_limits<std::uint32_t>::max();
  static constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

  struct Block {
    std::uint64_t base;                  // byte position the offsets are added to
    std::uint32_t first;                 // 0-based number of the block's first start
    std::vector<std::uint32_t> offsets;  // grows by doubling up to exactly kBlockLines
  };

  std::uint64_t lineStart(std::uint32_t index) const {
    const auto block =
        std::upper_bound(blocks_.begin(), blocks_.end(), index,
                         [](std::uint32_t value, const Block& b) { return value < b.first; }) -
        1;
    return block->base + block->offsets[index - block->first];
  }

  bool readWhole(const std::filesystem::path& path) {
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error)) return false;
    const std::uintmax_t size = std::filesystem::file_size(path, error);
    if (error) return false;
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    if (size == 0) return true;
    size_ = size;
    // One byte of room for the LF that a final line without a line end is given.
    bytes_ = std::make_unique_for_overwrite<char[]>(size + 1);
    platform::preferLargePages(bytes_.get(), size + 1);
    std::uint64_t indexed = 0;
    for (std::uintmax_t done = 0; done < size;) {
      const std::uintmax_t chunk = std::min<std::uintmax_t>(kChunkBytes, size - done);
      if (!in.read(bytes_.get() + done, static_cast<std::streamsize>(chunk))) return false;
      if (done == 0) {
        // A UTF-8 byte order mark is no part of the first cell.
        indexed = std::string_view(bytes_.get(), chunk).starts_with(kByteOrderMark)
                      ? kByteOrderMark.size()
                      : 0;
        if (!addLineStart(indexed)) return false;
      }
      done += chunk;
      // Each chunk is indexed while it is still in the cache.
      if (!indexLineEnds(indexed, done, done == size)) return false;
    }
    if (const char last = bytes_[size - 1]; last != '\n' && last != '\r') {
      bytes_[size] = '\n';
      if (!addLineStart(size + 1)) return false;
    }
    dropTrailingEmptyLines();
    return true;
  }

  // CR LF, LF and a lone CR each end a line. A CR that is the last byte read so far is left
  // for the next chunk, which tells whether an LF follows; `from` moves past what is done.
  bool indexLineEnds(std::uint64_t& from, std::uint64_t to, bool atEnd) {
    const char* const data = bytes_.get();
    for (std::uint64_t at = from; at < to; ++at) {
      if (data[at] == '\r') {
        if (at + 1 == to && !atEnd) {
          from = at;
          return true;
        }
        if (at + 1 < to && data[at + 1] == '\n') ++at;
      } else if (data[at] != '\n') {
        continue;
      }
      if (!addLineStart(at + 1)) return false;
    }
    from = to;
    return true;
  }

  // The start of the line after the last one is kept too: it ends the last line.
  bool addLineStart(std::uint64_t start) {
    if (starts_ > static_cast<std::uint32_t>(kMaxIndex)) return false;
    if (blocks_.empty() || blocks_.back().offsets.size() == kBlockLines ||
        start - blocks_.back().base > kMaxOffset) {
      blocks_.push_back({start, starts_, {}});
    }
    blocks_.back().offsets.push_back(static_cast<std::uint32_t>(start - blocks_.back().base));
    ++starts_;
    return true;
  }

  void dropTrailingEmptyLines() {
    std::int32_t last = rows();
    while (last > 0 && !holdsData(line(last))) --last;
    if (last == 0) {
      *this = LoadedFile();
      return;
    }
    starts_ = static_cast<std::uint32_t>(last) + 1;
    while (blocks_.back().first >= starts_) blocks_.pop_back();
    Block& tail = blocks_.back();
    if (tail.offsets.size() > starts_ - tail.first) {
      tail.offsets.resize(starts_ - tail.first);
      tail.offsets.shrink_to_fit();
    }
  }

  std::unique_ptr<char[]> bytes_;
  std::uint64_t size_ = 0;
  std::vector<Block> blocks_;
  std::uint32_t starts_ = 0;
};

}  // namespace

// The loaded file, and the cells written with setCell: one sparse map of columns per row. A
// row found in `written` hides the loaded line of the same number completely (setCell copies
// the line's fields over first). std::map nodes never move, so a cell's text stays put until
// that cell changes.
struct Grid::Storage {
  LoadedFile file;
  std::map<std::int32_t, std::map<std::int32_t, std::string>> written;
  std::int32_t rowCount = 0;

  bool rowHoldsData(std::int32_t row) const {
    const auto found = written.find(row);
    return found != written.end() ? !found->second.empty() : holdsData(file.line(row));
  }

  void recount() {
    std::int32_t last = 0;
    for (auto it = written.rbegin(); it != written.rend(); ++it) {
      if (!it->second.empty()) {
        last = it->first;
        break;
      }
    }
    // Loaded rows hidden by empty written rows no longer count.
    for (std::int32_t row = file.rows(); row > last; --row) {
      if (rowHoldsData(row)) {
        last = row;
        break;
      }
    }
    rowCount = last;
  }
};

Grid::Grid(std::string name, std::string container, Geometry geometry, int tabIndex,
           std::vector<std::string> columnHeaders)
    : Control(std::move(name), std::move(container), geometry, tabIndex),
      columnHeaders_(std::move(columnHeaders)),
      storage_(std::make_shared<Storage>()) {}

bool Grid::loadTextFile(const std::filesystem::path& path) {
  // The previous file goes first, so that it and the new one are never held at once.
  storage_ = std::make_shared<Storage>();
  const bool loaded = storage_->file.read(path);
  if (!loaded) storage_ = std::make_shared<Storage>();
  storage_->recount();
  contentsChanged_.emit();
  return loaded;
}

void Grid::clear() {
  storage_ = std::make_shared<Storage>();
  contentsChanged_.emit();
}

std::int32_t Grid::rowCount() const {
  return storage_->rowCount;
}

std::string_view Grid::cell(std::int32_t row, std::int32_t column) const {
  if (row < 1 || column < 1) return {};
  const auto found = storage_->written.find(row);
  if (found == storage_->written.end()) return field(storage_->file.line(row), column);
  const auto text = found->second.find(column);
  return text == found->second.end() ? std::string_view{} : std::string_view{text->second};
}

std::string_view Grid::bytes() const {
  return storage_->file.bytes();
}

std::uint64_t Grid::rowEnd(std::int32_t row) const {
  return storage_->file.lineEnd(row);
}

std::string_view Grid::line(std::int32_t row) const {
  return storage_->file.line(row);
}

void Grid::setCell(std::int32_t row, std::int32_t column, std::string text) {
  if (row < 1 || column < 1) return;
  auto& written = storage_->written;
  auto found = written.find(row);
  if (found == written.end()) found = written.emplace(row, fields(storage_->file.line(row))).first;
  if (text.empty()) {
    found->second.erase(column);
  } else {
    found->second[column] = std::move(text);
  }
  // An empty written row is kept only while it hides a loaded line.
  if (found->second.empty() && row > storage_->file.rows()) written.erase(found);
  storage_->recount();
  contentsChanged_.emit();
}

}  // namespace csv2sql
