#include "app/ui/window_host.h"

#include <QApplication>
#include <QDesktopServices>
#include <QUrl>
#include <cstdlib>
#include <iostream>
#include <memory>

#include "app/entry.h"
#include "app/ui/main_window.h"
#include "app/ui/message_box.h"
#include "app/ui/qt_text.h"

namespace csv2sql {

namespace {

QtMessageHandler previousHandler = nullptr;

// Qt ends the process when its display platform cannot start (for example a DISPLAY whose
// server is gone) with advice about reinstalling; say instead what the operator can do.
void exitWhenNoDisplay(QtMsgType type, const QMessageLogContext& context, const QString& text) {
  if (type != QtFatalMsg) {
    previousHandler(type, context, text);
    return;
  }
  std::cerr << "csv2sql: the window cannot be shown: Qt could not open the display.\n"
            << kStartsWithoutWindow;
  std::_Exit(2);
}

class WindowHost final : public Host, private EventLoopPort, private UrlOpenerPort {
 public:
  WindowHost(int& argc, char** argv) {
    // One application object per process: tests that make several hosts share theirs.
    if (QApplication::instance() != nullptr) return;
    previousHandler = qInstallMessageHandler(exitWhenNoDisplay);
    application_ = std::make_unique<QApplication>(argc, argv);
    qInstallMessageHandler(previousHandler);
  }

  void installPorts(Session& session, FrmMain& form) override {
    window_ = std::make_unique<MainWindow>(form);
    messageBox_ = std::make_unique<QtMessageBox>(window_.get());
    session.messageBox = messageBox_.get();
    session.eventLoop = this;
    session.urlOpener = this;
    session.hasWindow = true;
  }

  void attach(Program& program) override { window_->attach(program); }

  int run(bool showWindow) override {
    if (showWindow) window_->show();
    // Ends when the window, the last one, closes.
    return QApplication::exec();
  }

 private:
  void yield() override { QCoreApplication::processEvents(); }
  void open(const std::string& url) override { QDesktopServices::openUrl(QUrl(toQt(url))); }

  std::unique_ptr<QApplication> application_;
  std::unique_ptr<MainWindow> window_;
  std::unique_ptr<QtMessageBox> messageBox_;
};

}  // namespace

std::unique_ptr<Host> makeWindowHost(int& argc, char** argv, Session& /*session*/) {
  return std::make_unique<WindowHost>(argc, argv);
}

}  // namespace csv2sql
