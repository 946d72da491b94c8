#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string_view>

#include "app/frm_main.h"
#include "core/datetime.h"
#include "core/session.h"
#include "import/import_run.h"
#include "log/messages.h"
#include "log/run_log.h"

namespace csv2sql {

// The automatic runs: the next run time, Timer1 and whether they stalled. lblNextRun shows
// the next run time; the time itself is held here, to the second as the caption shows it.
// With a retry delay (txtRetryMinutes), a failed run is tried again after it, then after twice
// the last delay for each further failure, never later than the run interval; a normal end
// goes back to the run interval and to the first delay.
class Scheduler final : public RunSchedule {
 public:
  enum class State {
    Off,      // never started, stopped, or the start failed
    Waiting,  // Timer1 runs; a tick after the next run time starts a run
    // A run they had paused ended in its error path, with no retry delay to try again after;
    // off until started again.
    Stalled,
  };

  // run: the import run a due tick starts. log: the run log, open when a run ends, for the time
  // of the next try.
  Scheduler(Session& session, FrmMain& form, Messages& messages, RunLog& log,
            std::function<void()> run);

  // "Start Autorun": the next run time is now + the minutes of txtAutoRun, then Timer1 runs
  // every minute. A time beyond the range of dates is reported and leaves them off. A retry
  // delay that is no whole number of minutes, 1 or more, is reported: failed runs then stall.
  void btnStartAutoRun_Click();
  void btnStopAutorun_Click();
  // A tick strictly after the next run time, compared to the second, starts a run.
  void Timer1_Timer();

  State state() const { return state_; }

  bool pauseForRun() override;
  // After a normal end of a run it paused: the next run time from now, Timer1 on again.
  // After a failed one: the next try with a retry delay ("Next try at ..." in the run log),
  // else Timer1 stays off (stalled).
  void runEnded(bool paused, RunEnd end) override;

 private:
  // The minutes of txtAutoRun.
  double runMinutes() const;
  void setNextRunTime(double minutes);
  // The first retry delay; none when its box is empty, or when it is no whole number of
  // minutes, reported in the procedure named.
  std::optional<std::int32_t> retryMinutes(std::string_view procedureName);
  // False when the failed run is not to be tried again.
  bool retryFailedRun();

  Session& session_;
  FrmMain& form_;
  Messages& messages_;
  RunLog& log_;
  std::function<void()> run_;
  std::optional<DateTime> nextRun_;
  State state_ = State::Off;
  bool runInProgress_ = false;
  // Failed runs since the last normal end or start: the retry delay doubles with each.
  int failedRuns_ = 0;
};

}  // namespace csv2sql
