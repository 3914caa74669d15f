#include "platform/qt/qt_window.h"

#include <QEvent>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QMessageBox>
#include <QPainter>
#include <QScreen>

#include "platform/gui/text_fit.h"

namespace brackwater {
namespace {

// The window was laid out for a dialog font eleven pixels high; the fonts tried run from there
// down to eight, each size first in the desktop's family, then in a condensed one that Debian
// installs (fonts-dejavu-extra).
constexpr int kDesignedPixelSize = 11;
constexpr int kSmallestPixelSize = 8;
constexpr char kCondensedFamily[] = "DejaVu Sans Condensed";

std::vector<QFont> CandidateFonts(const QFont& desktop) {
  std::vector<QFont> fonts;
  for (int size = kDesignedPixelSize; size >= kSmallestPixelSize; --size) {
    QFont plain = desktop;
    plain.setPixelSize(size);
    fonts.push_back(plain);
    QFont condensed(QString::fromLatin1(kCondensedFamily));
    condensed.setPixelSize(size);
    fonts.push_back(condensed);
  }
  return fonts;
}

}  // namespace

QtLabel::QtLabel(const QString& text, bool opaque, QWidget* parent)
    : QLabel(parent), whole_(text), opaque_(opaque) {
  setTextFormat(Qt::PlainText);
  Fit();
}

void QtLabel::SetWholeText(const QString& text) {
  whole_ = text;
  Fit();
}

void QtLabel::changeEvent(QEvent* event) {
  QLabel::changeEvent(event);
  if (event->type() == QEvent::FontChange) Fit();
}

void QtLabel::resizeEvent(QResizeEvent* event) {
  QLabel::resizeEvent(event);
  if (opaque_) Fit();
}

void QtLabel::Fit() {
  if (!opaque_) {
    // As wide as its one line of text, whatever the font makes of it.
    setText(whole_);
    resize(sizeHint().width(), height());
    return;
  }
  const QFontMetrics metrics = fontMetrics();
  const std::u16string shown = ShortenToWidth(
      whole_.toStdU16String(), contentsRect().width(), [&metrics](std::u16string_view run) {
        return metrics.horizontalAdvance(
            QString::fromUtf16(run.data(), static_cast<qsizetype>(run.size())));
      });
  setText(QString::fromStdU16String(shown));
  const QString whole = text() == whole_ ? QString() : whole_;
  setToolTip(whole);
  setAccessibleDescription(whole);
}

QtWindow::QtWindow(const QString& caption, QSize clientSize, const QPixmap& background,
                   const QIcon& icon)
    : QWidget(nullptr, Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                           Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint),
      background_(background),
      desktopFont_(font()) {
  setWindowTitle(caption);
  setWindowIcon(icon);
  setFixedSize(clientSize);
  FitFont();
}

void QtWindow::FitFont() {
  const std::vector<QFont> fonts = CandidateFonts(desktopFont_);
  std::vector<TextInWidth> texts;
  for (const DesignedLabel& label : designed_) texts.push_back({label.text, label.width});
  const std::size_t chosen =
      FirstFontThatFits(fonts.size(), texts, [&fonts](std::size_t font, std::u16string_view text) {
        return QFontMetrics(fonts[font])
            .horizontalAdvance(
                QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size())));
      });
  setFont(fonts[chosen]);
}

QtLabel* QtWindow::AddLabel(const QRect& place, const QString& text,
                            std::optional<QColor> background) {
  auto* label = new QtLabel(text, background.has_value(), this);
  label->setGeometry(place);
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
  }
  designed_.push_back({text.toStdU16String(), place.width()});
  FitFont();
  label->SetWholeText(text);
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
