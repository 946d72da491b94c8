#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "app/frm_main.h"
#include "app/run_view.h"
#include "app/scheduler.h"
#include "core/error.h"
#include "core/session.h"
#include "destination/destination.h"
#include "import/import_run.h"
#include "log/messages.h"
#include "log/run_log.h"

namespace csv2sql {

// The start that checks the source files the next run would read, and writes nothing.
inline constexpr const char* kCheckArgument = "--check";

// The window's outer size (W, H) and the size of its client area (SW, SH), in twips.
struct WindowMetrics {
  double W = 0;
  double H = 0;
  double SW = 0;
  double SH = 0;
};

// The window's behaviour for one session: it owns the run log, the operator messages, the
// destination connection, the scheduler and the import run, and wires the window's controls to
// its handlers when it is made. One Program per session and window, living as long as they are in
// use: the controls keep calling it.
class Program {
 public:
  Program(Session& session, FrmMain& form);
  ~Program();
  Program(const Program&) = delete;
  Program& operator=(const Program&) = delete;

  // Fills the provider list, loads config.ini and shows its settings, clears UnattendedMode, then
  // dispatches the argument text: "1" runs once and asks the program to end, "--check" checks
  // the source files and asks the program to end; "2" silences messages and starts automatic
  // runs when chkAutoRun is checked; "--redrop SINCE" moves archived files back into the source
  // folder and asks the program to end. Settings that failed to load start no
  // run: "1" ends with status 1 and the load error in the run log and on standard error.
  void Form_Load(const std::string& argumentText);
  // lstLog reaches the bottom of the client area and ends 120 twips short of its right edge.
  void Form_Resize(const WindowMetrics& metrics);

  // "Load Data": an import run with the settings the window shows.
  RunEnd btnTransferData_Click();
  void btnSaveSettings_Click();
  void chkDelOldRecs_Click();
  void btnHelp_Click();
  // "Preview": what the next run would read from its first file, with the settings the window
  // shows, in a box; nothing is written.
  void btnPreview_Click();
  // Fills spUTC from txtUtcZone: a zone name, then optionally the first and the last year
  // (a zone alone: this year and the next).
  void btnFillUtc_Click();

  // Set by the "1" start: the program ends right after Form_Load with this status (0 after a
  // run that ended normally, 3 after one that ended normally but set files aside, 1 after one
  // that ended in its error path); and by "--check" (0, or 1 when it could not check).
  bool exitRequested() const { return exitRequested_; }
  int exitCode() const { return exitCode_; }
  // False when config.ini failed to load: the window shows partial settings.
  bool settingsLoaded() const { return !settingsFailure_; }

  Session& session() { return session_; }
  FrmMain& form() { return form_; }
  ImportRun& importRun() { return importRun_; }
  Scheduler& scheduler() { return scheduler_; }
  RunLog& runLog() { return runLog_; }

 private:
  void dispatch(const std::string& argumentText);
  void refuseRunOnPartialSettings();
  // The "--check" start: every file the next run would read, on standard output.
  void checkSourceFolder();
  // --redrop SINCE: the archived files back into the source folder; the exit status.
  int redrop(std::string_view sinceText);
  // Leaves how a run ended in the status file (and a failed run in the system's event log).
  void leaveStatus(const RunReport& report);

  Session& session_;
  FrmMain& form_;
  RunView runView_;
  RunLog runLog_;
  Messages messages_;
  Destination destination_;
  Scheduler scheduler_;
  ImportRun importRun_;
  bool exitRequested_ = false;
  int exitCode_ = 0;
  std::optional<Error> settingsFailure_;
};

}  // namespace csv2sql
