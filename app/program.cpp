#include "app/program.h"

#include <filesystem>
#include <iostream>
#include <optional>
#include <ostream>
#include <sstream>
#include <string>
#include <vector>

#include "app/entry.h"
#include "app/file_url.h"
#include "app/run_status.h"
#include "app/settings_binder.h"
#include "core/datetime_text.h"
#include "core/error.h"
#include "core/platform.h"
#include "core/text.h"
#include "dbaccess/providers.h"
#include "import/file_layout.h"
#include "import/redrop.h"
#include "import/run_plan.h"
#include "import/source_check.h"
#include "import/utc_periods.h"
#include "settings/settings_file.h"

namespace csv2sql {

namespace {

// The user guide ships beside the program.
constexpr const char* kUserGuide = "user-guide.html";

constexpr int kListRightMargin = 120;  // twips between lstLog and the client's edge

// The exit status of a "1" start whose run ended normally but set files aside.
constexpr int kFilesSetAside = 3;

// The status before a run's, for its last normal end; nothing when there is none to read.
std::optional<RunStatus> previousStatus(const std::filesystem::path& file) {
  try {
    return readRunStatus(file);
  } catch (const Error&) {
    return std::nullopt;
  }
}

// A value rounded to a whole number (a half to the even neighbour), or nothing on overflow.
std::optional<std::int32_t> rounded(double value) {
  try {
    return roundToInt32(value);
  } catch (const Error&) {
    return std::nullopt;
  }
}

// A control's size in twips, or nothing when the value is no valid size.
std::optional<std::int32_t> sizeInTwips(double value) {
  const auto size = rounded(value);
  if (size && *size >= 0) return size;
  return std::nullopt;
}

}  // namespace

Program::Program(Session& session, FrmMain& form)
    : session_(session),
      form_(form),
      runView_(form),
      runLog_(session),
      messages_(session, runLog_),
      destination_(session, messages_),
      scheduler_(session, form, messages_, runLog_, [this] { btnTransferData_Click(); }),
      importRun_(session, runLog_, destination_, scheduler_, runView_) {
  runLog_.showLinesIn([this](const std::string& line) { form_.lstLog.addItem(line); });
  // The run itself ignores a click while it is in progress.
  form.btnTransferData.onClick = [this] { btnTransferData_Click(); };
  form.btnSaveSettings.onClick = [this] { btnSaveSettings_Click(); };
  form.btnHelp.onClick = [this] { btnHelp_Click(); };
  form.btnConnectDest.onClick = [this] { destination_.btnConnectDest_Click(readSettings(form_)); };
  form.btnFillUtc.onClick = [this] { btnFillUtc_Click(); };
  form.btnPreview.onClick = [this] { btnPreview_Click(); };
  form.btnStartAutoRun.onClick = [this] { scheduler_.btnStartAutoRun_Click(); };
  form.btnStopAutorun.onClick = [this] { scheduler_.btnStopAutorun_Click(); };
  form.chkDelOldRecs.clicked().connect([this] { chkDelOldRecs_Click(); });
  form.Timer1.onTick = [this] { scheduler_.Timer1_Timer(); };
}

Program::~Program() {
  for (Button* button :
       {&form_.btnTransferData, &form_.btnSaveSettings, &form_.btnHelp, &form_.btnConnectDest,
        &form_.btnStartAutoRun, &form_.btnStopAutorun, &form_.btnFillUtc, &form_.btnPreview}) {
    button->onClick = nullptr;
  }
  form_.Timer1.onTick = nullptr;
}

void Program::Form_Load(const std::string& argumentText) {
  for (std::string& provider : db::listedProviderNames()) {
    form_.cboOleProvider.addItem(std::move(provider));
  }
  // What an empty date order reads an all-numeric date as.
  form_.lblSystemDateOrder.setCaption("System order: " + dateOrderName(Settings{}));
  Settings settings;
  settingsFailure_ = GetIniInfo(session_, messages_, settings);
  showSettings(form_, settings);
  session_.UnattendedMode = false;
  dispatch(argumentText);
}

void Program::dispatch(const std::string& argumentText) {
  if (argumentText == kCheckArgument) {
    exitRequested_ = true;
    checkSourceFolder();
    return;
  }
  if (argumentText == "1") {
    session_.UnattendedMode = true;
    exitRequested_ = true;
    if (settingsFailure_) {
      refuseRunOnPartialSettings();
      return;
    }
    const RunEnd end = btnTransferData_Click();
    if (end == RunEnd::Normal && session_.outputStream != nullptr) {
      *session_.outputStream << importRun_.summary() << std::endl;
    }
    if (end == RunEnd::Failed) {
      exitCode_ = 1;
    } else {
      exitCode_ = importRun_.report().setAside.empty() ? 0 : kFilesSetAside;
    }
  } else if (argumentText.starts_with(kRedropArgument)) {
    exitRequested_ = true;
    exitCode_ = redrop(std::string_view(argumentText).substr(kRedropArgument.size()));
  } else if (argumentText == "2") {
    session_.UnattendedMode = true;
    if (settingsLoaded() && form_.chkAutoRun.value() != 0) {
      scheduler_.btnStartAutoRun_Click();
    }
  }
}

int Program::redrop(std::string_view sinceText) {
  std::ostream& out = session_.outputStream != nullptr ? *session_.outputStream : std::cout;
  std::ostream& err = session_.errorStream != nullptr ? *session_.errorStream : std::cerr;
  const std::optional<DateTime> since = parseDateTime(trimSpaces(sinceText));
  if (!since) {
    err << "csv2sql: --redrop takes the date-time from which archived files go back into the "
           "source folder, such as 2026-03-01 06:00\n";
    return 2;
  }
  if (settingsFailure_) {
    err << "csv2sql: Error in Proc GetIniInfo:" << settingsFailure_->numberAndDescription() << "\n";
    return 1;
  }
  try {
    const RunPlan plan = readRunPlan(session_, readSettings(form_));
    const Redropped result = redropArchived(plan.sourceFolder, plan.archiveFolder, *since);
    for (const std::string& line : result.moved) out << "Moved back " << line << "\n";
    for (const std::string& line : result.left) out << "Left " << line << "\n";
    out << result.moved.size() << " files moved back into " << plan.sourceFolder.string() << ", "
        << result.left.size() << " left in the archive folder\n";
    return 0;
  } catch (const Error& error) {
    err << "csv2sql: Error " << error.numberAndDescription() << "\n";
    return 1;
  }
}

void Program::refuseRunOnPartialSettings() {
  // A run on partial settings could import into the wrong place, or the same files again.
  const std::string line = "Error in Proc GetIniInfo:" + settingsFailure_->numberAndDescription();
  try {
    runLog_.OpenLogFile(kLogPrefix);
    runLog_.WriteLog(line);
    runLog_.CloseLogFile();
  } catch (const Error&) {
    // Standard error still has it.
  }
  if (session_.errorStream != nullptr) {
    *session_.errorStream << "csv2sql: the run failed: " << line << std::endl;
  }
  exitCode_ = 1;
  RunReport report;
  report.started = report.ended = session_.clock->now();
  report.end = RunEnd::Failed;
  report.errorLine = line;
  leaveStatus(report);
}

void Program::checkSourceFolder() {
  try {
    // Settings that failed to load would check other files than the next run reads.
    if (settingsFailure_) throw *settingsFailure_;
    if (session_.outputStream == nullptr) return;
    checkSourceFiles(session_, readSettings(form_), {}, *session_.outputStream);
  } catch (const Error& error) {
    exitCode_ = 1;
    if (session_.errorStream != nullptr) {
      *session_.errorStream << "csv2sql: the check failed: Error " << error.numberAndDescription()
                            << std::endl;
    }
  }
}

void Program::leaveStatus(const RunReport& report) {
  if (report.end == RunEnd::Failed) {
    platform::reportToEventLog("csv2sql: the run failed: " + report.errorLine);
  }
  const std::filesystem::path file = statusFile(session_.programFolder);
  const std::string nextRun =
      scheduler_.state() == Scheduler::State::Waiting ? form_.lblNextRun.caption() : "";
  try {
    writeRunStatus(file, statusOf(report, previousStatus(file), nextRun));
  } catch (const Error& error) {
    if (session_.errorStream != nullptr) {
      *session_.errorStream << "csv2sql: the run's status cannot be written to " << file.string()
                            << ": " << error.numberAndDescription() << std::endl;
    }
  }
}

void Program::Form_Resize(const WindowMetrics& metrics) {
  // A step that fails (a minimised window, a client area shorter than the list's top) leaves
  // the list with its last good size, silently.
  const auto frame = rounded(metrics.W - metrics.SW);
  if (!frame) return;
  const std::int32_t border = *frame / 2;
  const auto title = rounded((metrics.H - metrics.SH) - border);
  if (!title) return;
  ListBox& list = form_.lstLog;
  Geometry geometry = list.geometry();
  const auto height = sizeInTwips(metrics.H - *title - border - geometry.top);
  if (!height) return;
  geometry.height = *height;
  list.setGeometry(geometry);
  const auto width = sizeInTwips(metrics.W - border - border - kListRightMargin);
  if (!width) return;
  geometry.width = *width;
  list.setGeometry(geometry);
}

RunEnd Program::btnTransferData_Click() {
  // A click or tick while a run is in progress starts none, and leaves no status.
  if (importRun_.inProgress()) return RunEnd::Normal;
  const RunEnd end = importRun_.btnTransferData_Click(readSettings(form_));
  leaveStatus(importRun_.report());
  return end;
}

void Program::btnSaveSettings_Click() {
  csv2sql::btnSaveSettings_Click(session_, messages_, readSettings(form_));
}

void Program::chkDelOldRecs_Click() {
  form_.txtDeleteDays.setEnabled(form_.chkDelOldRecs.value() == 1);
}

void Program::btnFillUtc_Click() {
  try {
    std::vector<std::string> words;
    std::istringstream text(form_.txtUtcZone.text());
    for (std::string word; text >> word;) words.push_back(word);
    if (words.empty() || words.size() > 3) {
      throw Error(err::InvalidProcedureCall,
                  "Invalid procedure call or argument: type a time-zone name such as "
                  "Europe/Berlin, then optionally the first and the last year");
    }
    // A zone alone: this year and the next.
    const std::int32_t first = words.size() > 1 ? toInt32(words[1]) : session_.clock->now().year();
    const std::int32_t last = words.size() > 2 ? toInt32(words[2]) : first + 1;
    showUtcRows(form_.spUTC, utcRowsOf(utcPeriodsOf(words[0], first, last)));
  } catch (const Error& error) {
    messages_.ReportError(error, "btnFillUtc_Click");
  }
}

void Program::btnPreview_Click() {
  // A box of a few lines: the first file, and no more skip lines than fit on a screen.
  constexpr CheckExtent kFirstFile{1, 10};
  try {
    std::ostringstream text;
    checkSourceFiles(session_, readSettings(form_), kFirstFile, text);
    std::string shown = text.str();
    shown.pop_back();  // the last line end: a box needs none
    messages_.directBox({shown, mb::Information, "Preview"});
  } catch (const Error& error) {
    messages_.ReportError(error, "btnPreview_Click");
  }
}

void Program::btnHelp_Click() {
  session_.urlOpener->open(fileUrl(session_.programFolder / kUserGuide));
}

}  // namespace csv2sql
