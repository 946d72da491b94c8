#include "app/scheduler.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "core/datetime_text.h"
#include "core/error.h"
#include "core/text.h"
#include "import/setting_number.h"

namespace csv2sql {

namespace {
constexpr std::int32_t kTickInterval = 60000;  // one minute
// More doublings of any first delay would reach beyond the range of dates.
constexpr int kMostDoublings = 40;
}  // namespace

Scheduler::Scheduler(Session& session, FrmMain& form, Messages& messages, RunLog& log,
                     std::function<void()> run)
    : session_(session), form_(form), messages_(messages), log_(log), run_(std::move(run)) {}

double Scheduler::runMinutes() const {
  return leadingNumber(form_.txtAutoRun.text());
}

void Scheduler::setNextRunTime(double minutes) {
  const DateTime next = session_.clock->now().addMinutes(minutes).wholeSeconds();
  nextRun_ = next;
  form_.lblNextRun.setCaption(formatGeneralDate(next));
}

std::optional<std::int32_t> Scheduler::retryMinutes(std::string_view procedureName) {
  const NumberSetting setting{form_.txtRetryMinutes.text()};
  if (trimSpaces(setting.text).empty()) return std::nullopt;
  try {
    return wholeNumberSetting(setting, "RETRYMINUTES", "Retry After (minutes)", 1);
  } catch (const Error& error) {
    messages_.ReportError(error, procedureName);
    return std::nullopt;
  }
}

void Scheduler::btnStartAutoRun_Click() {
  // The next run time comes first: a minutes value that puts it outside the range of dates is
  // reported and leaves automatic runs off, instead of a timer running on a stale time.
  try {
    setNextRunTime(runMinutes());
  } catch (const Error& error) {
    messages_.ReportError(error, "btnStartAutoRun_Click");
    return;
  }
  // A retry delay that cannot be used is told now rather than first after a failed run.
  retryMinutes("btnStartAutoRun_Click");
  failedRuns_ = 0;
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

bool Scheduler::retryFailedRun() {
  const std::optional<std::int32_t> first = retryMinutes("Timer1_Timer");
  if (!first) return false;
  const double minutes = std::min(std::ldexp(*first, failedRuns_), runMinutes());
  try {
    setNextRunTime(minutes);
  } catch (const Error& error) {
    messages_.ReportError(error, "Timer1_Timer");
    return false;
  }
  failedRuns_ = std::min(failedRuns_ + 1, kMostDoublings);
  log_.WriteLog("Next try at " + form_.lblNextRun.caption() + " after the failed run");
  form_.Timer1.setEnabled(true);
  return true;
}

void Scheduler::runEnded(bool paused, RunEnd end) {
  runInProgress_ = false;
  if (!paused) return;
  if (end == RunEnd::Failed) {
    // "Stop Autorun" pressed during the failed run stays pressed: no retry.
    if (state_ != State::Waiting || !retryFailedRun()) state_ = State::Stalled;
    return;
  }
  failedRuns_ = 0;
  // A stop pressed during the run found Timer1 already off: the run turns it on again.
  setNextRunTime(runMinutes());
  form_.Timer1.setEnabled(true);
  state_ = State::Waiting;
}

}  // namespace csv2sql
