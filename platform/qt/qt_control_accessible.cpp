#include "platform/qt/qt_control_accessible.h"

#include <QKeySequence>

#include "platform/qt/qt_control_widget.h"

namespace brackwater {
namespace {

QAccessibleInterface* AccessibleFor(const QString& className, QObject* object) {
  if (className != QLatin1String(QtControlWidget::staticMetaObject.className())) return nullptr;
  auto* widget = qobject_cast<QtControlWidget*>(object);
  return widget != nullptr ? new QtControlAccessible(widget) : nullptr;
}

}  // namespace

QtControlAccessible::QtControlAccessible(QtControlWidget* widget)
    : QAccessibleWidget(widget, QAccessible::Button) {}

QtControlWidget& QtControlAccessible::Control() const {
  return *static_cast<QtControlWidget*>(widget());
}

QString QtControlAccessible::text(QAccessible::Text t) const {
  switch (t) {
    case QAccessible::Name: {
      // A name given to the widget itself wins, as for Qt's own buttons.
      const QString given = widget()->accessibleName();
      if (!given.isEmpty()) return given;
      return WithoutAccessMarks(QString::fromStdU16String(Control().Caption()));
    }
    case QAccessible::Accelerator:
      return Control().AccessKeySequence().toString(QKeySequence::NativeText);
    default:
      return QAccessibleWidget::text(t);
  }
}

QStringList QtControlAccessible::actionNames() const {
  return QStringList{pressAction()} + QAccessibleWidget::actionNames();
}

void QtControlAccessible::doAction(const QString& actionName) {
  if (actionName == pressAction()) {
    Control().Press();
  } else {
    QAccessibleWidget::doAction(actionName);
  }
}

QStringList QtControlAccessible::keyBindingsForAction(const QString& actionName) const {
  if (actionName == pressAction()) {
    const QKeySequence key = Control().AccessKeySequence();
    return key.isEmpty() ? QStringList() : QStringList{key.toString(QKeySequence::NativeText)};
  }
  return QAccessibleWidget::keyBindingsForAction(actionName);
}

QString WithoutAccessMarks(const QString& caption) {
  QString plain;
  plain.reserve(caption.size());
  for (qsizetype i = 0; i < caption.size(); ++i) {
    // A mark stands before the character it marks; that character is kept even if it is
    // another "&".
    if (caption[i] == u'&') {
      ++i;
      if (i == caption.size()) break;
    }
    plain += caption[i];
  }
  return plain;
}

void InstallQtControlAccessibility() {
  static const bool installed = [] {
    QAccessible::installFactory(AccessibleFor);
    return true;
  }();
  (void)installed;
}

}  // namespace brackwater
