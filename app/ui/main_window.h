#pragma once

#include <QWidget>
#include <vector>

#include "app/frm_main.h"
#include "app/program.h"
#include "app/ui/twips.h"

namespace csv2sql {

// The one window: a widget for every control of the form, in its place, bound both ways, in
// the form's tab order; its resize and close go to the program once attached.
class MainWindow final : public QWidget {
 public:
  static constexpr const char* kObjectName = "frmMain";

  explicit MainWindow(FrmMain& form);

  // From now on the window's resizes and its closing reach the program, and Timer1 runs.
  void attach(Program& program);

  const TwipScale& scale() const { return scale_; }

 protected:
  void resizeEvent(QResizeEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  void chainTabOrder(const std::vector<QWidget*>& widgetsInTabOrder);

  FrmMain& form_;
  TwipScale scale_;
  Program* program_ = nullptr;
};

}  // namespace csv2sql
