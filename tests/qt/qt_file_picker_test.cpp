#include "platform/qt/qt_file_picker.h"

#include <gtest/gtest.h>

#include <QFileDialog>
#include <QFileSystemModel>

#include "platform/system/files.h"
#include "tests/support/qt_modal_script.h"
#include "tests/support/temp_dir.h"

namespace brackwater {
namespace {

QString Text(const std::filesystem::path& path) { return QString::fromStdString(path.string()); }

// Each dialog shows its request, is modal to its owner while the owner lives, and returns the
// choice without asking anything: no overwrite question, no "file must exist".
TEST(QtFilePicker, EachDialogShowsItsRequestAndReturnsTheChoiceAskingNothing) {
  testing::TempDir dir;
  std::filesystem::create_directory(dir / "exports");
  testing::WriteBytes(dir / "notes.txt", "earlier export");
  // HOME is where a drive root and the folder browser start.
  const QByteArray home = qgetenv("HOME");
  qputenv("HOME", QByteArray::fromStdString(dir.Path().native()));
  QWidget window;
  const QPointer<QWidget> closing = new QWidget;
  QtFilePicker picker;
  picker.SetOwner(42, &window);
  picker.SetOwner(9, closing);
  const std::vector<FileFilter> adr = {{u"notes.adr", u"notes.adr"}};
  const std::vector<FileFilter> txt = {{u"All", u"*.adr;*.txt"}, {u"Text", u"*.txt"}};
  const std::u16string here = PathToText(dir.Path());
  enum Kind { kOpen, kSave, kFolder };
  const struct {
    Kind kind;
    PickerRequest request;
    QWidget* parent;
    std::vector<QStringList> patterns;  // what the file list shows, per filter
    const char* choice;                 // a name in the folder, or none for a cancel
  } rows[] = {
      // Neither file dialog insists that the file exists.
      {kOpen, {u"Select file", adr, 42, here}, &window, {{"notes.adr"}}, "notes.adr"},
      // A start folder that is not there leaves the dialog where it was; an unknown owner gives
      // a dialog modal to the whole program.
      {kOpen, {u"Open", adr, 7, here + u"/missing"}, nullptr, {{"notes.adr"}}, ""},
      {kSave, {u"Save as", txt, 0, u"c:\\"}, nullptr, {{"*.adr", "*.txt"}, {"*.txt"}}, "notes.txt"},
      // A typed name gets no extension.
      {kSave, {u"Save", txt, 42, u"c:\\"}, &window, {}, "x"},
      {kFolder, {u"Folder", {}, 0, {}}, nullptr, {}, "exports"},
      // An owner that goes while its dialog is open takes the dialog with it.
      {kFolder, {u"Folder", {}, 9, {}}, closing, {}, ""},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(&row - rows);
    std::optional<std::u16string> chosen;
    testing::ModalScript()
        .Then<QFileDialog>([&](QFileDialog& dialog) {
          EXPECT_EQ(dialog.windowTitle().toStdU16String(), row.request.title);
          EXPECT_EQ(dialog.parentWidget(), row.parent);
          EXPECT_EQ(dialog.windowModality(), row.parent ? Qt::WindowModal : Qt::ApplicationModal);
          EXPECT_EQ(dialog.acceptMode() == QFileDialog::AcceptSave, row.kind == kSave);
          EXPECT_EQ(dialog.directory().absolutePath(), Text(dir.Path()));
          // Each filter reaches the file list as its patterns alone.
          for (std::size_t i = 0; i < row.patterns.size(); ++i) {
            dialog.selectNameFilter(dialog.nameFilters().value(static_cast<qsizetype>(i)));
            EXPECT_EQ(dialog.findChild<QFileSystemModel*>()->nameFilters(), row.patterns[i]);
          }
          if (row.parent != nullptr && row.parent == closing) return delete closing.data();
          if (*row.choice == 0) return dialog.reject();
          // As a user chooses: through the dialog's own accept, which would ask before
          // overwriting.
          dialog.selectFile(row.choice);
          static_cast<QDialog&>(dialog).accept();
        })
        .Run([&] {
          if (row.kind == kFolder) chosen = picker.OpenFolder(row.request.title, row.request.owner);
          if (row.kind == kSave) chosen = picker.SaveFile(row.request);
          if (row.kind == kOpen) chosen = picker.OpenFile(row.request);
        });
    EXPECT_EQ(chosen,
              *row.choice == 0 ? std::nullopt : std::optional(PathToText(dir / row.choice)));
  }
  qputenv("HOME", home);
}

}  // namespace
}  // namespace brackwater
