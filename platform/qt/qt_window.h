#pragma once

#include <QIcon>
#include <QLabel>
#include <QPixmap>
#include <QWidget>
#include <cstdint>
#include <optional>
#include <string>

#include "platform/gui/window_host.h"

namespace brackwater {

// A program's top-level window on a Qt desktop: fixed size, a close box but no minimise or
// maximise box, centred on the screen, with a background picture drawn unscaled from the
// top-left corner of its client area, and its controls at fixed pixel positions.
class QtWindow : public QWidget {
 public:
  QtWindow(const QString& caption, QSize clientSize, const QPixmap& background, const QIcon& icon);

  // A one-line label: transparent over the background, or opaque in `background`.
  QLabel* AddLabel(const QRect& place, const QString& text, std::optional<QColor> background);
  // Puts a control of the window at its place.
  void Place(QWidget* control, const QRect& place);

  // Places the window in the centre of the screen it is on.
  void Centre();

  // A handle for the window, as dialogs take it to name their owner.
  std::int32_t Handle() const;

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  QPixmap background_;
};

// The modal message box: one OK button; returns when the user has closed it.
void ShowQtMessage(QWidget* owner, const std::u16string& text, const std::u16string& title,
                   MessageIcon icon);

}  // namespace brackwater
