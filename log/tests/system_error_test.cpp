#include "core/system_error.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <system_error>

#include "tests/support/test_support.h"

namespace csv2sql {
namespace {

struct MappingCase {
  const char* name;
  std::errc condition;
  SystemTarget target;
  std::int32_t number;
  const char* description;
};

class SystemErrorMapping : public ::testing::TestWithParam<MappingCase> {};

TEST_P(SystemErrorMapping, GivesTheProgramsNumberAndDescription) {
  const MappingCase& c = GetParam();
  const Error error = errorFromSystem(std::make_error_code(c.condition), c.target);
  EXPECT_EQ(error.number(), c.number);
  EXPECT_EQ(error.description(), c.description);
}

constexpr auto Folder = SystemTarget::Folder;
constexpr auto File = SystemTarget::File;

INSTANTIATE_TEST_SUITE_P(
    Conditions, SystemErrorMapping,
    ::testing::Values(
        MappingCase{"missing_folder", std::errc::no_such_file_or_directory, Folder, 76,
                    "Path not found"},
        MappingCase{"missing_file", std::errc::no_such_file_or_directory, File, 53,
                    "File not found"},
        MappingCase{"not_a_directory", std::errc::not_a_directory, File, 76, "Path not found"},
        MappingCase{"exists", std::errc::file_exists, Folder, 75, "Path/File access error"},
        MappingCase{"access_denied", std::errc::permission_denied, File, 75,
                    "Path/File access error"},
        MappingCase{"not_permitted", std::errc::operation_not_permitted, Folder, 75,
                    "Path/File access error"},
        MappingCase{"busy", std::errc::device_or_resource_busy, File, 75, "Path/File access error"},
        MappingCase{"invalid_name", std::errc::invalid_argument, Folder, 52,
                    "Bad file name or number"},
        MappingCase{"name_too_long", std::errc::filename_too_long, File, 52,
                    "Bad file name or number"},
        MappingCase{"disk_full", std::errc::no_space_on_device, File, 61, "Disk full"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(SystemErrorTest, AnythingElseKeepsTheSystemsMessage) {
  const auto code = std::make_error_code(std::errc::read_only_file_system);
  const Error error = errorFromSystem(code);
  EXPECT_EQ(error.number(), 75);
  EXPECT_EQ(error.description(), "Path/File access error: " + code.message());
  EXPECT_EQ(std::string(error.what()), "75 - Path/File access error: " + code.message());
}

TEST(SystemErrorTest, NoErrorKnownIsAPlainAccessError) {
  const Error error = errorFromSystem(std::error_code());
  EXPECT_EQ(error.number(), 75);
  EXPECT_EQ(error.description(), "Path/File access error");
}

TEST(SystemErrorTest, MapsWhatTheFileSystemReallyReports) {
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
