#pragma once

// The ODBC API. Windows' own headers expect windows.h first for their types (DWORD, HWND).
// Without its min and max macros, which would break std::min and std::max.
#ifdef _WIN32
#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>
#endif

#include <sql.h>
#include <sqlext.h>
