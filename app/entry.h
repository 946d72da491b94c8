#pragma once

#include <iosfwd>
#include <optional>
#include <string>
#include <string_view>

#include "app/host.h"
#include "core/session.h"

namespace csv2sql {

// What to say when the window cannot be shown: the starts that need none.
inline constexpr const char* kStartsWithoutWindow =
    "Start it with the argument 1 to run one import and end, or with NTSERVICE to run the\n"
    "automatic imports without a window (for a service manager).\n";

// The command line after the program's name: its words joined by single blanks.
std::string argumentText(int argc, char** argv);

// The service start: the whole text, upper-cased, is "NTSERVICE" (no trimming, no words).
bool isServiceStart(const std::string& text);

// The argument that moves archived files back into the source folder, before its date-time.
inline constexpr std::string_view kRedropArgument = "--redrop";

// The starts that never show a window: the service start, "1", "--check" and --redrop.
bool startsWithoutWindow(const std::string& text);

// The arguments that print and end without a session or a display: --help, --version,
// --utc-periods ZONE FIRST_YEAR LAST_YEAR and --status [MINUTES]. Their exit status, or nothing
// for every other start.
std::optional<int> runCommand(int argc, char** argv, std::ostream& out, std::ostream& err);

// The entry routine: sets ServiceMode, makes the program on the window's model and loads it
// (Form_Load, which runs the "1" start to its end), then starts automatic runs and runs hidden
// for the service start, or shows the window and runs until it closes. Returns the exit status.
int runProgram(Session& session, FrmMain& form, const std::string& argumentText, Host& host);

}  // namespace csv2sql
