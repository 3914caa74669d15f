// The main window as the program builds and runs it on Qt, from the program's own resources, and
// the built programs themselves.

#include <gtest/gtest.h>

#include <QApplication>
#include <QCursor>
#include <QMessageBox>
#include <QProcess>
#include <QTest>

#include "notes_export/window/window_builder.h"
#include "platform/gui/failure_report.h"
#include "platform/qt/qt_file_picker.h"
#include "platform/qt/qt_window_host.h"
#include "platform/system/files.h"
#include "tests/support/qt_modal_script.h"
#include "tests/support/scripted_picker.h"
#include "tests/support/temp_dir.h"

namespace brackwater {
namespace {

QString Text(const std::filesystem::path& path) { return QString::fromStdString(path.string()); }

struct QtProgram {
  explicit QtProgram(FilePicker& picker)
      : window(ParseDesignData(QtResourceBytes(":/main_window.design")), host, picker,
               SystemServices()) {
    host.Window().show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(&host.Window()));
  }
  // A left click in the middle of a button, with the pointer there as a user's would be: the
  // button asks where the pointer is when it is released.
  void Click(std::u16string_view button) {
    QWidget& widget = host.ControlWidget(button);
    QCursor::setPos(widget.mapToGlobal(widget.rect().center()));
    QTest::mouseClick(&widget, Qt::LeftButton, {}, widget.rect().center());
  }

  QtWindowHost host{
      {QPixmap(":/background.gif"), QIcon(":/brackwater-32.png"), QPixmap(":/dialog_control.ico")}};
  MainWindow window;
};

TEST(Program, TheWindowIsAsDesigned) {
  testing::ScriptedPicker picker;
  QtProgram program(picker);
  QtWindowHost& host = program.host;
  QtWindow& window = host.Window();
  EXPECT_EQ(window.windowTitle(), "Brackwater");
  EXPECT_EQ(window.size(), QSize(324, 146));
  EXPECT_EQ(window.minimumSize(), window.maximumSize());
  EXPECT_FALSE(window.windowFlags() &
               (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint));
  // Each instruction shows whole within its designed width.
  for (const auto& [name, width] : {std::pair{u"Label2", 178}, {u"Label3", 101}, {u"Label4", 66}}) {
    EXPECT_LE(host.Label(name).width(), width);
  }
  // The dialog control lies outside the client area, its picture its whole face.
  EXPECT_EQ(window.findChild<QWidget*>("CD")->geometry(), QRect(348, 120, 36, 36));
  // The focus starts at Command1 and goes on to Command2.
  QWidget* next = &window;
  for (const char16_t* button : {u"Command1", u"Command2"}) {
    do next = next->nextInFocusChain();
    while (next->focusPolicy() == Qt::NoFocus);
    EXPECT_EQ(next, &host.ControlWidget(button));
  }
}

TEST(Program, AFailureInAStepIsReportedInAMessageBoxAndTheProgramGoesOn) {
  testing::ScriptedPicker picker;
  picker.fails = true;
  QtProgram program(picker);
  // As the program reports failures.
  SetFailureReport<QWidget*>([](QWidget* owner, const std::exception& error) {
    ShowQtMessage(owner->window(), FailureMessage(error.what()), u"Brackwater",
                  MessageIcon::kWarning);
  });
  const auto shown = [&](QMessageBox& box) {
    EXPECT_EQ(box.parentWidget(), &program.host.Window());
    EXPECT_EQ(box.text().toStdU16String(), FailureMessage("the dialog could not be shown"));
    EXPECT_EQ(box.icon(), QMessageBox::Warning);
    box.accept();
  };
  // Had the failure unwound through Qt's event dispatch, the test program would end here.
  testing::ModalScript().Then<QMessageBox>(shown).Then<QMessageBox>(shown).Run([&] {
    program.Click(u"Command1");
    program.host.ControlWidget(u"Command1").Press();
  });
  SetFailureReport<QWidget*>(nullptr);
}

// Closing the window ends the program in every state, a dialog open or not: the dialog closes
// with it, and the event loop returns.
TEST(Program, ClosingTheWindowDuringADialogEndsTheProgram) {
  testing::TempDir dir;
  testing::WriteBytes(dir / "notes.adr", "#NOTE\r\n\tNAME=note\r\n\tURL=http://example.org/\r\n");
  for (const bool inMessageBox : {false, true}) {
    SCOPED_TRACE(inMessageBox ? "the message box" : "the open dialog");
    QtFilePicker qtPicker;
    testing::ScriptedPicker scripted;
    scripted.answers = {PathToText(dir / "notes.adr"), std::nullopt};
    QtProgram program(inMessageBox ? static_cast<FilePicker&>(scripted) : qtPicker);
    QtWindow& window = program.host.Window();
    qtPicker.SetOwner(window.Handle(), &window);
    if (inMessageBox) program.Click(u"Command1");
    testing::ModalScript script;
    script.Then<QWidget>([&](QWidget& dialog) {
      // The box that ends a save is an information.
      if (auto* box = qobject_cast<QMessageBox*>(&dialog)) {
        EXPECT_EQ(box->icon(), QMessageBox::Information);
      }
      window.close();
      // The quit that closing the last window posts closes the dialog as well.
      QCoreApplication::sendPostedEvents(qApp, QEvent::Quit);
      if (dialog.isVisible()) QApplication::exit(1);
    });
    QTimer::singleShot(0, &window, [&] {
      script.Run([&] { program.Click(inMessageBox ? u"Command2" : u"Command1"); });
      // A window or dialog still there would keep the loop going for good.
      if (window.isVisible()) QApplication::exit(1);
    });
    EXPECT_EQ(QApplication::exec(), 0);
  }
}

// The programs as built, run under the offscreen platform: each writes its image in the size that
// the window's design data or the requested size give.
TEST(Programs, WriteTheirImagesInTheirSizes) {
  testing::TempDir dir;
  const QString image = Text(dir / "image.png");
  const struct {
    const char* program;
    QStringList arguments;
    QSize size;
  } rows[] = {
      {BRACKWATER_PROGRAM, {"--screenshot", image}, QSize(324, 146)},
      {XPB_RENDER_PROGRAM,
       {"--size", "90x31", "--caption", "&Open", "--state", "focus-hover", "--picture",
        BRACKWATER_RESOURCES "/brackwater.ico", "--palette", "desktop", "-o", image},
       QSize(90, 31)},
  };
  // The offscreen platform of the tests goes with their environment.
  for (const auto& row : rows) {
    QProcess process;
    process.start(row.program, row.arguments);
    ASSERT_TRUE(process.waitForFinished()) << row.program;
    EXPECT_EQ(process.exitCode(), 0) << process.readAllStandardError().toStdString();
    EXPECT_EQ(QImage(image).size(), row.size) << row.program;
  }
}

}  // namespace
}  // namespace brackwater
