// The main window's workflow as a user runs it: real mouse clicks on the buttons, the real file
// dialogs and message box, and the export file on disk at the end.

#include <gtest/gtest.h>

#include <QApplication>
#include <QCursor>
#include <QFileDialog>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <functional>
#include <string>
#include <vector>

#include "notes_export/notes_conversion.h"
#include "platform/qt/qt_file_picker.h"
#include "platform/system/files.h"
#include "platform/system/text_codec.h"
#include "tests/qt/qt_program.h"
#include "tests/support/temp_dir.h"

namespace brackwater {
namespace {

using testing::TempDir;

QString Text(const std::filesystem::path& path) { return QString::fromStdString(path.string()); }

// Acts as the user in the modal windows that one action opens: each step takes the modal window
// that is up when its turn comes. A window of another kind, one after the last step, or one that
// a step leaves open fails the test; from then on every modal window is closed unasked, so that
// nothing waits for a user.
class ModalScript : public QObject {
 public:
  template <typename Modal>
  void Then(std::function<void(Modal&)> act) {
    steps_.push_back([act](QWidget& window) {
      auto* modal = qobject_cast<Modal*>(&window);
      if (modal == nullptr) return false;
      act(*modal);
      return true;
    });
  }

  // Starts watching; it goes on, inside every event loop that runs, while the script lives.
  void Start() {
    QTimer::singleShot(0, this, [this] { Poll(); });
  }
  bool Done() const { return next_ == steps_.size(); }

 private:
  void Poll() {
    if (QWidget* window = QApplication::activeModalWidget()) {
      const QPointer<QWidget> modal = window;
      const std::string title = window->windowTitle().toStdString();
      if (!failed_ && next_ < steps_.size() && steps_[next_](*window)) {
        ++next_;
      } else if (!failed_) {
        ADD_FAILURE() << "an unexpected modal window: " << title;
        failed_ = true;
      }
      if (!modal.isNull() && modal->isVisible()) {
        if (!failed_) ADD_FAILURE() << "the modal window is still open: " << title;
        failed_ = true;
        Close(modal);
      }
    }
    Start();
  }

  static void Close(QWidget* window) {
    if (window == nullptr) return;
    if (auto* dialog = qobject_cast<QDialog*>(window)) {
      dialog->reject();
    } else {
      window->close();
    }
  }

  std::vector<std::function<bool(QWidget&)>> steps_;
  std::size_t next_ = 0;
  bool failed_ = false;
};

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

  {
    ModalScript user;
    user.Then<QFileDialog>([&](QFileDialog& dialog) {
      EXPECT_EQ(dialog.windowTitle(), "Select file");
      EXPECT_EQ(dialog.acceptMode(), QFileDialog::AcceptOpen);
      EXPECT_EQ(dialog.directory().absolutePath(), Text(dir.Path()));
      dialog.selectFile(Text(dir / "notes.adr"));
      // QFileDialog's own accept, which takes the chosen file, through QDialog's public face.
      static_cast<QDialog&>(dialog).accept();
    });
    user.Start();
    ClickWithTheMouse(program.host.ControlWidget(u"Command1"));
    EXPECT_TRUE(user.Done());
  }
  EXPECT_EQ(status.text(), QString::fromStdU16String(notesPath));
  EXPECT_FALSE(program.window.Button(u"Command1").EnabledCtrl());
  ASSERT_TRUE(program.window.Button(u"Command2").EnabledCtrl());

  {
    ModalScript user;
    user.Then<QFileDialog>([&](QFileDialog& dialog) {
      EXPECT_EQ(dialog.acceptMode(), QFileDialog::AcceptSave);
      dialog.reject();
    });
    user.Then<QMessageBox>([&](QMessageBox& box) {
      EXPECT_EQ(box.text(), "File saved as " + Text(dir / "notes.txt"));
      EXPECT_EQ(box.windowTitle(), "OK");
      EXPECT_EQ(box.icon(), QMessageBox::Information);
      EXPECT_EQ(status.text(), "Processing...");
      QAbstractButton* ok = box.button(QMessageBox::Ok);
      ASSERT_NE(ok, nullptr);
      QTest::mouseClick(ok, Qt::LeftButton);
    });
    user.Start();
    ClickWithTheMouse(program.host.ControlWidget(u"Command2"));
    EXPECT_TRUE(user.Done());
  }
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
