#pragma once

#include <QImage>
#include <QString>
#include <QWidget>
#include <cstdint>
#include <optional>
#include <string>

#include "platform/control_host.h"

namespace brackwater {

// The Qt window of one owner-drawn control: it shows the control's retained image and turns
// Qt's notifications into the control's handlers.
class QtControlWidget : public QWidget, public ControlHost {
  Q_OBJECT

 public:
  // The control paints with `colors` and `text`; both must outlive the widget.
  QtControlWidget(const QString& instanceName, const SystemColors& colors, TextEngine& text,
                  QWidget* parent = nullptr);

  // The control that takes this window's input; it must outlive the widget or be taken away.
  void SetInput(ControlInput* input) { input_ = input; }
  // The key that the caption marks, as the control last handed it over.
  std::optional<char16_t> AccessKey() const { return accessKey_; }

  bool Enabled() const override;
  void SetEnabled(bool enabled) override;
  std::int32_t WindowHandle() const override { return handle_; }
  std::int32_t WindowUnderPointer() const override;
  std::u16string InstanceName() const override { return instanceName_; }
  int PixelsPerInchX() const override { return logicalDpiX(); }
  int PixelsPerInchY() const override { return logicalDpiY(); }
  int ClientWidth() const override { return width(); }
  int ClientHeight() const override { return height(); }
  void SetClientSize(int width, int height) override;
  const SystemColors& Colors() const override { return colors_; }
  TextEngine& Text() override { return text_; }
  void SetAccessKey(std::optional<char16_t> key) override { accessKey_ = key; }
  void ShowSurface(const ImageView& image) override;
  void Yield() override;
  char16_t LowerCase(char16_t c) const override;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  std::u16string instanceName_;
  std::int32_t handle_;
  const SystemColors& colors_;
  TextEngine& text_;
  std::optional<char16_t> accessKey_;
  ControlInput* input_ = nullptr;
  QImage image_;
};

}  // namespace brackwater
