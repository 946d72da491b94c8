#include "core/system_error.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <system_error>

#include "tests/support/test_support.h"

namespace csv2sql {
namespace {

TEST(ErrorFromSystem, GivesTheProgramsNumberAndDescription) {
  constexpr auto Folder = SystemTarget::Folder, File = SystemTarget::File;
  const struct {
    const char* name;
    std::errc condition;
    SystemTarget target;
    std::int32_t number;
    const char* description;
  } cases[] = {
      {"missing_folder", std::errc::no_such_file_or_directory, Folder, 76, "Path not found"},
      {"missing_file", std::errc::no_such_file_or_directory, File, 53, "File not found"},
      {"not_a_directory", std::errc::not_a_directory, File, 76, "Path not found"},
      {"exists", std::errc::file_exists, Folder, 75, "Path/File access error"},
      {"access_denied", std::errc::permission_denied, File, 75, "Path/File access error"},
      {"not_permitted", std::errc::operation_not_permitted, Folder, 75, "Path/File access error"},
      {"busy", std::errc::device_or_resource_busy, File, 75, "Path/File access error"},
      {"invalid_name", std::errc::invalid_argument, Folder, 52, "Bad file name or number"},
      {"name_too_long", std::errc::filename_too_long, File, 52, "Bad file name or number"},
      {"disk_full", std::errc::no_space_on_device, File, 61, "Disk full"},
  };
  for (const auto& c : cases) {
    const Error error = errorFromSystem(std::make_error_code(c.condition), c.target);
    EXPECT_EQ(error.number(), c.number) << c.name;
    EXPECT_EQ(error.description(), c.description) << c.name;
  }
  const Error none = errorFromSystem(std::error_code());
  EXPECT_EQ(std::string(none.what()), "75 - Path/File access error");
}

TEST(ErrorFromSystem, AnythingElseKeepsTheSystemsMessage) {
  const auto code = std::make_error_code(std::errc::read_only_file_system);
  const Error error = errorFromSystem(code);
  EXPECT_EQ(error.number(), 75);
  EXPECT_EQ(std::string(error.what()), "75 - Path/File access error: " + code.message());
}

TEST(ErrorFromSystem, MapsWhatTheFileSystemReallyReports) {
  testing::TempDir dir;
  std::error_code code;
  std::filesystem::rename(dir.path() / "absent.csv", dir.path() / "moved.csv", code);
  EXPECT_EQ(errorFromSystem(code, SystemTarget::File).number(), 53);
  testing::writeFile(dir.path() / "plain", "x");
  std::filesystem::create_directory(dir.path() / "plain" / "sub", code);
  EXPECT_EQ(errorFromSystem(code).number(), 76);
}

}  // namespace
}  // namespace csv2sql
