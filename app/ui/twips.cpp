#include "app/ui/twips.h"

#include <QScreen>
#include <QWidget>

namespace csv2sql {

TwipScale scaleOf(const QWidget& widget) {
  return TwipScale(widget.screen()->logicalDotsPerInch());
}

}  // namespace csv2sql
