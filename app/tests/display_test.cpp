#include <array>
#include <cstdlib>
#include <optional>
#include <string>

#include <gtest/gtest.h>

#include "core/platform.h"

namespace csv2sql::testing {
namespace {

constexpr std::array<const char*, 3> kDisplayVariables = {"DISPLAY", "WAYLAND_DISPLAY",
                                                          "QT_QPA_PLATFORM"};

// Each case starts with none of the display variables set; the environment is put back after.
class HasDisplay : public ::testing::TestWithParam<const char*> {
 protected:
  HasDisplay() {
    for (std::size_t i = 0; i < kDisplayVariables.size(); ++i) {
      if (const char* value = std::getenv(kDisplayVariables[i])) saved_[i] = value;
      ::unsetenv(kDisplayVariables[i]);
    }
  }
  ~HasDisplay() override {
    for (std::size_t i = 0; i < kDisplayVariables.size(); ++i) {
      if (saved_[i]) {
        ::setenv(kDisplayVariables[i], saved_[i]->c_str(), 1);
      } else {
        ::unsetenv(kDisplayVariables[i]);
      }
    }
  }

 private:
  std::array<std::optional<std::string>, kDisplayVariables.size()> saved_;
};

TEST_P(HasDisplay, AnyOfTheVariablesWithAValueMeansADisplay) {
  EXPECT_FALSE(platform::hasDisplay());
  ::setenv(GetParam(), "", 1);
  EXPECT_FALSE(platform::hasDisplay()) << "an empty value names no display";
  ::setenv(GetParam(), GetParam() == std::string("QT_QPA_PLATFORM") ? "offscreen" : ":0", 1);
  EXPECT_TRUE(platform::hasDisplay());
}

INSTANTIATE_TEST_SUITE_P(Variables, HasDisplay, ::testing::ValuesIn(kDisplayVariables));

}  // namespace
}  // namespace csv2sql::testing
