// Renders the window as the operator first sees it to a PNG file:
//   csv2sql_screenshot <program folder with config.ini> <png file>
#include <QApplication>
#include <QPixmap>
#include <filesystem>
#include <iostream>

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
  if (argc != 3) {
    std::cerr << "usage: csv2sql_screenshot <program folder> <png file>\n";
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
  host->installPorts(session);
  Program program(session);
  host->attach(program);
  program.Form_Load("");

  QWidget* window = mainWindow();
  window->show();
  // The first showing resizes the log list; let every pending event run.
  for (int round = 0; round < 10; ++round) QApplication::processEvents();
  if (!window->grab().save(image, "PNG")) {
    std::cerr << "csv2sql_screenshot: cannot write " << argv[2] << "\n";
    return 1;
  }
  return 0;
}
