#include "log/messages.h"

#include <array>
#include <ostream>

namespace csv2sql {

namespace {

// Answers by button set (the lowest three bits) and default button (first, second, third);
// a default button that the set lacks answers like the first.
constexpr std::array<std::array<int, 3>, 8> kDefaultAnswers = {{
    {answer::Ok, answer::Ok, answer::Ok},            // OK
    {answer::Ok, answer::Cancel, answer::Ok},        // OK, Cancel
    {answer::Abort, answer::Retry, answer::Ignore},  // Abort, Retry, Ignore
    {answer::Yes, answer::No, answer::Cancel},       // Yes, No, Cancel
    {answer::Yes, answer::No, answer::Yes},          // Yes, No
    {answer::Retry, answer::Cancel, answer::Retry},  // Retry, Cancel
    {answer::Ok, answer::Ok, answer::Ok},            // not a set
    {answer::Ok, answer::Ok, answer::Ok},            // not a set
}};

// Nobody can answer a box here: it must not wait. The prompt goes to the error stream and,
// when a run log is open, into the log as a silent block; the default button answers.
int answerUnseen(Session& session, RunLog& log, const MessageBoxRequest& request) {
  const int answer = defaultButtonAnswer(request.buttons);
  if (session.errorStream != nullptr) *session.errorStream << request.prompt << std::endl;
  if (!log.LogFileName().empty()) writeSilentMessageBlock(log, request, answer);
  return answer;
}

}  // namespace

std::string MsgBoxAnswerName(int answer) {
  switch (answer) {
    case answer::Ok:
      return "OK";
    case answer::Cancel:
      return "CANCEL";
    case answer::Abort:
      return "ABORT";
    case answer::Retry:
      return "RETRY";
    case answer::Ignore:
      return "IGNORE";
    case answer::Yes:
      return "YES";
    case answer::No:
      return "NO";
    default:
      return "";
  }
}

int defaultButtonAnswer(std::int32_t buttons) {
  const std::size_t button = (buttons & mb::DefaultButton2) != 0   ? 1
                             : (buttons & mb::DefaultButton3) != 0 ? 2
                                                                   : 0;
  return kDefaultAnswers[static_cast<std::size_t>(buttons & 7)][button];
}

void writeSilentMessageBlock(RunLog& log, const MessageBoxRequest& request, int answer) {
  log.WriteLog(std::string(31, '=') + " SILENT VEXMSGBOX " + std::string(31, '='));
  log.WriteLog("PROMPT= " + request.prompt);
  log.WriteLog("BUTTONS= " + std::to_string(request.buttons));
  if (request.title) log.WriteLog("TITLE= " + *request.title);
  log.WriteLog("ANSWER= " + MsgBoxAnswerName(answer));
  log.WriteLog(std::string(77, '='));
}

int Messages::VexMsgBox(const MessageBoxRequest& request) noexcept {
  if (!session_.UnattendedMode) return directBox(request);
  try {
    const int answer = defaultButtonAnswer(request.buttons);
    writeSilentMessageBlock(log_, request, answer);
    return answer;
  } catch (...) {
    return 0;
  }
}

void Messages::ReportError(std::int32_t number, std::string_view description,
                           std::string_view procedureName) noexcept {
  if (number == 0) return;
  try {
    std::string text = "Error " + numberAndDescription(number, description);
    if (!procedureName.empty()) {
      text = "Error in Procedure " + std::string(procedureName) + "\r\n" + text;
    }
    MessageBoxRequest request;
    request.prompt = std::move(text);
    request.buttons = mb::Critical;
    VexMsgBox(request);
  } catch (...) {
    // A report that cannot even be built has nowhere left to go.
  }
}

int Messages::directBox(const MessageBoxRequest& request) noexcept {
  try {
    if (session_.ServiceMode || session_.messageBox == nullptr) {
      return answerUnseen(session_, log_, request);
    }
    return session_.messageBox->show(request);
  } catch (...) {
    return 0;
  }
}

}  // namespace csv2sql
