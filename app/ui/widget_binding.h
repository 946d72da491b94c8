#pragma once

#include "app/controls.h"
#include "app/ui/twips.h"

class QWidget;

namespace csv2sql {

// Makes the widget that shows a control, as a child of parent, named after the control, and
// binds the two both ways: the control's changes show in the widget, the operator's edits go
// into the control.
QWidget* makeBoundWidget(Control& control, QWidget& parent, TwipScale scale);

}  // namespace csv2sql
