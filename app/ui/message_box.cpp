#include "app/ui/message_box.h"

#include <vector>

#include "app/ui/qt_text.h"
#include "log/messages.h"

namespace csv2sql {

namespace {

struct ButtonAnswer {
  QMessageBox::StandardButton button;
  int answer;
};

constexpr ButtonAnswer kAnswers[] = {
    {QMessageBox::Ok, answer::Ok},         {QMessageBox::Cancel, answer::Cancel},
    {QMessageBox::Abort, answer::Abort},   {QMessageBox::Retry, answer::Retry},
    {QMessageBox::Ignore, answer::Ignore}, {QMessageBox::Yes, answer::Yes},
    {QMessageBox::No, answer::No}};

int answerFor(QMessageBox::StandardButton button) {
  for (const auto& entry : kAnswers) {
    if (entry.button == button) return entry.answer;
  }
  return 0;
}

// The buttons of the set in the low three bits, first to last.
std::vector<QMessageBox::StandardButton> buttonSet(std::int32_t buttons) {
  switch (buttons & 7) {
    case mb::OkCancel:
      return {QMessageBox::Ok, QMessageBox::Cancel};
    case mb::AbortRetryIgnore:
      return {QMessageBox::Abort, QMessageBox::Retry, QMessageBox::Ignore};
    case mb::YesNoCancel:
      return {QMessageBox::Yes, QMessageBox::No, QMessageBox::Cancel};
    case mb::YesNo:
      return {QMessageBox::Yes, QMessageBox::No};
    case mb::RetryCancel:
      return {QMessageBox::Retry, QMessageBox::Cancel};
    default:  // OK only, and the two values that name no set
      return {QMessageBox::Ok};
  }
}

QMessageBox::Icon iconOf(std::int32_t buttons) {
  switch (buttons & 0x70) {
    case mb::Critical:
      return QMessageBox::Critical;
    case mb::Question:
      return QMessageBox::Question;
    case mb::Exclamation:
      return QMessageBox::Warning;
    case mb::Information:
      return QMessageBox::Information;
    default:
      return QMessageBox::NoIcon;
  }
}

// A carriage return, alone or before a line feed, breaks the line.
QString promptText(const std::string& prompt) {
  QString text = toQt(prompt);
  text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
  return text;
}

}  // namespace

std::unique_ptr<QMessageBox> makeMessageBox(const MessageBoxRequest& request, QWidget* owner) {
  auto box = std::make_unique<QMessageBox>(owner);
  box->setWindowTitle(toQt(request.title.value_or(kProgramTitle)));
  // Error descriptions may hold "<": never read them as markup.
  box->setTextFormat(Qt::PlainText);
  box->setText(promptText(request.prompt));
  box->setIcon(iconOf(request.buttons));
  const int defaultAnswer = defaultButtonAnswer(request.buttons);
  for (const QMessageBox::StandardButton button : buttonSet(request.buttons)) {
    box->addButton(button);
    if (answerFor(button) == defaultAnswer) box->setDefaultButton(button);
  }
  return box;
}

int answerOf(const QMessageBox& box, std::int32_t buttons) {
  const int answer = answerFor(box.standardButton(box.clickedButton()));
  return answer != 0 ? answer : defaultButtonAnswer(buttons);
}

int QtMessageBox::show(const MessageBoxRequest& request) {
  const auto box = makeMessageBox(request, owner_);
  box->exec();
  return answerOf(*box, request.buttons);
}

}  // namespace csv2sql
