#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "core/error.h"
#include "core/ports.h"
#include "core/session.h"
#include "log/run_log.h"

namespace csv2sql {

// The word for a message-box answer code: "OK", "CANCEL", ... "NO"; "" for any other value.
std::string MsgBoxAnswerName(int answer);

// The answer of the default button of a box with these style bits.
int defaultButtonAnswer(std::int32_t buttons);

// The block that stands for a box nobody can answer: the banner, PROMPT=, BUTTONS=, the
// optional TITLE=, HELPFILE= and CONTEXT= lines, ANSWER= and the closing rule.
void writeSilentMessageBlock(RunLog& log, const MessageBoxRequest& request, int answer);

// Operator messages and error reports. When UnattendedMode is set, a message becomes a
// silent block in the run log and is answered with its default button.
class Messages {
 public:
  Messages(Session& session, RunLog& log) : session_(session), log_(log) {}

  // Never throws; returns 0 when something failed while it worked.
  int VexMsgBox(const MessageBoxRequest& request) noexcept;

  // A critical message about a trapped error: "Error in Procedure " + name + CR LF + "Error "
  // + number + " - " + description, or the second line alone without a name. Number 0: nothing.
  void ReportError(std::int32_t number, std::string_view description,
                   std::string_view procedureName = {}) noexcept;
  void ReportError(const Error& error, std::string_view procedureName = {}) noexcept {
    ReportError(error.number(), error.description(), procedureName);
  }

  // A plain box straight to the host, never silenced (the settings load, the folder helpers).
  int directBox(const MessageBoxRequest& request) noexcept;

 private:
  Session& session_;
  RunLog& log_;
};

}  // namespace csv2sql
