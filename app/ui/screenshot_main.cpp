// Renders the window as the operator first sees it to a PNG file, or, with "run", while a
// "Load Data" run shows its progress:
//   csv2sql_screenshot <program folder with config.ini> <png file> [run]
#include <QApplication>
#include <QPixmap>
#include <filesystem>
#include <iostream>
#include <string>

#include "app/program.h"
#include "app/ui/main_window.h"
#include "app/ui/window_host.h"
#include "core/clock.h"

namespace {

QWidget* mainWindow() {
  for (QWidget* widget : QApplication::topLevelWidgets()) {
    if (widget->objectName() == csv2sql::MainWindow::kObjectName) return widget;
  }
  return nullptr;
}

}  // namespace

int main(int argc, char** argv) {
  using namespace csv2sql;
  const bool duringRun = argc == 4 && std::string(argv[3]) == "run";
  if (argc != 3 && !duringRun) {
    std::cerr << "usage: csv2sql_screenshot <program folder> <png file> [run]\n";
    return 2;
  }
  const std::filesystem::path folder = argv[1];
  const QString image = QString::fromLocal8Bit(argv[2]);

  Session session;
  session.programFolder = folder;
  session.errorStream = &std::cerr;
  const SystemClock clock;
  session.clock = &clock;
  const auto host = makeWindowHost(argc, argv, session);
  FrmMain form;
  host->installPorts(session, form);
  Program program(session, form);
  host->attach(program);
  program.Form_Load("");

  QWidget* window = mainWindow();
  window->show();
  // The first showing resizes the log list; let every pending event run.
  for (int round = 0; round < 10; ++round) QApplication::processEvents();
  bool saved = false;
  if (duringRun) {
    // Taken at the third progress report, once the rows-per-second figure has settled.
    int reports = 0;
    form.lblProgress.changed().connect([&] {
      if (form.lblProgress.caption().find("rows read") == std::string::npos) return;
      if (++reports != 3) return;
      QApplication::processEvents();
      saved = window->grab().save(image, "PNG");
    });
    form.btnTransferData.click();
  } else {
    saved = window->grab().save(image, "PNG");
  }
  if (!saved) {
    std::cerr << "csv2sql_screenshot: cannot write " << argv[2] << "\n";
    return 1;
  }
  return 0;
}
