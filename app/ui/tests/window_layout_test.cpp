// The window as the operator sees it: a widget for every control, in place at the screen's DPI,
// nothing in the way of another, and Tab through every input.
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QScreen>
#include <QStyle>

#include "app/ui/qt_text.h"
#include "app/ui/tests/window_fixture.h"

namespace csv2sql::testing {
namespace {

struct TwipCase {
  const char* name;
  double dpi;
  int twips, pixels;
};

class TwipsToPixels : public ::testing::TestWithParam<TwipCase> {};

TEST_P(TwipsToPixels, ScaleWithTheLogicalDpiToTheNearestPixelAndBack) {
  const TwipScale scale(GetParam().dpi);
  EXPECT_EQ(scale.pixels(GetParam().twips), GetParam().pixels);
  EXPECT_NEAR(scale.twips(GetParam().pixels), GetParam().twips, scale.twips(1) / 2);
}

INSTANTIATE_TEST_SUITE_P(Edges, TwipsToPixels,
                         ::testing::Values(TwipCase{"fifteen_to_the_pixel_at_96", 96, 14130, 942},
                                           TwipCase{"a_fraction_rounds_up", 96, 1600, 107},
                                           TwipCase{"a_fraction_rounds_down", 96, 280, 19},
                                           TwipCase{"negative", 96, -150, -10},
                                           TwipCase{"ten_to_the_pixel_at_144", 144, 14130, 1413}),
                         [](const auto& info) { return std::string(info.param.name); });

// The controls an operator types into, picks or presses: all but labels and frames.
bool isInput(const Control* control) {
  return dynamic_cast<const Label*>(control) == nullptr ||
         dynamic_cast<const Button*>(control) != nullptr ||
         dynamic_cast<const CheckBox*>(control) != nullptr;
}

TEST_F(WindowTest, EveryControlHasAWidgetOfItsNameInItsFrameAtItsPlace) {
  EXPECT_EQ(window.windowTitle().toStdString(), FrmMain::kCaption);
  EXPECT_EQ(window.scale().dpi(), window.screen()->logicalDotsPerInch());
  EXPECT_EQ(window.size(), QSize(window.scale().pixels(FrmMain::kClientWidth),
                                 window.scale().pixels(FrmMain::kClientHeight)));
  for (const Control* control : form.controls()) {
    const QWidget& shown = widget(control->name());
    const std::string parent =
        control->container().empty() ? MainWindow::kObjectName : control->container();
    EXPECT_EQ(fromQt(shown.parentWidget()->objectName()), parent) << control->name();
    if (control != &form.lstLog) {  // its size follows the window
      EXPECT_EQ(shown.geometry(), window.scale().pixels(control->geometry())) << control->name();
    }
    EXPECT_EQ(shown.isHidden(), !control->visible()) << control->name();
  }
}

TEST_F(WindowTest, NoInputCoversAnotherAndEveryWidgetFitsItsContainer) {
  std::vector<const QWidget*> shown;
  for (const Control* control : form.controls()) {
    const QWidget& w = widget(control->name());
    if (w.isHidden()) continue;
    EXPECT_TRUE(w.parentWidget()->rect().contains(w.geometry())) << control->name();
    // A check box's caption leaves a blank stretch where its text box sits.
    if (isInput(control) && dynamic_cast<const CheckBox*>(control) == nullptr) shown.push_back(&w);
  }
  for (const QWidget* a : shown) {
    for (const QWidget* b : shown) {
      if (a < b && a->parentWidget() == b->parentWidget()) {
        EXPECT_FALSE(a->geometry().intersects(b->geometry()))
            << fromQt(a->objectName()) << " covers " << fromQt(b->objectName());
      }
    }
  }
}

TEST_F(WindowTest, TabVisitsEveryInputByTabIndexAndPassesOverLabelsAndFrames) {
  std::vector<const Control*> inputs;
  for (const Control* control : form.controls()) {
    const bool focusable = (widget(control->name()).focusPolicy() & Qt::TabFocus) != 0;
    EXPECT_EQ(focusable, isInput(control)) << control->name();
    if (isInput(control)) inputs.push_back(control);
  }
  std::sort(inputs.begin(), inputs.end(),
            [](const Control* a, const Control* b) { return a->tabIndex() < b->tabIndex(); });
  std::vector<std::string> expected, visited;
  for (const Control* control : inputs) expected.push_back(control->name());
  const QWidget* current = &widget(expected.front());
  do {
    const std::string name = fromQt(current->objectName());
    if (std::find(expected.begin(), expected.end(), name) != expected.end())
      visited.push_back(name);
    current = current->nextInFocusChain();
  } while (current != &widget(expected.front()) && visited.size() <= expected.size());
  EXPECT_EQ(visited, expected);
}

TEST_F(WindowTest, ThePasswordShowsAStarForEveryCharacter) {
  const auto& password = widget<QLineEdit>("txtPassword");
  EXPECT_EQ(password.echoMode(), QLineEdit::Password);
  EXPECT_EQ(password.style()->styleHint(QStyle::SH_LineEdit_PasswordCharacter, nullptr, &password),
            '*');
}

}  // namespace
}  // namespace csv2sql::testing
