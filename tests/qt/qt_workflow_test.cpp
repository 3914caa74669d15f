// The main window's workflow as a user runs it: real mouse clicks on the buttons, the real file
// dialogs and message box, and the export file on disk at the end.

#include <gtest/gtest.h>

#include <QApplication>
#include <QCursor>
#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <string>
#include <vector>

#include "notes_export/notes_conversion.h"
#include "platform/qt/qt_file_picker.h"
#include "platform/system/files.h"
#include "platform/system/text_codec.h"
#include "tests/qt/qt_program.h"
#include "tests/support/qt_modal_script.h"
#include "tests/support/temp_dir.h"

namespace brackwater {
namespace {

using testing::ModalScript;
using testing::TempDir;

QString Text(const std::filesystem::path& path) { return QString::fromStdString(path.string()); }

// A left click in the middle of the widget, with the pointer there as a user's would be: the
// button asks where the pointer is when the button is released.
void ClickWithTheMouse(QWidget& widget) {
  const QPoint centre = widget.rect().center();
  QCursor::setPos(widget.mapToGlobal(centre));
  QTest::mouseClick(&widget, Qt::LeftButton, {}, centre);
}

TEST(Workflow, OpenSaveAndTheMessageLeaveTheExportBesideTheNotesFile) {
  TempDir dir;
  const std::string notes =
      "Opera Hotlist version 2.0\r\nOptions: encoding = utf8, version=3\r\n\r\n"
      "#NOTE\r\n\tID=1\r\n\tNAME=Привет, мир\r\n\tURL=http://example.org/\r\n\r\n"
      "#NOTE\r\n\tID=2\r\n\tNAME=second\x02\x02line\r\n\tURL=https://example.com/a?b=c\r\n\r\n";
  testing::WriteBytes(dir / "notes.adr", notes);
  const std::u16string notesPath = PathToText(dir / "notes.adr");
  const DateTimeText moment{u"06.12.2026", u"20:05:04"};

  QtFilePicker picker;
  testing::QtProgram program(picker,
                             {[&] { return moment; }, [&] { return PathToText(dir.Path()); },
                              [](const std::u16string&) { return false; }, "UTF-8"});
  QtWindow& window = program.host.Window();
  picker.SetOwner(window.Handle(), &window);
  window.show();
  window.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
  QLabel& status = program.host.Label(u"Label1");
  ModalScript()
      .Then<QFileDialog>([&](QFileDialog& dialog) {
        EXPECT_EQ(dialog.windowTitle(), "Select file");
        EXPECT_EQ(dialog.directory().absolutePath(), Text(dir.Path()));
        dialog.selectFile(Text(dir / "notes.adr"));
        // QFileDialog's own accept, which takes the chosen file, through QDialog's public face.
        static_cast<QDialog&>(dialog).accept();
      })
      .Run([&] { ClickWithTheMouse(program.host.ControlWidget(u"Command1")); });
  EXPECT_EQ(status.text(), QString::fromStdU16String(notesPath));
  EXPECT_FALSE(program.window.Button(u"Command1").EnabledCtrl());
  ASSERT_TRUE(program.window.Button(u"Command2").EnabledCtrl());

  ModalScript()
      .Then<QFileDialog>([](QFileDialog& dialog) { dialog.reject(); })
      .Then<QMessageBox>([&](QMessageBox& box) {
        EXPECT_EQ(box.text(), "File saved as " + Text(dir / "notes.txt"));
        EXPECT_EQ(box.windowTitle(), "OK");
        EXPECT_EQ(box.icon(), QMessageBox::Information);
        ASSERT_NE(box.button(QMessageBox::Ok), nullptr);
        QTest::mouseClick(box.button(QMessageBox::Ok), Qt::LeftButton);
      })
      .Run([&] { ClickWithTheMouse(program.host.ControlWidget(u"Command2")); });
  EXPECT_EQ(status.text(), "File saved");
  EXPECT_TRUE(program.window.Button(u"Command1").EnabledCtrl());
  EXPECT_FALSE(program.window.Button(u"Command2").EnabledCtrl());

  // A cancelled save dialog writes beside the notes file, in the code page, with one CR LF.
  const std::optional<std::u16string> expected =
      ExportNotesText(notes, notesPath, moment.date, moment.time);
  ASSERT_TRUE(expected.has_value());
  EXPECT_EQ(testing::ReadBytes(dir / "notes.txt"), Utf16ToUtf8(*expected + u"\r\n"));
  EXPECT_EQ(dir.Names(), (std::vector<std::string>{"notes.adr", "notes.txt"}));
}

}  // namespace
}  // namespace brackwater
