#pragma once

#include <QMessageBox>
#include <QPointer>
#include <cstdint>
#include <memory>

#include "core/ports.h"

namespace csv2sql {

// The window's message box: modal, with the button set, icon and default button of the style
// bits, titled with the request's title or else the program's.
class QtMessageBox final : public MessageBoxPort {
 public:
  // The box is shown over owner while owner lives.
  explicit QtMessageBox(QWidget* owner = nullptr) : owner_(owner) {}
  int show(const MessageBoxRequest& request) override;

 private:
  QPointer<QWidget> owner_;
};

// The box for a request, not yet shown.
std::unique_ptr<QMessageBox> makeMessageBox(const MessageBoxRequest& request, QWidget* owner);

// The answer code of the button pressed in a box made for these style bits; the default
// button's answer when the box closed without one.
int answerOf(const QMessageBox& box, std::int32_t buttons);

}  // namespace csv2sql
