#pragma once

#include <QIcon>
#include <QLabel>
#include <QPixmap>
#include <QWidget>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/gui/window_host.h"

namespace brackwater {

// A one-line label in the window's font. A transparent one is as wide as its text. An opaque
// one keeps its width and shows a text wider than itself shortened in the middle, with the
// whole text as its tool tip and accessible description.
class QtLabel final : public QLabel {
 public:
  QtLabel(const QString& text, bool opaque, QWidget* parent);

  void SetWholeText(const QString& text);
  const QString& WholeText() const { return whole_; }

 protected:
  void changeEvent(QEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  // Shows the whole text in the label's width and font, or as much of it as fits.
  void Fit();

  QString whole_;
  bool opaque_;
};

// A program's top-level window on a Qt desktop: fixed size, a close box but no minimise or
// maximise box, centred on the screen, with a background picture drawn unscaled from the
// top-left corner of its client area, and its controls at fixed pixel positions. Its font,
// which its labels and controls take up, is the largest in which every label's text fits its
// designed width.
class QtWindow : public QWidget {
 public:
  QtWindow(const QString& caption, QSize clientSize, const QPixmap& background, const QIcon& icon);

  // A one-line label at its designed place: transparent over the background, or opaque in
  // `background`.
  QtLabel* AddLabel(const QRect& place, const QString& text, std::optional<QColor> background);
  // Puts a control of the window at its place.
  void Place(QWidget* control, const QRect& place);

  // Places the window in the centre of the screen it is on.
  void Centre();

  // A handle for the window, as dialogs take it to name their owner.
  std::int32_t Handle() const;

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  // Takes the largest font in which every label's text as designed fits its designed width.
  void FitFont();

  QPixmap background_;
  // The desktop's font, which the window takes smaller or condensed as its labels need.
  QFont desktopFont_;
  struct DesignedLabel {
    std::u16string text;
    int width;
  };
  std::vector<DesignedLabel> designed_;
};

// The modal message box: one OK button; returns when the user has closed it.
void ShowQtMessage(QWidget* owner, const std::u16string& text, const std::u16string& title,
                   MessageIcon icon);

}  // namespace brackwater
