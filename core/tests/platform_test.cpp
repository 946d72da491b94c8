#include "core/platform.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>

namespace csv2sql {
namespace {

#ifdef _WIN32
constexpr const char* kSystemLibrary = "kernel32.dll";
constexpr const char* kItsFunction = "GetTickCount";
#else
constexpr const char* kSystemLibrary = "libc.so.6";
constexpr const char* kItsFunction = "strlen";
#endif

// A client library opened when it is first needed: one that is missing gives the system's
// reason, one that is there its functions, and nothing for a name it does not export.
TEST(Libraries, OpenWhenNeededGiveTheirFunctionsOrTheReason) {
  std::string reason;
  EXPECT_EQ(platform::openLibrary("csv2sql-no-such-library.so.1", reason), nullptr);
  EXPECT_FALSE(reason.empty());
  void* library = platform::openLibrary(kSystemLibrary, reason);
  ASSERT_NE(library, nullptr) << reason;
  EXPECT_NE(platform::librarySymbol(library, kItsFunction), nullptr);
  EXPECT_EQ(platform::librarySymbol(library, "csv2sql_no_such_function"), nullptr);
}

namespace fs = std::filesystem;

// What a file opened for reading gives: its bytes in pieces of any size, fewer only at the end,
// while a writer still holds it open; nothing there, or a path through a file, is missing; a
// folder is there but unreadable.
TEST(InputFiles, ReadWhileWrittenAndTellMissingFromUnreadable) {
  const fs::path folder =
      fs::temp_directory_path() /
      ("csv2sql-input-" +
       std::to_string(std::chrono::steady_clock::now().time_since_epoch().count()));
  fs::remove_all(folder);
  fs::create_directories(folder / "sub");
  const fs::path file = folder / "readings.csv";
  std::ofstream writer(file, std::ios::binary);
  writer << "0123456789";
  writer.flush();
  {
    platform::InputFile in(file);
    ASSERT_EQ(in.state(), platform::InputFile::State::Open);
    char bytes[16] = {};
    std::size_t got = 0;
    ASSERT_TRUE(in.read(bytes, 4, got));
    EXPECT_EQ(std::string(bytes, got), "0123");
    ASSERT_TRUE(in.read(bytes, sizeof bytes, got));
    EXPECT_EQ(std::string(bytes, got), "456789");
    ASSERT_TRUE(in.read(bytes, sizeof bytes, got));
    EXPECT_EQ(got, 0u);
  }
  writer.close();
  const std::pair<fs::path, platform::InputFile::State> cases[] = {
      {folder / "none.csv", platform::InputFile::State::Missing},
      {folder / "none" / "a.csv", platform::InputFile::State::Missing},
      {file / "a.csv", platform::InputFile::State::Missing},
      {folder / "sub", platform::InputFile::State::Unreadable}};
  for (const auto& [path, state] : cases) {
    EXPECT_EQ(platform::InputFile(path).state(), state) << path.string();
  }
  fs::remove_all(folder);
}

// A writer is seen while it holds the file open, whatever it has written, and readers are no
// writers; a missing file cannot be asked about.
TEST(OpenForWriting, WhileAWriterHoldsTheFile) {
  const fs::path file =
      fs::temp_directory_path() /
      ("csv2sql-writer-" +
       std::to_string(std::chrono::steady_clock::now().time_since_epoch().count()) + ".csv");
  std::ofstream(file, std::ios::binary) << "a,b\n";
  const platform::Answer closed = platform::openForWritingElsewhere(file);
  if (closed == platform::Answer::Unknown) {
    fs::remove(file);
    GTEST_SKIP() << "this file system does not tell its writers";
  }
  EXPECT_EQ(closed, platform::Answer::No);
  {
    std::ofstream writer(file, std::ios::binary | std::ios::app);
    EXPECT_EQ(platform::openForWritingElsewhere(file), platform::Answer::Yes);
  }
  {
    std::ifstream reader(file, std::ios::binary);
    EXPECT_EQ(platform::openForWritingElsewhere(file), platform::Answer::No);
  }
  fs::remove(file);
  EXPECT_EQ(platform::openForWritingElsewhere(file), platform::Answer::Unknown);
}

}  // namespace
}  // namespace csv2sql
