#include "app/ui/twips.h"

#include <QScreen>
#include <QWidget>
#include <cmath>

namespace csv2sql {

TwipScale TwipScale::of(const QWidget& widget) {
  return TwipScale(widget.screen()->logicalDotsPerInch());
}

int TwipScale::pixels(int twips) const {
  return static_cast<int>(std::lround(twips * dpi_ / 1440.0));
}

QRect TwipScale::pixels(const Geometry& geometry) const {
  return {pixels(geometry.left), pixels(geometry.top), pixels(geometry.width),
          pixels(geometry.height)};
}

}  // namespace csv2sql
