#include "platform/qt/qt_control_widget.h"

#include <QApplication>
#include <QChar>
#include <QCoreApplication>
#include <QCursor>
#include <QMouseEvent>
#include <QPainter>

namespace brackwater {
namespace {

std::int16_t ButtonMask(Qt::MouseButton button) {
  switch (button) {
    case Qt::LeftButton:
      return 1;
    case Qt::RightButton:
      return 2;
    case Qt::MiddleButton:
      return 4;
    default:
      return 0;
  }
}

std::int16_t ShiftMask(Qt::KeyboardModifiers modifiers) {
  std::int16_t mask = 0;
  if (modifiers & Qt::ShiftModifier) mask |= 1;
  if (modifiers & Qt::ControlModifier) mask |= 2;
  if (modifiers & Qt::AltModifier) mask |= 4;
  return mask;
}

// Handles only need to tell the controls' windows apart; a counter gives each its own without
// making it a native window, which winId() would.
std::int32_t NextHandle() {
  static std::int32_t last = 0;
  return ++last;
}

}  // namespace

QtControlWidget::QtControlWidget(const QString& instanceName, const SystemColors& colors,
                                 TextEngine& text, QWidget* parent)
    : QWidget(parent),
      instanceName_(instanceName.toStdU16String()),
      handle_(NextHandle()),
      colors_(colors),
      text_(text) {}

bool QtControlWidget::Enabled() const {
  // The window's own switch, as the control sets it, not whether a disabled parent also shuts
  // it off.
  return !testAttribute(Qt::WA_ForceDisabled);
}

void QtControlWidget::SetEnabled(bool enabled) { setEnabled(enabled); }

std::int32_t QtControlWidget::WindowUnderPointer() const {
  // Where the pointer is now, not where the last event happened: the click rule asks for it.
  const QWidget* under = QApplication::widgetAt(QCursor::pos());
  if (under == this) return handle_;
  const auto* other = qobject_cast<const QtControlWidget*>(under);
  return other != nullptr ? other->handle_ : 0;
}

void QtControlWidget::SetClientSize(int width, int height) {
  resize(width, height);
  // Qt holds a hidden widget's resize event back until it is shown; the control expects to
  // hear of its new size before this returns, as a shown widget's resize has it.
  if (testAttribute(Qt::WA_PendingResizeEvent) && input_ != nullptr) input_->OnResize();
}

void QtControlWidget::Yield() { QCoreApplication::processEvents(); }

char16_t QtControlWidget::LowerCase(char16_t c) const { return QChar(c).toLower().unicode(); }

void QtControlWidget::ShowSurface(const ImageView& image) {
  if (image.pixels.empty()) {
    image_ = QImage();
  } else {
    // A copy: the control may repaint into its image before Qt gets round to showing it.
    image_ = QImage(reinterpret_cast<const uchar*>(image.pixels.data()), image.width, image.height,
                    image.width * 4, QImage::Format_RGB32)
                 .copy();
  }
  update();
}

void QtControlWidget::paintEvent(QPaintEvent*) {
  if (!image_.isNull()) QPainter(this).drawImage(0, 0, image_);
}

void QtControlWidget::resizeEvent(QResizeEvent*) {
  if (input_ != nullptr) input_->OnResize();
}

void QtControlWidget::mousePressEvent(QMouseEvent* event) {
  const std::int16_t button = ButtonMask(event->button());
  if (button == 0 || input_ == nullptr) return;
  const QPointF at = event->position();
  input_->OnMouseDown(button, ShiftMask(event->modifiers()), static_cast<float>(at.x()),
                      static_cast<float>(at.y()));
}

void QtControlWidget::mouseReleaseEvent(QMouseEvent* event) {
  const std::int16_t button = ButtonMask(event->button());
  if (button == 0 || input_ == nullptr) return;
  const QPointF at = event->position();
  input_->OnMouseUp(button, ShiftMask(event->modifiers()), static_cast<float>(at.x()),
                    static_cast<float>(at.y()));
}

}  // namespace brackwater
