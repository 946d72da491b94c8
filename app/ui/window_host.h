#pragma once

#include <memory>

#include "app/host.h"
#include "core/session.h"

namespace csv2sql {

// The Qt window host, for the starts that show the window. It may keep argc and
// argv (Qt's application object wants them for the process's life). Returns nullptr when no
// window can be shown; the caller then explains the starts that need none.
std::unique_ptr<Host> makeWindowHost(int& argc, char** argv, Session& session);

}  // namespace csv2sql
