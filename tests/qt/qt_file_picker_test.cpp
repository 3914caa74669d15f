#include "platform/qt/qt_file_picker.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QColor>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QImage>
#include <QPixmap>
#include <QPointer>
#include <QTimer>
#include <functional>

#include "platform/qt/qt_dialog_control.h"
#include "platform/system/files.h"
#include "tests/support/temp_dir.h"

namespace brackwater {
namespace {

using testing::TempDir;
using testing::WriteBytes;

QString Text(const std::filesystem::path& path) { return QString::fromStdString(path.string()); }

// The file dialog's own accept, which reads the typed name, through the dialog's public face.
void Accept(QDialog& dialog) { dialog.accept(); }

QFileDialog* OpenFileDialog() {
  for (QWidget* widget : QApplication::topLevelWidgets()) {
    auto* dialog = qobject_cast<QFileDialog*>(widget);
    if (dialog != nullptr && dialog->isVisible()) return dialog;
  }
  return nullptr;
}

// Runs `act` on the picker's dialog from inside the dialog's own loop, as soon as it runs. A
// question box that the dialog opens, or a dialog that `act` leaves open, fails the test and
// is closed, so that a fault cannot leave the test waiting for a user.
void WhenTheDialogRuns(std::function<void(QFileDialog&)> act) {
  QTimer::singleShot(0, [act] {
    const QPointer<QFileDialog> dialog = OpenFileDialog();
    if (dialog.isNull()) {
      ADD_FAILURE() << "no file dialog is running";
      return;
    }
    // Fires only in a loop that `act` itself starts, and goes with this scope otherwise.
    QTimer question;
    question.setSingleShot(true);
    QObject::connect(&question, &QTimer::timeout, [dialog] {
      QWidget* modal = QApplication::activeModalWidget();
      if (modal != nullptr && modal != dialog.data()) {
        ADD_FAILURE() << "the dialog asked: " << modal->windowTitle().toStdString();
        modal->close();
      }
    });
    question.start(0);
    act(*dialog);
    if (!dialog.isNull() && dialog->isVisible()) {
      ADD_FAILURE() << "the dialog is still open";
      dialog->reject();
    }
  });
}

// Points HOME at a folder while it lives.
class ScopedHome {
 public:
  explicit ScopedHome(const std::filesystem::path& home)
      : had_(qEnvironmentVariableIsSet("HOME")), saved_(qgetenv("HOME")) {
    qputenv("HOME", QByteArray::fromStdString(home.native()));
  }
  ~ScopedHome() {
    if (had_) {
      qputenv("HOME", saved_);
    } else {
      qunsetenv("HOME");
    }
  }
  ScopedHome(const ScopedHome&) = delete;
  ScopedHome& operator=(const ScopedHome&) = delete;

