#include "platform/qt/qt_system_colors.h"

#include <QColor>
#include <QGuiApplication>
#include <QPalette>

namespace brackwater {

Rgb QtSystemColors::Color(int index) const {
  QPalette::ColorRole role;
  switch (index) {
    case 15:
      role = QPalette::Button;
      break;
    case 16:
      role = QPalette::Dark;
      break;
    case 18:
      role = QPalette::ButtonText;
      break;
    case 20:
      role = QPalette::Light;
      break;
    case 21:
      role = QPalette::Shadow;
      break;
    case 22:
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
