#include "core/platform.h"

#include <gtest/gtest.h>

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

}  // namespace
}  // namespace csv2sql
