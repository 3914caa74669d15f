#pragma once

#include <QPixmap>
#include <QSize>
#include <QWidget>

namespace brackwater {

// The dialog control's face on a Qt window: its icon, unscaled at the top-left corner, in a
// widget that keeps one size whatever it is given. The size comes from the control's logic
// (the host passes it), as this layer may not depend on the controls above it.
class QtDialogControl : public QWidget {
 public:
  explicit QtDialogControl(QSize face, QWidget* parent = nullptr);

  void SetIcon(const QPixmap& icon);
  QSize sizeHint() const override { return face_; }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  QSize face_;
  QPixmap icon_;
};

}  // namespace brackwater
