#pragma once

#include "core/datetime.h"
#include "db/destination.h"
#include "form/session.h"
#include "log/run_log.h"

namespace csv2sql {

// Sets the caption of lblNextRun to now + the minutes at the start of txtAutoRun, in the
// locale's general date form: what starting automatic runs and re-arming after a run share.
void setNextRunTime(Session& session);

// The import run behind "Load Data", the timer and the "1" start.
class ImportRun {
 public:
  ImportRun(Session& session, RunLog& log, Destination& destination);

  // Runs to its end. Returns true when the run ended normally, false when it ended in its
  // error path (one "Error n - description" line in the run log). Never throws.
  bool btnTransferData_Click();

  bool inProgress() const { return inProgress_; }

  // Asks a run in progress to stop after the file it is on (its rows committed or rolled back).
  void requestStop() { stopRequested_ = true; }

  // When the run that opened the current run log started.
  DateTime LogOpenedAt;

 private:
  Session& session_;
  RunLog& log_;
  Destination& destination_;
  bool inProgress_ = false;
  bool stopRequested_ = false;
};

}  // namespace csv2sql
