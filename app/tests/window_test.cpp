#include <limits>
#include <string>

#include "app/file_url.h"
#include "app/tests/app_fixture.h"

namespace csv2sql::testing {
namespace {

struct ResizeCase {
  const char* name;
  WindowMetrics metrics;
  int width;  // of lstLog afterwards
  int height;
};

class Resize : public ProgramTest, public ::testing::WithParamInterface<ResizeCase> {};

// From a window with borders of 60 twips and a title bar of 345: the list, whose top is at 4560,
// is 14010 x 2385.
TEST_P(Resize, ListReachesTheClientAreasBottomAndStops120TwipsShortOfItsRightEdge) {
  program.Form_Resize({14250, 7350, 14130, 6945});
  program.Form_Resize(GetParam().metrics);
  const Geometry list = form().lstLog.geometry();
  EXPECT_EQ(list.width, GetParam().width);
  EXPECT_EQ(list.height, GetParam().height);
  EXPECT_TRUE(test.messageBox.shown.empty());
}

// A step that fails leaves what it would set as it was.
INSTANTIATE_TEST_SUITE_P(
    Metrics, Resize,
    ::testing::Values(ResizeCase{"odd_frame_halved_down", {10121, 7350, 10000, 6945}, 9881, 2385},
                      ResizeCase{
                          "shorter_than_the_lists_top", {14250, 4500, 14130, 4095}, 14010, 2385},
                      ResizeCase{"narrower_than_the_borders", {200, 6350, 80, 5945}, 14010, 1385},
                      ResizeCase{"out_of_range", {1e12, 1e12, 0, 0}, 14010, 2385},
                      ResizeCase{"not_a_number",
                                 {14250, std::numeric_limits<double>::quiet_NaN(), 14130, 6945},
                                 14010,
                                 2385}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(ProgramTest, DaysBoxIsEnabledOnlyWhileItsBoxIsCheckedAndKeepsItsText) {
  form().txtDeleteDays.setText("30");
  for (const int value : {1, 0, 1, 2}) {  // 2: grayed counts as not checked
    form().chkDelOldRecs.setValue(value);
    EXPECT_EQ(form().txtDeleteDays.enabled(), value == 1) << value;
  }
  EXPECT_EQ(form().txtDeleteDays.text(), "30");
}

TEST_F(ProgramTest, HelpOpensTheUserGuideBesideTheProgram) {
  form().btnHelp.click();
  EXPECT_EQ(test.urlOpener.opened,
            std::vector<std::string>{fileUrl(test.folder.path() / "user-guide.html")});
}

TEST(FileUrl, EncodesWhatAnAddressCannotHoldAndMakesRelativePathsAbsolute) {
  EXPECT_EQ(fileUrl("/a-b_c.d~e/f.html"), "file:///a-b_c.d~e/f.html");
  EXPECT_EQ(fileUrl("/x/#1 100%/M\xC3\xBChle.html"), "file:///x/%231%20100%25/M%C3%BChle.html");
  EXPECT_EQ(fileUrl("a.html"), fileUrl(std::filesystem::current_path() / "a.html"));
}

}  // namespace
}  // namespace csv2sql::testing
