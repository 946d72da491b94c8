#include "app/ui/main_window.h"

#include <QCloseEvent>
#include <QStyle>
#include <QStyleFactory>
#include <map>

#include "app/ui/timer_binding.h"
#include "app/ui/widget_binding.h"
#include "app/view/window_layout.h"

namespace csv2sql {

namespace {

// The layout was made for a small sans-serif of 8 points; narrow faces keep captions whole.
QFont windowFont() {
  QFont font;
  font.setFamilies({QStringLiteral("Microsoft Sans Serif"), QStringLiteral("Arial"),
                    QStringLiteral("Liberation Sans"), QStringLiteral("DejaVu Sans Condensed")});
  font.setPointSize(8);
  return font;
}

}  // namespace

MainWindow::MainWindow(FrmMain& form) : form_(form), scale_(scaleOf(*this)) {
  setObjectName(kObjectName);
  setWindowTitle(FrmMain::kCaption);
  setFont(windowFont());
  // A frame's caption sits on its top line, where the places of the controls inside it expect
  // it; the classic style draws it there (Fusion draws it above the line).
  QStyle* frameStyle = QStyleFactory::create(QStringLiteral("Windows"));
  if (frameStyle != nullptr) frameStyle->setParent(this);
  resize(scale_.pixels(FrmMain::kClientWidth), scale_.pixels(FrmMain::kClientHeight));

  // The form lists each frame before the controls it holds.
  std::map<std::string, QWidget*> frames;
  std::map<const Control*, QWidget*> widgets;
  for (Control* control : form.controls()) {
    QWidget* parent = control->container().empty() ? this : frames.at(control->container());
    QWidget* widget = makeBoundWidget(*control, *parent, scale_);
    if (dynamic_cast<Frame*>(control) != nullptr) {
      if (frameStyle != nullptr) widget->setStyle(frameStyle);
      frames.emplace(control->name(), widget);
    }
    widgets.emplace(control, widget);
  }
  std::vector<QWidget*> widgetsInTabOrder;
  for (const Control* control : inTabOrder(form.controls())) {
    widgetsInTabOrder.push_back(widgets.at(control));
  }
  chainTabOrder(widgetsInTabOrder);
}

void MainWindow::chainTabOrder(const std::vector<QWidget*>& widgetsInTabOrder) {
  // Labels and frames take no focus, so Tab passes over them.
  QWidget* previous = nullptr;
  for (QWidget* widget : widgetsInTabOrder) {
    if ((widget->focusPolicy() & Qt::TabFocus) == 0) continue;
    if (previous != nullptr) QWidget::setTabOrder(previous, widget);
    previous = widget;
  }
}

void MainWindow::attach(Program& program) {
  program_ = &program;
  new TimerBinding(form_.Timer1, this);
}

void MainWindow::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  if (program_ == nullptr) return;
  const QRect outer = frameGeometry();
  program_->Form_Resize(windowMetrics(scale_, outer.width(), outer.height(), width(), height()));
}

void MainWindow::closeEvent(QCloseEvent* event) {
  // The window always closes: nothing is asked or saved. A run still working would go on out of
  // sight after the window closed: it stops after the file it is on, with that file's rows
  // committed or rolled back.
  if (program_ != nullptr && program_->importRun().inProgress()) {
    program_->importRun().requestStop();
  }
  event->accept();
}

}  // namespace csv2sql
