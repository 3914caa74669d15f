#include "platform/qt/qt_window.h"

#include <QGuiApplication>
#include <QMessageBox>
#include <QPainter>
#include <QScreen>

namespace brackwater {

QtWindow::QtWindow(const QString& caption, QSize clientSize, const QPixmap& background,
                   const QIcon& icon)
    : QWidget(nullptr, Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                           Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint),
      background_(background) {
  setWindowTitle(caption);
  setWindowIcon(icon);
  setFixedSize(clientSize);
  // The window was laid out for a dialog font eleven pixels high; desktop fonts here run
  // larger and would not fit the labels.
  QFont small = font();
  small.setPixelSize(11);
  setFont(small);
}

QLabel* QtWindow::AddLabel(const QRect& place, const QString& text,
                           std::optional<QColor> background) {
  auto* label = new QLabel(text, this);
  label->setGeometry(place);
  label->setTextFormat(Qt::PlainText);
  if (background) {
    label->setAutoFillBackground(true);
    QPalette palette = label->palette();
    palette.setColor(QPalette::Window, *background);
    palette.setColor(QPalette::WindowText, Qt::black);
    label->setPalette(palette);
  } else {
    label->setAttribute(Qt::WA_TranslucentBackground);
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, Qt::black);
    label->setPalette(palette);
    // A transparent label is as wide as its one line of text, whatever the font makes of it.
    label->adjustSize();
    label->resize(label->width(), place.height());
  }
  return label;
}

void QtWindow::Place(QWidget* control, const QRect& place) {
  control->setParent(this);
  control->setGeometry(place);
}

void QtWindow::Centre() {
  const QScreen* screen =
      this->screen() != nullptr ? this->screen() : QGuiApplication::primaryScreen();
  if (screen == nullptr) return;
  QRect frame = frameGeometry();
  frame.moveCenter(screen->availableGeometry().center());
  move(frame.topLeft());
}

std::int32_t QtWindow::Handle() const {
  // The dialogs take it only to find their owner again; the pointer's low bits are enough to
  // tell the program's one window from none.
  return static_cast<std::int32_t>(reinterpret_cast<std::uintptr_t>(this) & 0x7FFFFFFF);
}

void QtWindow::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  // Larger than the client area: its right and bottom edges are cut off, never scaled.
  painter.drawPixmap(0, 0, background_);
}

void ShowQtMessage(QWidget* owner, const std::u16string& text, const std::u16string& title,
                   MessageIcon icon) {
  QMessageBox box(
      icon == MessageIcon::kInformation ? QMessageBox::Information : QMessageBox::Warning,
      QString::fromStdU16String(title), QString::fromStdU16String(text), QMessageBox::Ok, owner);
  box.setTextFormat(Qt::PlainText);
  box.exec();
}

}  // namespace brackwater
