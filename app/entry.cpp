#include "app/entry.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cstdint>
#include <ostream>
#include <string_view>

#include "app/program.h"
#include "app/run_status.h"
#include "app/status_check.h"
#include "core/clock.h"
#include "core/error.h"
#include "core/platform.h"
#include "core/text.h"
#include "import/utc_periods.h"
#include "settings/setting_keys.h"

namespace csv2sql {

namespace {

constexpr const char* kUsage =
    "Usage: csv2sql [1 | 2 | NTSERVICE | --check]\n"
    "       csv2sql --utc-periods ZONE FIRST_YEAR LAST_YEAR\n"
    "       csv2sql --status [MINUTES]\n"
    "       csv2sql --redrop SINCE\n"
    "       csv2sql --help | --version\n"
    "\n"
    "Without an argument the window opens. config.ini and the log folder are beside the program.\n"
    "  1          run one import with the saved settings and end, without a window (status 0\n"
    "             after a normal run, 1 after a failed one)\n"
    "             (status 3 after a normal run that moved a file to the error folder, left one\n"
    "             over its reject limit or passed over one it could not read)\n"
    "  2          open the window with messages into the run log, starting the automatic runs\n"
    "             when they are checked\n"
    "  NTSERVICE  run the automatic imports without a window, for a service manager\n"
    "  --check    read every file the next run would, with the saved settings, and print\n"
    "             what each gives (its counts, first readings and skipped rows); nothing is\n"
    "             written, no database is opened (status 0, 1 when it cannot check)\n"
    "  --utc-periods ZONE FIRST_YEAR LAST_YEAR\n"
    "             print the UTC= lines of config.ini for a time zone of the system's database\n"
    "             (for example Europe/Berlin) from the first to the last year, in UTC\n"
    "  --status [MINUTES]\n"
    "             print how the last run ended, as a monitoring check: OK, WARNING (it set\n"
    "             files aside), CRITICAL (it failed, or no run ended normally in the last\n"
    "             MINUTES minutes) or UNKNOWN (no run yet), with status 0, 1, 2 or 3\n"
    "  --redrop SINCE\n"
    "             move the files archived at or after the date-time SINCE back into the source\n"
    "             folder under their own names, so that the next run imports again those the\n"
    "             destination lost (with the ledger it passes over those it holds)\n"
#ifdef _WIN32
    "  --install-service, --remove-service\n"
    "             register the program as a Windows service that starts automatically and\n"
    "             runs as NTSERVICE, or stop and remove that service\n"
#endif
    "  --help     print this text\n"
    "  --version  print the version\n";

int printUtcPeriods(int argc, char** argv, std::ostream& out, std::ostream& err) {
  if (argc != 5) {
    err << "csv2sql: --utc-periods takes a zone, a first and a last year.\n" << kUsage;
    return 2;
  }
  try {
    out << utcLines(utcRowsOf(utcPeriodsOf(argv[2], toInt32(argv[3]), toInt32(argv[4]))));
    return 0;
  } catch (const Error& error) {
    err << "csv2sql: Error " << error.numberAndDescription() << "\n";
    return 2;
  }
}

// MINUTES of --status: a whole number, 1 or more.
std::optional<std::int32_t> minutesOf(std::string_view text) {
  std::int32_t minutes = 0;
  const char* end = text.data() + text.size();
  const auto [stop, error] = std::from_chars(text.data(), end, minutes);
  if (error != std::errc() || stop != end || minutes < 1) return std::nullopt;
  return minutes;
}

StatusCheck checkStatusFile(std::optional<std::int32_t> minutes) {
  try {
    const auto status = readRunStatus(statusFile(platform::executablePath().parent_path()));
    return checkStatus(status, SystemClock().now(), minutes);
  } catch (const Error& error) {
    return {kStatusUnknown, "csv2sql UNKNOWN - " + error.numberAndDescription()};
  }
}

// The check of the status file beside the program. A usage fault is UNKNOWN too: a monitoring
// system takes every other status for a state of what it watches.
int printStatus(int argc, char** argv, std::ostream& out) {
  const std::optional<std::int32_t> minutes =
      argc == 3 ? minutesOf(argv[2]) : std::optional<std::int32_t>();
  if (argc > 3 || (argc == 3 && !minutes)) {
    out << "csv2sql UNKNOWN - usage: csv2sql --status [MINUTES], MINUTES a whole number of "
           "minutes, 1 or more\n";
    return kStatusUnknown;
  }
  const StatusCheck check = checkStatusFile(minutes);
  out << check.line << "\n";
  return check.exitStatus;
}

}  // namespace

std::optional<int> runCommand(int argc, char** argv, std::ostream& out, std::ostream& err) {
  if (argc < 2) return std::nullopt;
  const std::string_view first = argv[1];
  if (first == "--help" && argc == 2) {
    out << kUsage;
    return 0;
  }
  if (first == "--version" && argc == 2) {
    out << "csv2sql " << CSV2SQL_VERSION << "\n";
    return 0;
  }
  if (first == "--utc-periods") return printUtcPeriods(argc, argv, out, err);
  if (first == "--status") return printStatus(argc, argv, out);
  return std::nullopt;
}

std::string argumentText(int argc, char** argv) {
  std::string text;
  for (int i = 1; i < argc; ++i) {
    if (i > 1) text += ' ';
    text += argv[i];
  }
  return text;
}

bool isServiceStart(const std::string& text) {
  return equalsIgnoreCase(text, "NTSERVICE");
}

bool startsWithoutWindow(const std::string& text) {
  return isServiceStart(text) || text == "1" || text == kCheckArgument ||
         text.starts_with(kRedropArgument);
}

int runProgram(Session& session, FrmMain& form, const std::string& argumentText, Host& host) {
  session.ServiceMode = isServiceStart(argumentText);
  host.installPorts(session, form);
  Program program(session, form);
  host.attach(program);
  program.Form_Load(argumentText);
  if (program.exitRequested()) return program.exitCode();
  if (session.ServiceMode) {
    // Automatic runs whatever chkAutoRun holds: that is what the service start is for. None on
    // partial settings: the host then ends with status 1.
    if (program.settingsLoaded()) program.scheduler().btnStartAutoRun_Click();
    return host.run(false);
  }
  return host.run(true);
}

}  // namespace csv2sql
