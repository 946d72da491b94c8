#pragma once

#include <filesystem>
#include <iosfwd>

#include "core/clock.h"
#include "core/ports.h"

namespace csv2sql {

// The process-wide state that every layer may know: the program's folder, the two start flags
// and the ports the host installs at start-up (tests install fakes). The window is not here: it
// lives above every layer and sees them, never the other way round.
struct Session {
  // Set by the "NTSERVICE" start: log lines are not shown in the window.
  bool ServiceMode = false;
  // Set by the "1" and "2" starts: operator messages go into the run log instead of a box.
  bool UnattendedMode = false;

  // Set by the window host: there is a window whose log list someone may read.
  bool hasWindow = false;

  std::filesystem::path programFolder;

  const Clock* clock = nullptr;
  MessageBoxPort* messageBox = nullptr;
  EventLoopPort* eventLoop = nullptr;
  UrlOpenerPort* urlOpener = nullptr;
  // Where a line goes that can reach neither the log file nor a window.
  std::ostream* errorStream = nullptr;
  // Where the "1" start prints its run's summary line.
  std::ostream* outputStream = nullptr;
};

}  // namespace csv2sql
