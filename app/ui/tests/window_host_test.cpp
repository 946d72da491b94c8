// The window host: its ports, its window and its event loop, and a start where Qt cannot open
// the display.
#include <QApplication>
#include <QDesktopServices>
#include <QTimer>
#include <QUrl>
#include <optional>

#include "app/file_url.h"
#include "app/ui/message_box.h"
#include "app/ui/tests/window_fixture.h"
#include "app/ui/window_host.h"

namespace csv2sql::testing {
namespace {

QWidget* hostWindow() {
  for (QWidget* widget : QApplication::topLevelWidgets()) {
    if (widget->objectName() == MainWindow::kObjectName) return widget;
  }
  return nullptr;
}

// Takes the addresses the host would hand to the desktop.
class UrlCatcher : public QObject {
  Q_OBJECT
 public:
  std::vector<QUrl> urls;
 public Q_SLOTS:
  void open(const QUrl& url) { urls.push_back(url); }
};

class WindowHostTest : public ::testing::Test {
 protected:
  WindowHostTest() {
    test.writeConfig();  // the host's boxes would wait for an operator: no entries, no boxes
    host->installPorts(session);
    program.emplace(session);
    host->attach(*program);
    program->Form_Load("");
  }

  QApplication& app = application();
  int argc = 1;
  char name[9] = "ui_tests";
  char* argv[2] = {name, nullptr};
  TestSession test;
  Session& session = test.session;
  std::unique_ptr<Host> host = makeWindowHost(argc, argv, session);
  std::optional<Program> program;
};

TEST_F(WindowHostTest, InstallsItsPortsAndRunsTheWindowUntilItClosesWithStatusZero) {
  EXPECT_TRUE(session.hasWindow);
  EXPECT_NE(dynamic_cast<QtMessageBox*>(session.messageBox), nullptr);
  bool ran = false;
  QTimer::singleShot(0, [&ran] { ran = true; });
  session.eventLoop->yield();  // lets pending events run
  EXPECT_TRUE(ran);
  bool shownWhileRunning = false;
  QTimer::singleShot(0, [&shownWhileRunning] {
    QWidget* window = hostWindow();
    shownWhileRunning = window != nullptr && window->isVisible();
    if (window != nullptr) window->close();
  });
  EXPECT_EQ(host->run(true), 0);
  EXPECT_TRUE(shownWhileRunning);
}

TEST_F(WindowHostTest, HelpHandsTheUserGuidesAddressToTheDesktop) {
  UrlCatcher catcher;
  QDesktopServices::setUrlHandler(QStringLiteral("file"), &catcher, "open");
  session.frmMain.btnHelp.click();
  QDesktopServices::unsetUrlHandler(QStringLiteral("file"));
  ASSERT_EQ(catcher.urls.size(), 1u);
  EXPECT_EQ(catcher.urls.front(),
            QUrl(QString::fromStdString(fileUrl(test.folder.path() / "user-guide.html"))));
}

#ifdef Q_OS_LINUX
// A DISPLAY whose server is not there: Qt cannot start its platform.
void startWithAnUnreachableDisplay() {
  qputenv("QT_QPA_PLATFORM", "xcb");
  qputenv("DISPLAY", ":4711");
  qunsetenv("WAYLAND_DISPLAY");
  int argc = 1;
  char name[] = "ui_tests";
  char* argv[] = {name, nullptr};
  Session session;
  makeWindowHost(argc, argv, session);
}

TEST(WindowHostDeathTest, AnUnreachableDisplayEndsWithStatus2NamingTheStartsWithoutAWindow) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(startWithAnUnreachableDisplay(), ::testing::ExitedWithCode(2),
              "argument 1 .*NTSERVICE");
}
#endif

}  // namespace
}  // namespace csv2sql::testing

#include "window_host_test.moc"
