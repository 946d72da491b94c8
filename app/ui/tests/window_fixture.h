#pragma once

#include <QApplication>
#include <QWidget>
#include <filesystem>
#include <functional>
#include <stdexcept>
#include <string>

#include <gtest/gtest.h>

#include "app/program.h"
#include "app/ui/main_window.h"
#include "tests/support/sqlite_file.h"
#include "tests/support/test_support.h"

namespace csv2sql::testing {

// The one application object of the test process, made on first use and kept to the end.
QApplication& application();

// Lets the event loop run until the condition holds; false when it never did (bounded, so a
// broken binding fails instead of hanging).
bool eventually(const std::function<bool()>& condition);

// The real window of a test session: a fresh program folder with an empty config.ini, fake
// message box, event loop, URL opener and clock. The program is attached and loaded as the
// window host does it, and the window is shown. Widgets are found by the names of their controls.
class WindowTest : public ::testing::Test {
 protected:
  WindowTest();

  template <typename Widget>
  Widget& widget(const char* name) {
    auto* found = window.findChild<Widget*>(QString::fromLatin1(name));
    if (found == nullptr) throw std::runtime_error(std::string("no widget named ") + name);
    return *found;
  }

  // The texts of the message boxes shown so far.
  std::vector<std::string> prompts() const;

  QApplication& app = application();
  TestSession test;
  Session& session = test.session;
  FrmMain& form = session.frmMain;
  Program program{session};
  MainWindow window{form};
};

}  // namespace csv2sql::testing
