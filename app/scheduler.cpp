#include "app/scheduler.h"

#include <utility>

#include "core/datetime_text.h"
#include "core/error.h"
#include "core/text.h"

namespace csv2sql {

namespace {
constexpr std::int32_t kTickInterval = 60000;  // one minute
}  // namespace

Scheduler::Scheduler(Session& session, FrmMain& form, Messages& messages, std::function<void()> run)
    : session_(session), form_(form), messages_(messages), run_(std::move(run)) {}

void Scheduler::setNextRunTime() {
  const DateTime next =
      session_.clock->now().addMinutes(leadingNumber(form_.txtAutoRun.text())).wholeSeconds();
  nextRun_ = next;
  form_.lblNextRun.setCaption(formatGeneralDate(next));
}

void Scheduler::btnStartAutoRun_Click() {
  // The next run time comes first: a minutes value that puts it outside the range of dates is
  // reported and leaves automatic runs off, instead of a timer running on a stale time.
  try {
    setNextRunTime();
  } catch (const Error& error) {
    messages_.ReportError(error, "btnStartAutoRun_Click");
    return;
  }
  form_.btnStartAutoRun.setEnabled(false);
  form_.Timer1.setInterval(kTickInterval);
  form_.Timer1.setEnabled(true);
  state_ = State::Waiting;
}

void Scheduler::btnStopAutorun_Click() {
  form_.btnStartAutoRun.setEnabled(true);
  form_.Timer1.setEnabled(false);
  state_ = State::Off;
}

void Scheduler::Timer1_Timer() {
  // A tick during a run's yield (automatic runs started during a manual run) waits for the
  // next one: a run never starts inside a run.
  if (runInProgress_) return;
  const DateTime now = session_.clock->now().wholeSeconds();
  if (!nextRun_) {
    nextRun_ = now;
    form_.lblNextRun.setCaption(formatGeneralDate(now));
    return;
  }
  if (now > *nextRun_) run_();
}

bool Scheduler::pauseForRun() {
  runInProgress_ = true;
  Timer& timer = form_.Timer1;
  if (!timer.enabled()) return false;
  timer.setEnabled(false);
  return true;
}

void Scheduler::runEnded(bool paused, RunEnd end) {
  runInProgress_ = false;
  if (!paused) return;
  if (end == RunEnd::Failed) {
    state_ = State::Stalled;
    return;
  }
  // A stop pressed during the run found Timer1 already off: the run turns it on again.
  setNextRunTime();
  form_.Timer1.setEnabled(true);
  state_ = State::Waiting;
}

}  // namespace csv2sql
