#pragma once

#include <QRect>

#include "app/view/twips.h"

class QWidget;

namespace csv2sql {

// The twip scale of the screen the widget is on.
TwipScale scaleOf(const QWidget& widget);

inline QRect toQRect(const PixelRect& rect) {
  return {rect.left, rect.top, rect.width, rect.height};
}

}  // namespace csv2sql
