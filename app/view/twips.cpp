#include "app/view/twips.h"

#include <cmath>

namespace csv2sql {

int TwipScale::pixels(int twips) const {
  return static_cast<int>(std::lround(twips * dpi_ / 1440.0));
}

PixelRect TwipScale::pixels(const Geometry& geometry) const {
  return {pixels(geometry.left), pixels(geometry.top), pixels(geometry.width),
          pixels(geometry.height)};
}

}  // namespace csv2sql
