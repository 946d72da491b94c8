#include <limits>
#include <string>

#include <gtest/gtest.h>

#include "app/file_url.h"
#include "app/program.h"
#include "tests/support/test_support.h"

namespace csv2sql::testing {
namespace {

// A window 120 twips wider and 405 twips higher than its client area: borders of 60 twips,
// a title bar of 345.
constexpr WindowMetrics kNormal{14250, 7350, 14130, 6945};
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

class WindowTest : public ::testing::Test {
 protected:
  FrmMain& form() { return test.session.frmMain; }
  Geometry list() { return form().lstLog.geometry(); }

  TestSession test;
  Program program{test.session};
};

TEST_F(WindowTest, ListFillsTheClientAreaBelowItsTop) {
  program.Form_Resize(kNormal);
  EXPECT_EQ(list().left, 0);
  EXPECT_EQ(list().top, 4560);
  EXPECT_EQ(list().height, 6945 - 4560);
  EXPECT_EQ(list().width, 14130 - 120);
}

TEST_F(WindowTest, ListFollowsTheWindowsWidthAndHeight) {
  program.Form_Resize(kNormal);
  const Geometry before = list();
  program.Form_Resize({kNormal.W + 1000, kNormal.H + 300, kNormal.SW + 1000, kNormal.SH + 300});
  EXPECT_EQ(list().width, before.width + 1000);
  EXPECT_EQ(list().height, before.height + 300);
  EXPECT_EQ(list().top, before.top);
  EXPECT_EQ(list().left, before.left);
}

TEST_F(WindowTest, NoOtherControlMoves) {
  const Geometry frame = form().Frame6.geometry();
  const Geometry button = form().btnTransferData.geometry();
  program.Form_Resize({kNormal.W + 1000, kNormal.H + 300, kNormal.SW + 1000, kNormal.SH + 300});
  EXPECT_EQ(form().Frame6.geometry().width, frame.width);
  EXPECT_EQ(form().Frame6.geometry().top, frame.top);
  EXPECT_EQ(form().btnTransferData.geometry().left, button.left);
}

struct FailedResize {
  const char* name;
  WindowMetrics metrics;
};

class ResizeThatFails : public WindowTest, public ::testing::WithParamInterface<FailedResize> {};

TEST_P(ResizeThatFails, LeavesTheListAsItWas) {
  program.Form_Resize(kNormal);
  const Geometry before = list();
  program.Form_Resize(GetParam().metrics);
  EXPECT_EQ(list().width, before.width);
  EXPECT_EQ(list().height, before.height);
  EXPECT_TRUE(test.messageBox.shown.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Edges, ResizeThatFails,
    ::testing::Values(FailedResize{"shorter_than_the_lists_top", {14250, 4500, 14130, 4095}},
                      FailedResize{"minimised", {2400, 405, 0, 0}},
                      FailedResize{"out_of_range", {1e12, 1e12, 0, 0}},
                      FailedResize{"not_a_number", {14250, kNaN, 14130, 6945}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(WindowTest, NarrowerThanTheBordersChangesTheHeightOnly) {
  program.Form_Resize(kNormal);
  const int width = list().width;
  program.Form_Resize({200, 7350, 80, 6945});
  EXPECT_EQ(list().height, 6945 - 4560);
  EXPECT_EQ(list().width, width);
}

struct RoundedBorder {
  const char* name;
  double frame;  // W - SW
  int width;     // of the list, for a client width of 10000
};

class BorderRounding : public WindowTest, public ::testing::WithParamInterface<RoundedBorder> {};

TEST_P(BorderRounding, RoundsThenHalvesDroppingTheRemainder) {
  const double frame = GetParam().frame;
  program.Form_Resize({10000 + frame, 7350, 10000, 6945});
  EXPECT_EQ(list().width, GetParam().width);
}

// Width = 10000 + frame - 2 * border - 120, itself rounded half to even.
INSTANTIATE_TEST_SUITE_P(
    Edges, BorderRounding,
    ::testing::Values(RoundedBorder{"even", 120, 9880},                 // border 60
                      RoundedBorder{"odd_drops_remainder", 121, 9881},  // 121 / 2 = 60
                      RoundedBorder{"half_to_even_down", 120.5, 9880},  // 120, border 60
                      RoundedBorder{"half_to_even_up", 121.5, 9880}),   // 122, border 61
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(WindowTest, DaysBoxIsEnabledAtCreationWhileItsBoxIsUnchecked) {
  EXPECT_EQ(form().chkDelOldRecs.value(), 0);
  EXPECT_TRUE(form().txtDeleteDays.enabled());
}

TEST_F(WindowTest, DaysBoxFollowsItsCheckBoxAndKeepsItsText) {
  form().txtDeleteDays.setText("30");
  form().chkDelOldRecs.setValue(1);
  EXPECT_TRUE(form().txtDeleteDays.enabled());
  form().chkDelOldRecs.setValue(0);
  EXPECT_FALSE(form().txtDeleteDays.enabled());
  EXPECT_EQ(form().txtDeleteDays.text(), "30");
  form().chkDelOldRecs.setValue(1);
  EXPECT_TRUE(form().txtDeleteDays.enabled());
  EXPECT_EQ(form().txtDeleteDays.text(), "30");
  form().chkDelOldRecs.setValue(2);  // grayed counts as not checked
  EXPECT_FALSE(form().txtDeleteDays.enabled());
}

TEST_F(WindowTest, HelpOpensTheUserGuideBesideTheProgram) {
  form().btnHelp.click();
  ASSERT_EQ(test.urlOpener.opened.size(), 1u);
  EXPECT_EQ(test.urlOpener.opened[0], fileUrl(test.folder.path() / "user-guide.html"));
  EXPECT_TRUE(test.urlOpener.opened[0].starts_with("file:///"));
  EXPECT_TRUE(test.urlOpener.opened[0].ends_with("/user-guide.html"));
  EXPECT_TRUE(test.messageBox.shown.empty());
}

struct UrlCase {
  const char* name;
  const char* path;
  const char* url;
};

class FileUrl : public ::testing::TestWithParam<UrlCase> {};

TEST_P(FileUrl, EncodesWhatAnAddressCannotHold) {
  EXPECT_EQ(fileUrl(GetParam().path), GetParam().url);
}

INSTANTIATE_TEST_SUITE_P(
    Paths, FileUrl,
    ::testing::Values(
        UrlCase{"plain", "/opt/csv2sql/user-guide.html", "file:///opt/csv2sql/user-guide.html"},
        UrlCase{"blank", "/opt/csv 2 sql/a.html", "file:///opt/csv%202%20sql/a.html"},
        UrlCase{"hash_and_percent", "/x/#1 100%/a.html", "file:///x/%231%20100%25/a.html"},
        UrlCase{"utf8", "/data/M\xC3\xBChle/a.html", "file:///data/M%C3%BChle/a.html"},
        UrlCase{"unreserved_kept", "/a-b_c.d~e/f.html", "file:///a-b_c.d~e/f.html"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(FileUrlRelative, IsMadeAbsolute) {
  const std::string url = fileUrl("user-guide.html");
  EXPECT_EQ(url, fileUrl(std::filesystem::current_path() / "user-guide.html"));
}

}  // namespace
}  // namespace csv2sql::testing
