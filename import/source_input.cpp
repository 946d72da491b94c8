#include "import/source_input.h"

#include <zlib.h>

#include <algorithm>
#include <climits>
#include <new>
#include <string>

#include "core/error.h"
#include "core/text.h"

namespace csv2sql {

namespace {

constexpr std::size_t kCompressedBlockBytes = 64 << 10;
// A 32 KiB window and the gzip wrapper only: a file named ".gz" that is no gzip file is damaged.
constexpr int kGzipWindowBits = 15 + 16;

Error damaged(const std::filesystem::path& path, const std::string& why) {
  return Error(err::PathFileAccess,
               "Path/File access error: " + path.string() + " is no whole gzip file: " + why);
}

}  // namespace

bool isGzipName(std::string_view fileName) {
  return endsWithIgnoreCase(fileName, ".gz");
}

struct SourceInput::Inflater {
  explicit Inflater(const std::filesystem::path& file) : path(file) {
    if (inflateInit2(&stream, kGzipWindowBits) != Z_OK) throw std::bad_alloc();
  }
  ~Inflater() { inflateEnd(&stream); }
  Inflater(const Inflater&) = delete;
  Inflater& operator=(const Inflater&) = delete;

  std::filesystem::path path;  // for the error of damaged data
  z_stream stream{};
  std::unique_ptr<unsigned char[]> input{new unsigned char[kCompressedBlockBytes]};
  bool fileEnded = false;
  bool inMember = false;  // a member has begun and not yet ended
};

SourceInput::SourceInput(const std::filesystem::path& path) : file_(path) {
  if (file_.state() == platform::InputFile::State::Open && isGzipName(path.filename().string())) {
    inflater_ = std::make_unique<Inflater>(path);
  }
}

SourceInput::~SourceInput() = default;

bool SourceInput::read(char* into, std::size_t bytes, std::size_t& got) {
  if (!inflater_) return file_.read(into, bytes, got);
  Inflater& z = *inflater_;
  got = 0;
  while (got < bytes) {
    if (z.stream.avail_in == 0 && !z.fileEnded) {
      std::size_t read = 0;
      if (!file_.read(reinterpret_cast<char*>(z.input.get()), kCompressedBlockBytes, read)) {
        return false;
      }
      z.fileEnded = read < kCompressedBlockBytes;
      z.stream.next_in = z.input.get();
      z.stream.avail_in = static_cast<uInt>(read);
    }
    if (z.stream.avail_in == 0) {
      // A file cut short, by a copy or a writer that has not finished, must not import as whole.
      if (z.inMember) throw damaged(z.path, "it ends before its compressed data does");
      return true;
    }
    const std::size_t room = std::min<std::size_t>(bytes - got, UINT_MAX);
    z.stream.next_out = reinterpret_cast<unsigned char*>(into + got);
    z.stream.avail_out = static_cast<uInt>(room);
    z.inMember = true;
    const int result = inflate(&z.stream, Z_NO_FLUSH);
    got += room - z.stream.avail_out;
    if (result == Z_STREAM_END) {
      // Another member may follow.
      inflateReset(&z.stream);
      z.inMember = false;
    } else if (result == Z_MEM_ERROR) {
      throw std::bad_alloc();
    } else if (result != Z_OK && result != Z_BUF_ERROR) {
      throw damaged(z.path, z.stream.msg != nullptr ? z.stream.msg : "its data is damaged");
    }
  }
  return true;
}

}  // namespace csv2sql
