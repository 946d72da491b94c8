#pragma once

#include <memory>

#include "app/host.h"

namespace csv2sql {

// The native Windows host, for the starts that show the window: the window of main_frame.h, its
// message loop, MessageBox and the system's browser for "Help".
std::unique_ptr<Host> makeWin32Host();

}  // namespace csv2sql
