#pragma once

#include <QAccessible>
#include <QAccessibleWidget>
#include <QString>
#include <QStringList>

namespace brackwater {

class QtControlWidget;

// An owner-drawn control as assistive technology sees it: a push button named by its caption,
// whose press action clicks it.
class QtControlAccessible final : public QAccessibleWidget {
 public:
  explicit QtControlAccessible(QtControlWidget* widget);

  QString text(QAccessible::Text t) const override;
  QStringList actionNames() const override;
  void doAction(const QString& actionName) override;
  QStringList keyBindingsForAction(const QString& actionName) const override;

 private:
  QtControlWidget& Control() const;
};

// A caption as it reads: without its "&" marks, with "&&" read as one "&".
QString WithoutAccessMarks(const QString& caption);

// Has Qt present every QtControlWidget through QtControlAccessible. Running it again does
// nothing.
void InstallQtControlAccessibility();

}  // namespace brackwater
