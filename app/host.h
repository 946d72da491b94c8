#pragma once

#include "app/frm_main.h"
#include "core/session.h"

namespace csv2sql {

class Program;

// What runs the program: the window host (Qt) or the headless host. runProgram calls these in
// this order: installPorts, attach, then (unless the "1" start has already ended the program)
// run.
class Host {
 public:
  virtual ~Host() = default;

  // Before the program exists: puts the host's message box, event loop and URL opener into
  // the session, and sets session.hasWindow when the host shows the window's lstLog to someone.
  virtual void installPorts(Session& session, FrmMain& form) = 0;

  // Right after the Program is made, before Form_Load: binds Timer1 of the program's window to
  // the host's timer (follow Timer1.changed() for its enabled state and interval, call
  // Timer1.tick() when it fires) and whatever else of the program the host drives.
  virtual void attach(Program& program) = 0;

  // After Form_Load: shows the window when showWindow is true (the service start passes
  // false), then runs the event loop until the program ends. Returns the process's exit status.
  virtual int run(bool showWindow) = 0;
};

}  // namespace csv2sql
