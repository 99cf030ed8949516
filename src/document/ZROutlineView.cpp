#include "document/ZROutlineView.h"

namespace cogbook {

ZROutlineView::ZROutlineView(QWidget* parent) : OutlineView(parent) {}

} // namespace cogbook
