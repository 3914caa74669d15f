#include "platform/qt/qt_control_widget.h"

#include <gtest/gtest.h>

#include <QColor>
#include <QCursor>
#include <QImage>
#include <QPixmap>
#include <QTest>

#include "xp_button/property_store.h"
#include "xp_button/xpb.h"

namespace brackwater {
namespace {

struct ClickCounter : XpBEvents {
  void Click() override { ++clicks; }
  int clicks = 0;
};

TEST(QtControlWidget, ALeftClickOverTheEnabledButtonClicksOnce) {
  ClickCounter events;
  QtControlWidget widget(QStringLiteral("Command1"));
  XpB button(widget, events);
  widget.SetInput(&button);
  widget.resize(80, 30);
  widget.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&widget));
  PropertyStore store;
  button.LoadFromStore(store);
  // The widget shows the control's retained image as it stands.
  EXPECT_EQ(widget.grab().toImage().pixelColor(79, 29), QColor(212, 208, 200));

  // The click rule asks where the pointer is now, and QTest's clicks do not move it: put it on
  // the button first, as a real click has it.
  const QPoint centre(40, 15);
  QCursor::setPos(widget.mapToGlobal(centre));
  QTest::mouseClick(&widget, Qt::LeftButton, {}, centre);
  EXPECT_EQ(events.clicks, 1);

  // A release while the pointer is somewhere else.
  QCursor::setPos(widget.mapToGlobal(QPoint(200, 200)));
  QTest::mouseClick(&widget, Qt::LeftButton, {}, centre);
  EXPECT_EQ(events.clicks, 1);

  QCursor::setPos(widget.mapToGlobal(centre));
  button.SetEnabledCtrl(false);
  QTest::mouseClick(&widget, Qt::LeftButton, {}, centre);
  EXPECT_EQ(events.clicks, 1);
  EXPECT_FALSE(widget.isEnabled());
}

}  // namespace
}  // namespace brackwater
