#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "core/datetime.h"
#include "core/session.h"
#include "destination/destination.h"
#include "import/csv_rows.h"
#include "log/run_log.h"
#include "settings/settings.h"

namespace csv2sql {

// The run log's file names begin with it.
inline constexpr const char* kLogPrefix = "R27731";

enum class RunEnd {
  Normal,  // every step done
  Failed,  // ended in the error path: one "Error n - description" line in the run log
};

// What a run came to, for those who watch the runs from outside.
struct RunReport {
  DateTime started;
  DateTime ended;
  RunEnd end = RunEnd::Normal;
  std::size_t files = 0;
  FileCounts counts;  // readings stored and rows skipped
  // The log line of each file moved to the error folder, left over its reject limit or passed
  // over as unreadable; a normal run with any is one an operator must look at.
  std::vector<std::string> setAside;
  std::string errorLine;  // "Error n - description" of a failed run
};

// What a run tells the owner of the automatic runs, which decides what follows.
class RunSchedule {
 public:
  virtual ~RunSchedule() = default;
  // Right after the run's log is open: automatic runs wait while it works. True when they
  // were on.
  virtual bool pauseForRun() = 0;
  // The run has ended; paused is what pauseForRun answered (false when the run ended before).
  virtual void runEnded(bool paused, RunEnd end) = 0;
};

// What a run shows while it works; the window implements it.
class RunObserver {
 public:
  virtual ~RunObserver() = default;
  // From before the run reads its settings until it ends: they are not to be edited meanwhile,
  // so what the window shows is what the run uses.
  virtual void settingsLocked(bool locked) = 0;
  // "Load Data": off once the run has its plan, on again only after a normal end (a failed run
  // leaves it off).
  virtual void loadDataEnabled(bool enabled) = 0;
  // The file being read: "File k of n, r rows read, s rows per second"; "" when the run ends.
  virtual void progress(const std::string& text) = 0;
};

// The import run behind "Load Data", the timer and the "1" start. It reads every setting it
// needs once, at its start (the run plan), so an edit made while it yields is for the next run.
class ImportRun {
 public:
  ImportRun(Session& session, RunLog& log, Destination& destination, RunSchedule& schedule,
            RunObserver& observer);

  // Runs to its end with these settings; never throws. A call while a run is in progress does
  // nothing.
  RunEnd btnTransferData_Click(const Settings& settings);

  bool inProgress() const { return inProgress_; }

  // Asks a run in progress to stop after the file it is on (its rows committed or rolled back).
  void requestStop() { stopRequested_ = true; }

  // The last line of the last run that ended normally: "Run done: ..." with its figures.
  const std::string& summary() const { return summary_; }
  // What the last run came to, however it ended.
  const RunReport& report() const { return report_; }

  // When the run that opened the current run log started.
  DateTime LogOpenedAt;

 private:
  Session& session_;
  RunLog& log_;
  Destination& destination_;
  RunSchedule& schedule_;
  RunObserver& observer_;
  bool inProgress_ = false;
  bool stopRequested_ = false;
  std::string summary_;
  RunReport report_;
};

}  // namespace csv2sql
