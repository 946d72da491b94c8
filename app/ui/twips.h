#pragma once

#include <QRect>

#include "app/controls.h"

class QWidget;

namespace csv2sql {

// Twips (1440 to the inch) to pixels and back at a screen's logical DPI: 15 twips to the pixel
// at 96 DPI.
class TwipScale {
 public:
  explicit TwipScale(double logicalDpi) : dpi_(logicalDpi) {}
  // The scale of the screen the widget is on.
  static TwipScale of(const QWidget& widget);

  double dpi() const { return dpi_; }
  int pixels(int twips) const;
  QRect pixels(const Geometry& geometry) const;
  double twips(int pixels) const { return pixels * 1440.0 / dpi_; }

 private:
  double dpi_;
};

}  // namespace csv2sql
