#include "platform/qt/qt_dialog_control.h"

#include <QPainter>

namespace brackwater {

QtDialogControl::QtDialogControl(QSize face, QWidget* parent) : QWidget(parent), face_(face) {
  // Equal minimum and maximum bound every resize, by a layout or by a direct call, before it
  // takes effect: the control is never seen at another size, not even for one resize event.
  setFixedSize(face_);
}

void QtDialogControl::SetIcon(const QPixmap& icon) {
  icon_ = icon;
  update();
}

void QtDialogControl::paintEvent(QPaintEvent* /*event*/) {
  QPainter painter(this);
  painter.drawPixmap(0, 0, icon_);
}

}  // namespace brackwater
