#include "platform/qt/qt_control_widget.h"

#include <gtest/gtest.h>

#include <QColor>
#include <QCursor>
#include <QImage>
#include <QPixmap>
#include <QTest>
#include <QTimer>

#include "platform/device_context.h"
#include "tests/support/fixed_text_engine.h"
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
  const ClassicColors colors;
  FixedTextEngine text;
  QtControlWidget widget(QStringLiteral("Command1"), colors, text);
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

TEST(QtControlWidget, TheControlHearsOfItsNewSizeBeforeTheResizeReturns) {
  // Hidden, Qt would hold the resize event back until the widget is shown.
  XpBEvents events;
  const ClassicColors colors;
  FixedTextEngine text;
  QtControlWidget widget(QStringLiteral("Command1"), colors, text);
  XpB button(widget, events);
  widget.SetInput(&button);
  widget.resize(5, 30);
  PropertyStore store;
  button.LoadFromStore(store);
  EXPECT_EQ(widget.size(), QSize(10, 30));
  EXPECT_EQ(button.SurfaceWidth(), 10);
  EXPECT_EQ(button.Surface().width, 10);
}

TEST(QtControlWidget, YieldRunsTheWaitingEvents) {
  const ClassicColors colors;
  FixedTextEngine text;
  QtControlWidget widget(QStringLiteral("Command1"), colors, text);
  bool ran = false;
  QTimer::singleShot(0, &widget, [&] { ran = true; });
  widget.Yield();
  EXPECT_TRUE(ran);
}

}  // namespace
}  // namespace brackwater
