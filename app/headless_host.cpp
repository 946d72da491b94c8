#include "app/headless_host.h"

#include <algorithm>
#include <csignal>
#include <iostream>
#include <thread>

#include "app/program.h"
#include "log/messages.h"

namespace csv2sql {

namespace {

volatile std::sig_atomic_t stopSignalled = 0;

extern "C" void onStopSignal(int) {
  stopSignalled = 1;
}

// How long the loop sleeps at most before it looks at the stop flag again.
constexpr auto kSlice = std::chrono::milliseconds(100);

}  // namespace

HeadlessHost::HeadlessHost(std::optional<std::int32_t> tickInterval)
    : tickInterval_(tickInterval) {}

HeadlessHost::~HeadlessHost() {
  if (!handlersInstalled_) return;
  std::signal(SIGTERM, previousTerm_ == SIG_ERR ? SIG_DFL : previousTerm_);
  std::signal(SIGINT, previousInt_ == SIG_ERR ? SIG_DFL : previousInt_);
}

void HeadlessHost::installPorts(Session& session, FrmMain& /*form*/) {
  session_ = &session;
  session.messageBox = this;
  session.eventLoop = this;
  session.urlOpener = this;
  if (!handlersInstalled_) {
    stopSignalled = 0;
    previousTerm_ = std::signal(SIGTERM, onStopSignal);
    previousInt_ = std::signal(SIGINT, onStopSignal);
    handlersInstalled_ = true;
  }
}

void HeadlessHost::requestStop() {
  stopSignalled = 1;
}

void HeadlessHost::attach(Program& program) {
  program_ = &program;
  Timer& timer = program.form().Timer1;
  timer.changed().connect([this, &timer] {
    if (timer.enabled()) rearm();
  });
  if (timer.enabled()) rearm();
}

void HeadlessHost::rearm() {
  const std::int32_t interval = tickInterval_.value_or(program_->form().Timer1.interval());
  // A timer without an interval never ticks.
  nextTick_ = interval > 0 ? SteadyClock::now() + std::chrono::milliseconds(interval)
                           : SteadyClock::time_point::max();
}

int HeadlessHost::run(bool /*showWindow*/) {
  const Timer& timer = program_->form().Timer1;
  while (stopSignalled == 0) {
    if (program_->scheduler().state() != Scheduler::State::Waiting) {
      out() << "csv2sql: automatic runs are off (a run failed or they could not start: see "
               "the run log and the messages above); the program ends with status 1.\n";
      return 1;
    }
    const auto now = SteadyClock::now();
    if (now < nextTick_) {
      std::this_thread::sleep_for(std::min<SteadyClock::duration>(kSlice, nextTick_ - now));
      continue;
    }
    rearm();
    timer.tick();
  }
  return 0;
}

int HeadlessHost::show(const MessageBoxRequest& request) {
  const int answer = defaultButtonAnswer(request.buttons);
  out() << request.title.value_or(kProgramTitle) << ": " << request.prompt
        << "\n(no one can answer here: the default button " << MsgBoxAnswerName(answer)
        << " is taken)\n";
  return answer;
}

void HeadlessHost::yield() {
  if (stopSignalled != 0 && program_ != nullptr && program_->importRun().inProgress()) {
    program_->importRun().requestStop();
  }
}

void HeadlessHost::open(const std::string& url) {
  out() << "csv2sql: open " << url << " in a browser.\n";
}

std::ostream& HeadlessHost::out() const {
  return session_ != nullptr && session_->errorStream != nullptr ? *session_->errorStream
                                                                 : std::cerr;
}

}  // namespace csv2sql
