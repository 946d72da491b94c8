#include "import/file_lines.h"

#include <xxhash.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>

#include "core/byte_search.h"
#include "core/error.h"

namespace csv2sql {

namespace {

// Large enough that a read costs little per byte, small enough to stay in the cache.
constexpr std::size_t kBlockBytes = 1 << 20;
constexpr std::size_t kFirstReadBytes = 64 << 10;
constexpr std::size_t kLineRoomBytes = 4 << 10;
constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

Error cannotRead(const std::filesystem::path& path) {
  return Error(err::PathFileAccess, "Path/File access error: cannot read " + path.string());
}

}  // namespace

struct FileLines::Hasher {
  Hasher() : state(XXH3_createState()) {
    if (state == nullptr) throw std::bad_alloc();
    XXH3_128bits_reset(state);
  }
  ~Hasher() { XXH3_freeState(state); }
  Hasher(const Hasher&) = delete;
  Hasher& operator=(const Hasher&) = delete;
  XXH3_state_t* state;
};

bool holdsData(std::string_view line) {
  return line.find_first_not_of(',') != std::string_view::npos;
}

FileLines::FileLines(const std::filesystem::path& path, std::uint64_t limit, Hashing hashing)
    : path_(path), in_(path), left_(limit) {
  startHashing(hashing);
  if (in_.state() == platform::InputFile::State::Missing) {
    left_ = 0;
    return;
  }
  found_ = true;
  // A file that is there but cannot be read must not count as imported: archiving would move
  // its readings away unread.
  if (in_.state() != platform::InputFile::State::Open) throw cannotRead(path);
  // A small first read, so that a folder of small files costs no block of memory filled for
  // each.
  if (left_ > 0) fill(kFirstReadBytes);
  at_ = firstLineStart();
}

std::size_t FileLines::firstLineStart() const {
  return held().starts_with(kByteOrderMark) ? kByteOrderMark.size() : 0;
}

void FileLines::startHashing(Hashing hashing) {
  hashed_ = 0;
  if (hashing == Hashing::Off) {
    hasher_.reset();
  } else if (hasher_) {
    XXH3_128bits_reset(hasher_->state);
  } else {
    hasher_ = std::make_unique<Hasher>();
  }
}

bool FileLines::rewindTo(std::uint64_t limit, Hashing hashing) {
  if (start_ != 0 || limit > size_) return false;
  size_ = static_cast<std::size_t>(limit);
  left_ = 0;
  at_ = firstLineStart();
  startHashing(hashing);
  row_ = 0;
  lastDataRow_ = 0;
  text_ = {};
  end_ = 0;
  lineFeed_ = false;
  cut_ = false;
  return true;
}

FileLines::~FileLines() = default;

void FileLines::fill(std::size_t most) {
  // The lines passed are hashed and dropped; the start of the current one moves to the front.
  hashUpTo(at_);
  const std::size_t had = size_ - at_;
  if (had > 0) std::memmove(buffer_.get(), buffer_.get() + at_, had);
  start_ += at_;
  hashed_ -= at_;
  at_ = 0;
  const std::size_t wanted = static_cast<std::size_t>(std::min<std::uint64_t>(most, left_));
  if (had + wanted > capacity_) {
    // Not zeroed: only the bytes read are ever looked at. Room for a partial line of a few
    // kilobytes beside the block, and at least doubled for a longer one, so that the next block
    // seldom needs a new allocation (each one's pages are faulted in afresh).
    capacity_ = std::max(had + wanted + kLineRoomBytes, 2 * capacity_);
    std::unique_ptr<char[]> larger(new char[capacity_]);
    if (had > 0) std::memcpy(larger.get(), buffer_.get(), had);
    buffer_ = std::move(larger);
  }
  std::size_t got = 0;
  if (!in_.read(buffer_.get() + had, wanted, got)) throw cannotRead(path_);
  size_ = had + got;
  left_ = got < wanted ? 0 : left_ - got;
}

bool FileLines::next() {
  std::size_t scanned = at_;  // the current line has no line end before this
  std::uint64_t passed = 0;   // its bytes dropped already, when it is too long to be held
  std::size_t textEnd = 0;
  std::size_t nextLine = 0;
  for (;;) {
    const std::size_t position = findEither(held(), '\n', '\r', scanned);
    // A CR that is the last byte read so far waits for the next block to tell whether an LF
    // follows.
    const bool found = position != std::string::npos;
    const bool waits = found && position + 1 == size_ && buffer_[position] == '\r' && left_ > 0;
    if (found && !waits) {
      const bool crLf =
          buffer_[position] == '\r' && position + 1 < size_ && buffer_[position + 1] == '\n';
      lineFeed_ = crLf || buffer_[position] == '\n';
      textEnd = position;
      nextLine = position + (crLf ? 2 : 1);
      break;
    }
    if (left_ == 0) {
      if (at_ == size_ && passed == 0) {
        end_ = start_ + at_;
        return false;
      }
      // A last line without a line end.
      lineFeed_ = false;
      textEnd = nextLine = size_;
      break;
    }
    scanned = found ? position : size_;
    if (passed + (scanned - at_) > kLongestLine) dropLongLine(scanned, passed);
    const std::uint64_t before = start_;
    fill(kBlockBytes);
    scanned -= static_cast<std::size_t>(start_ - before);
  }
  // A line dropped in part is longer than kLongestLine already.
  cut_ = passed != 0 || textEnd - at_ > kLongestLine;
  if (!cut_) [[likely]] {
    text_ = held().substr(at_, textEnd - at_);
  } else {
    takeCutLine(textEnd, passed);
  }
  at_ = nextLine;
  ++row_;
  if (holdsData(text_) || (cut_ && dataPastCut_)) lastDataRow_ = row_;
  end_ = start_ + at_;
  return true;
}

void FileLines::startCut() {
  cutFieldEnd_ = std::numeric_limits<std::uint64_t>::max();
  dataPastCut_ = false;
}

void FileLines::takeCutLine(std::size_t textEnd, std::uint64_t passed) {
  if (passed == 0) {
    startCut();
    text_ = held().substr(at_, kLongestLine);
    lookPastCut(at_ + kLongestLine, textEnd, passed);
  } else {
    text_ = std::string_view(longLine_.get(), kLongestLine);
    lookPastCut(at_, textEnd, passed);
  }
  cutFieldEnd_ = std::min(cutFieldEnd_, passed + (textEnd - at_));
}

void FileLines::dropLongLine(std::size_t to, std::uint64_t& passed) {
  std::size_t from = at_;
  if (passed == 0) {
    startCut();
    if (!longLine_) longLine_.reset(new char[kLongestLine]);
    std::memcpy(longLine_.get(), buffer_.get() + at_, kLongestLine);
    from += kLongestLine;
  }
  lookPastCut(from, to, passed);
  // The next fill hashes the bytes before at_ and drops them.
  passed += to - at_;
  at_ = to;
}

void FileLines::lookPastCut(std::size_t from, std::size_t to, std::uint64_t passed) {
  const std::string_view bytes = held().substr(from, to - from);
  if (cutFieldEnd_ == std::numeric_limits<std::uint64_t>::max()) {
    const std::size_t comma = bytes.find(',');
    if (comma != std::string_view::npos) cutFieldEnd_ = passed + (from - at_) + comma;
  }
  dataPastCut_ = dataPastCut_ || holdsData(bytes);
}

void FileLines::hashUpTo(std::size_t position) {
  if (!hasher_) {
    hashed_ = std::max(hashed_, position);
    return;
  }
  if (position <= hashed_) return;
  XXH3_128bits_update(hasher_->state, buffer_.get() + hashed_, position - hashed_);
  hashed_ = position;
}

std::string FileLines::hash() {
  if (!hasher_) return {};
  hashUpTo(static_cast<std::size_t>(end_ - start_));
  const XXH128_hash_t hash = XXH3_128bits_digest(hasher_->state);
  char text[33];
  std::snprintf(text, sizeof text, "%016llx%016llx", static_cast<unsigned long long>(hash.high64),
                static_cast<unsigned long long>(hash.low64));
  return text;
}

}  // namespace csv2sql
