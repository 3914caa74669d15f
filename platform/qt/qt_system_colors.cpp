#include "platform/qt/qt_system_colors.h"

#include <QColor>
#include <QGuiApplication>
#include <QPalette>

namespace brackwater {

Rgb QtSystemColors::Color(int index) const {
  QPalette::ColorRole role;
  switch (index) {
    case SystemColorIndex::kButtonFace:
      role = QPalette::Button;
      break;
    case SystemColorIndex::kButtonShadow:
      role = QPalette::Dark;
      break;
    case SystemColorIndex::kButtonText:
      role = QPalette::ButtonText;
      break;
    case SystemColorIndex::kButtonHighlight:
      role = QPalette::Light;
      break;
    case SystemColorIndex::k3DDarkShadow:
      role = QPalette::Shadow;
      break;
    case SystemColorIndex::k3DLight:
      role = QPalette::Midlight;
      break;
    default:
      return classic_.Color(index);
  }
  const QColor color = QGuiApplication::palette().color(QPalette::Active, role);
  return static_cast<Rgb>(color.red()) | static_cast<Rgb>(color.green()) << 8 |
         static_cast<Rgb>(color.blue()) << 16;
}

}  // namespace brackwater
