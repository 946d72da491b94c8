#pragma once

#include <filesystem>
#include <iosfwd>

#include "core/clock.h"
#include "core/ports.h"
#include "form/frm_main.h"

namespace csv2sql {

// The process-wide state that every part reads: the window's controls, the two start flags,
// the program's folder and the ports the host installs at start-up (tests install fakes).
struct Session {
  FrmMain frmMain;

  // Set by the "NTSERVICE" start: log lines are not mirrored into lstLog.
  bool ServiceMode = false;
  // Set by the "1" and "2" starts: operator messages go into the run log instead of a box.
  bool UnattendedMode = false;

  // Set by the window host: there is a window whose lstLog someone may read.
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
