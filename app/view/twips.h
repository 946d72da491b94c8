#pragma once

#include "app/controls.h"

namespace csv2sql {

// A place and size in pixels.
struct PixelRect {
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;
};

// Twips (1440 to the inch) to pixels and back at a screen's logical DPI: 15 twips to the pixel
// at 96 DPI.
class TwipScale {
 public:
  explicit TwipScale(double logicalDpi) : dpi_(logicalDpi) {}

  double dpi() const { return dpi_; }
  int pixels(int twips) const;
  PixelRect pixels(const Geometry& geometry) const;
  double twips(int pixels) const { return pixels * 1440.0 / dpi_; }

 private:
  double dpi_;
};

}  // namespace csv2sql
