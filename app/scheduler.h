#pragma once

#include <functional>
#include <optional>

#include "app/frm_main.h"
#include "core/datetime.h"
#include "core/session.h"
#include "import/import_run.h"
#include "log/messages.h"

namespace csv2sql {

// The automatic runs: the next run time, Timer1 and whether they stalled. lblNextRun shows
// the next run time; the time itself is held here, to the second as the caption shows it.
class Scheduler final : public RunSchedule {
 public:
  enum class State {
    Off,      // never started, stopped, or the start failed
    Waiting,  // Timer1 runs; a tick after the next run time starts a run
    Stalled,  // a run they had paused ended in its error path; off until started again
  };

  // run: the import run a due tick starts.
  Scheduler(Session& session, FrmMain& form, Messages& messages, std::function<void()> run);

  // "Start Autorun": the next run time is now + the minutes of txtAutoRun, then Timer1 runs
  // every minute. A time beyond the range of dates is reported and leaves them off.
  void btnStartAutoRun_Click();
  void btnStopAutorun_Click();
  // A tick strictly after the next run time, compared to the second, starts a run.
  void Timer1_Timer();

  State state() const { return state_; }

  bool pauseForRun() override;
  // After a normal end of a run it paused: the next run time from now, Timer1 on again.
  // After a failed one: Timer1 stays off (stalled).
  void runEnded(bool paused, RunEnd end) override;

 private:
  void setNextRunTime();

  Session& session_;
  FrmMain& form_;
  Messages& messages_;
  std::function<void()> run_;
  std::optional<DateTime> nextRun_;
  State state_ = State::Off;
  bool runInProgress_ = false;
};

}  // namespace csv2sql