 private:
  bool had_;
  QByteArray saved_;
};

TEST(QtFilePicker, OpenFileReturnsTheChosenFileOrNothing) {
  TempDir dir;
  WriteBytes(dir / "notes.adr", "Opera Hotlist version 2.0\n");
  WriteBytes(dir / "other.txt", "");
  QWidget window;
  QtFilePicker picker;
  picker.SetOwner(42, &window);
  PickerRequest request{.title = u"Select file",
                        .filters = {{u"notes.adr", u"notes.adr"}},
                        .owner = 42,
                        .startFolder = PathToText(dir.Path())};

  WhenTheDialogRuns([&](QFileDialog& dialog) {
    EXPECT_EQ(dialog.windowTitle(), "Select file");
    EXPECT_EQ(dialog.parentWidget(), &window);
    EXPECT_EQ(dialog.windowModality(), Qt::WindowModal);
    EXPECT_EQ(dialog.directory().absolutePath(), Text(dir.Path()));
    EXPECT_EQ(dialog.acceptMode(), QFileDialog::AcceptOpen);
    EXPECT_EQ(dialog.fileMode(), QFileDialog::AnyFile);
    EXPECT_TRUE(dialog.defaultSuffix().isEmpty());
    // The description and pattern have to reach the file list as the pattern alone.
    const auto* model = dialog.findChild<QFileSystemModel*>();
    ASSERT_NE(model, nullptr);
    EXPECT_EQ(model->nameFilters(), QStringList{"notes.adr"});
    dialog.selectFile(Text(dir / "notes.adr"));
    Accept(dialog);
  });
  EXPECT_EQ(picker.OpenFile(request), PathToText(dir / "notes.adr"));

  // A start folder that is not there leaves the folder to the dialog; a handle that was never
  // set gets a dialog modal to the whole program.
  request.startFolder = PathToText(dir / "missing");
  request.owner = 7;
  WhenTheDialogRuns([&](QFileDialog& dialog) {
    EXPECT_NE(dialog.directory().absolutePath(), Text(dir / "missing"));
    EXPECT_EQ(dialog.parentWidget(), nullptr);
    EXPECT_EQ(dialog.windowModality(), Qt::ApplicationModal);
    dialog.selectFile(Text(dir / "notes.adr"));
    dialog.reject();
  });
  EXPECT_EQ(picker.OpenFile(request), std::nullopt);

  // A window that goes while its dialog is open takes the dialog with it: nothing is chosen,
  // and the handle no longer leads to the window.
  auto* closing = new QWidget;
  picker.SetOwner(9, closing);
  request.owner = 9;
  WhenTheDialogRuns([&](QFileDialog& dialog) {
    EXPECT_EQ(dialog.parentWidget(), closing);
    dialog.selectFile(Text(dir / "notes.adr"));
    delete closing;
  });
  EXPECT_EQ(picker.OpenFile(request), std::nullopt);
  WhenTheDialogRuns([](QFileDialog& dialog) {
    EXPECT_EQ(dialog.parentWidget(), nullptr);
    dialog.reject();
  });
  EXPECT_EQ(picker.OpenFile(request), std::nullopt);
}

TEST(QtFilePicker, SaveAndFolderReturnWhatWasChosenAndAskNothing) {
  TempDir dir;
  WriteBytes(dir / "notes.txt", "earlier export");
  std::filesystem::create_directory(dir / "exports");
  const ScopedHome home(dir.Path());
  QtFilePicker picker;
  // The drive root that the window asks the save dialog to start in is the home folder here.
  const PickerRequest request{.title = u"Select file",
                              .filters = {{u"*.txt", u"*.txt"}, {u"All", u"*.adr;*.txt"}},
                              .owner = 0,
                              .startFolder = u"c:\\"};

  // An existing file is taken without a question about overwriting it.
  WhenTheDialogRuns([&](QFileDialog& dialog) {
    EXPECT_EQ(dialog.acceptMode(), QFileDialog::AcceptSave);
    EXPECT_EQ(dialog.directory().absolutePath(), Text(dir.Path()));
    const auto* model = dialog.findChild<QFileSystemModel*>();
    ASSERT_NE(model, nullptr);
    EXPECT_EQ(model->nameFilters(), QStringList{"*.txt"});
    dialog.selectNameFilter(dialog.nameFilters().value(1));
    EXPECT_EQ(model->nameFilters(), (QStringList{"*.adr", "*.txt"}));
    dialog.selectFile(Text(dir / "notes.txt"));
    Accept(dialog);
  });
  EXPECT_EQ(picker.SaveFile(request), PathToText(dir / "notes.txt"));

  // A bare typed name gets no extension from the filter.
  WhenTheDialogRuns([](QFileDialog& dialog) {
    dialog.selectFile("x");
    Accept(dialog);
  });
  EXPECT_EQ(picker.SaveFile(request), PathToText(dir / "x"));

  WhenTheDialogRuns([&](QFileDialog& dialog) {
    EXPECT_EQ(dialog.windowTitle(), "Choose a folder");
    EXPECT_EQ(dialog.fileMode(), QFileDialog::Directory);
    EXPECT_TRUE(dialog.testOption(QFileDialog::ShowDirsOnly));
    dialog.setDirectory(Text(dir.Path()));
    dialog.selectFile("exports");
    Accept(dialog);
  });
  EXPECT_EQ(picker.OpenFolder(u"Choose a folder", 0), PathToText(dir / "exports"));

  WhenTheDialogRuns([](QFileDialog& dialog) { dialog.reject(); });
  EXPECT_EQ(picker.OpenFolder(u"Choose a folder", 0), std::nullopt);
}

TEST(QtDialogControl, KeepsItsFaceSizeAndShowsTheIconAtTheCorner) {
  QWidget window;
  window.resize(400, 200);
  QtDialogControl control(QSize(36, 36), &window);
  QPixmap icon(32, 32);
  icon.fill(Qt::red);
  control.SetIcon(icon);

  control.resize(2000 / 15, 100 / 15);
  EXPECT_EQ(control.size(), QSize(36, 36));
  window.show();
  control.setGeometry(348, 120, 200, 3);
  EXPECT_EQ(control.geometry(), QRect(348, 120, 36, 36));
  EXPECT_EQ(control.sizeHint(), QSize(36, 36));

  const QImage face = control.grab().toImage();
  ASSERT_EQ(face.size(), QSize(36, 36));
  EXPECT_EQ(face.pixelColor(0, 0), QColor(Qt::red));
  EXPECT_EQ(face.pixelColor(31, 31), QColor(Qt::red));
  EXPECT_NE(face.pixelColor(32, 0), QColor(Qt::red));
  EXPECT_NE(face.pixelColor(35, 35), QColor(Qt::red));
}

}  // namespace
}  // namespace brackwater
