#pragma once

#include <QApplication>
#include <QWidget>
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

// The real window, shown, on an installation with an empty config.ini and fake ports; the
// program is attached and loaded as the window host does it. Widgets are found by the names of
// their controls.
class WindowTest : public ::testing::Test {
 protected:
  WindowTest();

  template <typename Widget = QWidget>
  Widget& widget(const std::string& name) {
    auto* found = window.findChild<Widget*>(QString::fromStdString(name));
    if (found == nullptr) throw std::runtime_error("no widget named " + name);
    return *found;
  }

  QApplication& app = application();
  TestSession test;
  FrmMain& form = test.session.frmMain;
  Program program{test.session};
  MainWindow window{form};
};

}  // namespace csv2sql::testing
