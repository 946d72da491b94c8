// The window's message box, shown for real on the offscreen platform and answered by pressing
// one of its buttons from the event loop.
#include <QAbstractButton>
#include <QApplication>
#include <QPushButton>
#include <QTimer>
#include <functional>

#include "app/ui/message_box.h"
#include "app/ui/tests/window_fixture.h"

namespace csv2sql::testing {
namespace {

using Buttons = QMessageBox::StandardButtons;

// What the box looked like while it was up.
struct SeenBox {
  QString title;
  QString text;
  Qt::TextFormat format = Qt::AutoText;
  QMessageBox::Icon icon = QMessageBox::NoIcon;
  Buttons buttons;
  QMessageBox::StandardButton defaultButton = QMessageBox::NoButton;
};

MessageBoxRequest request(std::string prompt, std::int32_t buttons = 0,
                          std::optional<std::string> title = {}) {
  MessageBoxRequest result;
  result.prompt = std::move(prompt);
  result.buttons = buttons;
  result.title = std::move(title);
  return result;
}

// Shows the request through the port; once the box is up, notes what it shows and presses a
// button (NoButton: the default one).
int showAndPress(const MessageBoxRequest& request, SeenBox& seen,
                 QMessageBox::StandardButton pressed = QMessageBox::NoButton) {
  application();
  QTimer::singleShot(0, [&seen, pressed] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (box == nullptr) return;  // the test then fails on what it did not see
    seen = {box->windowTitle(),     box->text(),
            box->textFormat(),      box->icon(),
            box->standardButtons(), box->standardButton(box->defaultButton())};
    (pressed == QMessageBox::NoButton ? box->defaultButton() : box->button(pressed))->click();
  });
  QtMessageBox port;
  return port.show(request);
}

struct StyleCase {
  const char* name;
  std::int32_t buttons;
  Buttons set;
  QMessageBox::StandardButton defaultButton;
  QMessageBox::Icon icon;
  QMessageBox::StandardButton pressed;  // NoButton: the default
  int answer;
};

class MessageBoxStyle : public ::testing::TestWithParam<StyleCase> {};

TEST_P(MessageBoxStyle, ShowsItsButtonsIconAndDefaultAndAnswersThePressedButton) {
  const StyleCase& style = GetParam();
  SeenBox seen;
  const int answer = showAndPress(request("Prompt", style.buttons), seen, style.pressed);
  EXPECT_EQ(seen.buttons, style.set);
  EXPECT_EQ(seen.defaultButton, style.defaultButton);
  EXPECT_EQ(seen.icon, style.icon);
  EXPECT_EQ(answer, style.answer);
}

using QB = QMessageBox;
INSTANTIATE_TEST_SUITE_P(
    Styles, MessageBoxStyle,
    ::testing::Values(
        StyleCase{"ok_cancel_second_default", 1 + 256, QB::Ok | QB::Cancel, QB::Cancel, QB::NoIcon,
                  QB::NoButton, answer::Cancel},
        StyleCase{"abort_retry_ignore_third_default_abort_pressed", 2 + 512,
                  QB::Abort | QB::Retry | QB::Ignore, QB::Ignore, QB::NoIcon, QB::Abort,
                  answer::Abort},
        StyleCase{"yes_no_cancel_question_no_pressed", 3 + 32, QB::Yes | QB::No | QB::Cancel,
                  QB::Yes, QB::Question, QB::No, answer::No},
        StyleCase{"yes_no_second_default_exclamation_yes_pressed", 4 + 256 + 48, QB::Yes | QB::No,
                  QB::No, QB::Warning, QB::Yes, answer::Yes},
        StyleCase{"yes_no_third_default_is_the_first", 4 + 512, QB::Yes | QB::No, QB::Yes,
                  QB::NoIcon, QB::NoButton, answer::Yes},
        StyleCase{"retry_cancel_information_cancel_pressed", 5 + 64, QB::Retry | QB::Cancel,
                  QB::Retry, QB::Information, QB::Cancel, answer::Cancel},
        StyleCase{"critical_report", 16, QB::Ok, QB::Ok, QB::Critical, QB::NoButton, answer::Ok},
        StyleCase{"set_6_is_ok_only", 6, QB::Ok, QB::Ok, QB::NoIcon, QB::NoButton, answer::Ok},
        StyleCase{"unknown_icon_bits_show_none", 80, QB::Ok, QB::Ok, QB::NoIcon, QB::NoButton,
                  answer::Ok}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(MessageBox, IsTitledWithTheGivenTitleOrElseTheProgramsName) {
  SeenBox seen;
  showAndPress(request("Prompt"), seen);
  EXPECT_EQ(seen.title.toStdString(), kProgramTitle);
  showAndPress(request("Prompt", 0, "Own title"), seen);
  EXPECT_EQ(seen.title, QStringLiteral("Own title"));
}

TEST(MessageBox, BreaksLinesAtCarriageReturnsAndShowsMarkupAsText) {
  SeenBox seen;
  showAndPress(request("Error in Procedure x\r\nError 5 - <b>bad</b>\rend", 16), seen);
  EXPECT_EQ(seen.text, QStringLiteral("Error in Procedure x\nError 5 - <b>bad</b>\nend"));
  EXPECT_EQ(seen.format, Qt::PlainText);
}

TEST(MessageBox, ClosedWithoutAPressedButtonAnswersTheDefaultButton) {
  application();
  const auto box = makeMessageBox(request("Prompt", 4 + 256), nullptr);
  EXPECT_EQ(answerOf(*box, 4 + 256), answer::No);
}

}  // namespace
}  // namespace csv2sql::testing
