#include "form/frm_main.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <typeinfo>
#include <utility>

#include "core/datetime_text.h"

namespace csv2sql {
namespace {

// The tab order visits every control once; frames come before the controls they hold.
TEST(FrmMain, EveryControlIsListedOnceAfterItsFrameWithItsOwnTabPosition) {
  const FrmMain form;
  std::set<std::string> seen;
  std::set<int> tabs;
  for (const Control* control : form.controls()) {
    SCOPED_TRACE(control->name());
    EXPECT_TRUE(seen.insert(control->name()).second && tabs.insert(control->tabIndex()).second);
    EXPECT_EQ(form.find(control->name()), control);
    if (control->container().empty()) continue;
    const Control* frame = form.find(control->container());
    EXPECT_TRUE(seen.count(control->container()) && typeid(*frame) == typeid(Frame) &&
                frame->container().empty());
  }
  EXPECT_EQ(form.find("Timer1"), nullptr);
}

// Input controls never cover each other, apart from an edge of one pixel (15 twips) and the
// number boxes that lie over the stretch of blanks in their check box's caption.
TEST(FrmMain, NoInputControlCoversAnother) {
  const FrmMain form;
  const auto isInput = [](const Control* c) {
    return c->visible() && typeid(*c) != typeid(Label) && typeid(*c) != typeid(Frame);
  };
  const auto cover = [](const Geometry& a, const Geometry& b) {
    return a.left + 15 < b.left + b.width && b.left + 15 < a.left + a.width &&
           a.top + 15 < b.top + b.height && b.top + 15 < a.top + a.height;
  };
  std::set<std::pair<std::string, std::string>> covering;
  for (const Control* a : form.controls()) {
    for (const Control* b : form.controls()) {
      if (a->tabIndex() < b->tabIndex() && isInput(a) && isInput(b) &&
          a->container() == b->container() && cover(a->geometry(), b->geometry())) {
        covering.emplace(a->name(), b->name());
      }
    }
  }
  // Each of these boxes sits in the blank end of its check box, past the caption's text.
  EXPECT_EQ(covering, (std::set<std::pair<std::string, std::string>>{
                          {"txtDeleteDays", "chkDelOldRecs"},
                          {"chkAutoRun", "txtAutoRun"},
                          {"chkUtcOffset", "txtUtcZone"}}));
  EXPECT_EQ(form.chkDelOldRecs.caption(),
            "Delete Records Older Than" + std::string(20, ' ') + "Days");
  EXPECT_EQ(form.chkAutoRun.caption(), "Run Every" + std::string(18, ' ') + "minutes");
}

TEST(FrmMain, StartsEnabledWithOnlyTheWorkControlsHiddenAndThePasswordMasked) {
  const FrmMain form;
  for (const Control* control : form.controls()) {
    SCOPED_TRACE(control->name());
    EXPECT_TRUE(control->enabled());  // the days box too, while deletion is off
    EXPECT_EQ(control->visible(), control != &form.sp && control != &form.txtDestCnn);
    if (const auto* box = dynamic_cast<const TextBox*>(control)) {
      EXPECT_EQ(box->passwordChar(), box == &form.txtPassword ? '*' : '\0');
    }
  }
  // The first tick of the timer finds no date in the label and schedules the next run.
  EXPECT_EQ(parseDateTime(form.lblNextRun.caption()), std::nullopt);
}

}  // namespace
}  // namespace csv2sql
