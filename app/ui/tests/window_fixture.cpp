#include "app/ui/tests/window_fixture.h"

#include <QTest>

// Qt's font and desktop libraries keep some memory to the end of the process on purpose; the
// leak check of sanitizer builds is told so.
extern "C" const char* __lsan_default_suppressions() {
  return "leak:libfontconfig.so\nleak:libdbus-1.so\n";
}

namespace csv2sql::testing {

QApplication& application() {
  static int argc = 1;
  static char name[] = "ui_tests";
  static char* argv[] = {name, nullptr};
  // Kept for the whole process: Qt wants its application object to outlive every widget.
  static auto* const app = new QApplication(argc, argv);
  return *app;
}

bool eventually(const std::function<bool()>& condition) {
  return QTest::qWaitFor(condition, 10000);
}

WindowTest::WindowTest() {
  test.writeConfig();
  window.attach(program);
  program.Form_Load("");
  window.show();
  EXPECT_TRUE(QTest::qWaitForWindowExposed(&window));
}

}  // namespace csv2sql::testing
