#include "app/entry.h"

#include <algorithm>
#include <cctype>
#include <ostream>
#include <string_view>

#include "app/program.h"
#include "core/error.h"
#include "core/text.h"
#include "import/utc_periods.h"
#include "settings/setting_keys.h"

namespace csv2sql {

namespace {

constexpr const char* kUsage =
    "Usage: csv2sql [1 | 2 | NTSERVICE]\n"
    "       csv2sql --utc-periods ZONE FIRST_YEAR LAST_YEAR\n"
    "       csv2sql --help | --version\n"
    "\n"
    "Without an argument the window opens. config.ini and the log folder are beside the program.\n"
    "  1          run one import with the saved settings and end, without a window (status 0\n"
    "             after a normal run, 1 after a failed one)\n"
    "  2          open the window with messages into the run log, starting the automatic runs\n"
    "             when they are checked\n"
    "  NTSERVICE  run the automatic imports without a window, for a service manager\n"
    "  --utc-periods ZONE FIRST_YEAR LAST_YEAR\n"
    "             print the UTC= lines of config.ini for a time zone of the system's database\n"
    "             (for example Europe/Berlin) from the first to the last year, in UTC\n"
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
  return isServiceStart(text) || text == "1";
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
