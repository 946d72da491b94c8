// What both window hosts share, on the real window model: places through frames, tab order,
// kinds, grid extent, and a view kept in step with its control.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/view/control_view.h"
#include "app/view/window_layout.h"

namespace csv2sql::testing {
namespace {

TEST(WindowLayout, AControlLiesInTheWindowThroughItsFramesAndIsShownAndEnabledOnlyWithThem) {
  FrmMain form;
  struct Case {
    const Control& control;
    Geometry place;
  };
  // Frame2 sits at (120, 960); btnHelp lies in the window itself.
  const Case cases[] = {{form.txtDataSource, {1680, 1320, 3495, 285}},
                        {form.btnHelp, {3600, 0, 1095, 375}}};
  for (const auto& [control, place] : cases) {
    const Geometry found = placeInWindow(form, control);
    EXPECT_EQ(std::vector({found.left, found.top, found.width, found.height}),
              std::vector({place.left, place.top, place.width, place.height}))
        << control.name();
  }
  EXPECT_EQ(containersOf(form, form.txtDataSource), std::vector<Control*>{&form.Frame2});
  form.Frame2.setEnabled(false);
  form.Frame4.setVisible(false);
  EXPECT_FALSE(enabledInWindow(form, form.txtDataSource));
  EXPECT_TRUE(shownInWindow(form, form.txtDataSource));
  EXPECT_FALSE(shownInWindow(form, form.txtColTag));
  EXPECT_TRUE(enabledInWindow(form, form.btnHelp));
}

TEST(WindowLayout, TabOrderKindsAndGridExtent) {
  FrmMain form;
  const auto ordered = inTabOrder(form.controls());
  ASSERT_EQ(ordered.size(), form.controls().size());
  EXPECT_EQ(ordered.front(), &form.btnTransferData);
  for (std::size_t i = 1; i < ordered.size(); ++i) {
    EXPECT_LE(ordered[i - 1]->tabIndex(), ordered[i]->tabIndex());
  }
  const auto kind = [](Control& control) {
    return visitKind(control,
                     []<typename Kind>(Kind&) { return std::string(typeid(Kind).name()); });
  };
  EXPECT_EQ(kind(form.cboOleProvider), typeid(ComboBox).name());
  EXPECT_EQ(kind(form.chkArchive), typeid(CheckBox).name());
  EXPECT_EQ(kind(form.Frame2), typeid(Frame).name());
  EXPECT_EQ(kind(form.spUTC), typeid(Grid).name());
  EXPECT_TRUE(takesInput(form.btnHelp) && takesInput(form.txtUserId) && takesInput(form.lstLog));
  EXPECT_FALSE(takesInput(form.Label1) || takesInput(form.Frame2));

  EXPECT_EQ(gridColumns(form.spUTC), 3);
  EXPECT_EQ(columnCaption(form.spUTC, 3), "Offset");
  EXPECT_EQ(gridColumns(form.sp), 500);
  EXPECT_EQ(columnCaption(form.sp, 7), "7");
  EXPECT_EQ(gridRows(form.sp), 500);
  form.sp.setCell(720, 1, "x");
  EXPECT_EQ(gridRows(form.sp), 720);
}

// A view that records what it was told, and echoes a refresh back as an edit, as a native
// control's change notification does.
class RecordingView final : public ControlView {
 public:
  using ControlView::ControlView;
  std::vector<std::string> told;

 private:
  void place(const PixelRect& r) override {
    told.push_back("place " + std::to_string(r.left) + "," + std::to_string(r.width));
  }
  void show(bool visible) override { told.push_back(visible ? "shown" : "hidden"); }
  void enable(bool enabled) override { told.push_back(enabled ? "enabled" : "disabled"); }
  void showKind() override {
    fromView([this] { told.push_back("echo"); });
  }
};

TEST(ControlView, ARefreshShowsTheControlAtItsScaleAndIsNeverEchoedBack) {
  TextBox box("txt", "", {1440, 0, 2880, 285}, 0);
  RecordingView view(box, TwipScale(96));
  box.setEnabled(false);
  view.refresh();
  view.rescale(TwipScale(144));
  EXPECT_EQ(view.told, (std::vector<std::string>{"place 96,192", "shown", "disabled",
                                                 "place 144,288", "shown", "disabled"}));
  int edits = 0;
  view.fromView([&edits] { ++edits; });
  EXPECT_EQ(edits, 1);
}

}  // namespace
}  // namespace csv2sql::testing
