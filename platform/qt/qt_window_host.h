#pragma once

#include <QIcon>
#include <QLabel>
#include <QPixmap>
#include <QString>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/gui/window_host.h"
#include "platform/qt/qt_control_widget.h"
#include "platform/qt/qt_system_colors.h"
#include "platform/qt/qt_window.h"

namespace brackwater {

// The pictures of the program's resources that the window shows.
struct QtWindowPictures {
  QPixmap background;
  QIcon icon;
  QPixmap dialogControl;
};

// The program's window on a Qt desktop, made as the window builder asks.
class QtWindowHost final : public WindowHost {
 public:
  explicit QtWindowHost(QtWindowPictures pictures);
  ~QtWindowHost() override;

  void MakeWindow(const std::u16string& caption, int clientWidth, int clientHeight) override;
  void AddLabel(const std::u16string& name, const Rect& place, const std::u16string& text,
                std::optional<Rgb> background) override;
  void SetLabelText(std::u16string_view name, const std::u16string& text) override;
  ControlWindow& AddControlWindow(const std::u16string& name, const Rect& place) override;
  void AddDialogControlFace(const std::u16string& name, const Rect& place) override;
  void SetTabOrder(const std::vector<ControlWindow*>& order) override;
  std::int32_t WindowHandle() const override;
  void ShowMessage(const std::u16string& text, const std::u16string& title,
                   MessageIcon icon) override;

  // What was made, by name; std::logic_error for what was not.
  QtWindow& Window() const;
  QtLabel& Label(std::u16string_view name) const;
  QtControlWidget& ControlWidget(std::u16string_view name) const;

 private:
  QtWindowPictures pictures_;
  // The desktop's colours, which the controls paint with: they outlive the window.
  QtSystemColors colors_;
  std::unique_ptr<QtWindow> window_;
  // Children of the window, which destroys them.
  std::vector<std::pair<std::u16string, QtLabel*>> labels_;
  std::vector<std::pair<std::u16string, QtControlWidget*>> controls_;
};

// A file of the program's Qt resources, such as ":/main_window.design", as bytes; throws
// std::runtime_error when there is none by that name.
std::string QtResourceBytes(const QString& name);

}  // namespace brackwater
