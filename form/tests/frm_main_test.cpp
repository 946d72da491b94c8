#include "form/frm_main.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <typeinfo>
#include <utility>

namespace csv2sql {
namespace {

const FrmMain kForm;

// Each control once, after its frame; all enabled (the days box too, while deletion is off),
// only the grid and the connection text hidden, only the password masked.
TEST(FrmMain, EveryControlIsListedOnceAfterItsFrameAndStartsAsTheOperatorSeesIt) {
  std::set<std::string> seen;
  std::set<int> tabs;
  for (const Control* control : kForm.controls()) {
    SCOPED_TRACE(control->name());
    EXPECT_TRUE(seen.insert(control->name()).second && tabs.insert(control->tabIndex()).second);
    EXPECT_TRUE(control->enabled());
    EXPECT_EQ(control->visible(), control != &kForm.sp && control != &kForm.txtDestCnn);
    if (const auto* box = dynamic_cast<const TextBox*>(control)) {
      EXPECT_EQ(box->passwordChar(), box == &kForm.txtPassword ? '*' : '\0');
    }
    if (control->container().empty()) continue;
    const Control* frame = kForm.find(control->container());
    EXPECT_TRUE(seen.count(control->container()) && typeid(*frame) == typeid(Frame) &&
                frame->container().empty());
  }
}

// Apart from an edge of 15 twips, only the number boxes lie over their check box's caption.
TEST(FrmMain, NoInputControlCoversAnother) {
  const auto isInput = [](const Control* c) {
    return c->visible() && typeid(*c) != typeid(Label) && typeid(*c) != typeid(Frame);
  };
  std::set<std::pair<std::string, std::string>> covering;
  for (const Control* a : kForm.controls()) {
    for (const Control* b : kForm.controls()) {
      const Geometry p = a->geometry(), q = b->geometry();
      if (a->tabIndex() < b->tabIndex() && isInput(a) && isInput(b) &&
          a->container() == b->container() && p.left + 15 < q.left + q.width &&
          q.left + 15 < p.left + p.width && p.top + 15 < q.top + q.height &&
          q.top + 15 < p.top + p.height) {
        covering.emplace(a->name(), b->name());
      }
    }
  }
  // Each of these boxes sits in the blank end of its check box, past the caption's text.
  EXPECT_EQ(covering, (std::set<std::pair<std::string, std::string>>{
                          {"txtDeleteDays", "chkDelOldRecs"},
                          {"chkAutoRun", "txtAutoRun"},
                          {"chkUtcOffset", "txtUtcZone"}}));
}

}  // namespace
}  // namespace csv2sql
