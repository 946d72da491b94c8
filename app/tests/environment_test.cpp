// What the program reads from its environment: whether a display is there, and the timer seam.
#include <cstdlib>
#include <optional>
#include <string>

#include <gtest/gtest.h>

#include "app/schedule_seam.h"
#include "core/platform.h"

namespace csv2sql::testing {
namespace {

// A variable unset for the test's time and put back after it.
class Unset {
 public:
  explicit Unset(const char* name) : name_(name) {
    if (const char* value = std::getenv(name)) saved_ = value;
    ::unsetenv(name);
  }
  ~Unset() { saved_ ? ::setenv(name_, saved_->c_str(), 1) : ::unsetenv(name_); }

 private:
  const char* name_;
  std::optional<std::string> saved_;
};

TEST(Environment, AnyDisplayVariableWithAValueMeansADisplay) {
  const Unset display("DISPLAY"), wayland("WAYLAND_DISPLAY"), qpa("QT_QPA_PLATFORM");
  for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) {
    EXPECT_FALSE(platform::hasDisplay()) << name;
    ::setenv(name, "", 1);
    EXPECT_FALSE(platform::hasDisplay()) << name << ": an empty value names no display";
    ::setenv(name, "offscreen", 1);
    EXPECT_TRUE(platform::hasDisplay()) << name;
    ::unsetenv(name);
  }
}

TEST(Environment, TimerSeamTakesOnlyAWholeNumberOfMillisecondsUpToAMinute) {
  const Unset seam("CSV2SQL_TIMER_INTERVAL_MS");
  EXPECT_EQ(timerIntervalSeam(), std::nullopt);
  const std::pair<const char*, std::optional<std::int32_t>> cases[] = {
      {"1", 1}, {"60000", 60000}, {"0", {}}, {"60001", {}}, {"", {}}, {"200ms", {}}};
  for (const auto& [value, interval] : cases) {
    ::setenv("CSV2SQL_TIMER_INTERVAL_MS", value, 1);
    EXPECT_EQ(timerIntervalSeam(), interval) << '"' << value << '"';
  }
}

}  // namespace
}  // namespace csv2sql::testing
