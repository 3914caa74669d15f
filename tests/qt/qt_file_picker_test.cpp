#include "platform/qt/qt_file_picker.h"

#include <gtest/gtest.h>

#include <QFileDialog>
#include <QFileSystemModel>
#include <functional>
#include <vector>

#include "platform/system/files.h"
#include "tests/support/qt_modal_script.h"
#include "tests/support/temp_dir.h"

namespace brackwater {
namespace {

using testing::TempDir;
using testing::WriteBytes;

QString Text(const std::filesystem::path& path) { return QString::fromStdString(path.string()); }

// Runs `pick` while `answer` acts as the user in its one dialog. A question that the dialog
// asks, or a dialog left open, fails the test.
std::optional<std::u16string> Pick(const std::function<std::optional<std::u16string>()>& pick,
                                   std::function<void(QFileDialog&)> answer) {
  std::optional<std::u16string> chosen;
  testing::ModalScript().Then<QFileDialog>(std::move(answer)).Run([&] { chosen = pick(); });
  return chosen;
}

// Chooses `file` as a user does: selects it and accepts through the dialog's own accept, which
// reads the selection and would ask before overwriting.
std::function<void(QFileDialog&)> Choose(const QString& file) {
  return [file](QFileDialog& dialog) {
    dialog.selectFile(file);
    static_cast<QDialog&>(dialog).accept();
  };
}

// Points HOME, where a drive root and the folder browser start, at a folder while it lives.
struct HomeAt {
  explicit HomeAt(const std::filesystem::path& home) {
    qputenv("HOME", QByteArray::fromStdString(home.native()));
  }
  ~HomeAt() { qputenv("HOME", saved); }
  QByteArray saved = qgetenv("HOME");
};

TEST(QtFilePicker, EachDialogShowsItsRequestAndReturnsTheChoiceAskingNothing) {
  TempDir dir;
  // Longer than any fixed-size path buffer would hold.
  const std::filesystem::path deep =
      dir / std::string(100, 'd') / std::string(100, 'e') / std::string(100, 'f');
  std::filesystem::create_directories(deep);
  std::filesystem::create_directory(dir / "exports");
  WriteBytes(dir / "notes.txt", "earlier export");
  const HomeAt home(dir.Path());
  const std::vector<FileFilter> adr = {{u"notes.adr", u"notes.adr"}};
  const std::vector<FileFilter> txt = {{u"All", u"*.adr;*.txt"}, {u"Text", u"*.txt"}};
  enum Kind { kOpen, kSave, kFolder };
  const struct {
    const char* name;
    Kind kind;
    PickerRequest request;
    QString folder;                     // where the dialog starts
    std::vector<QStringList> patterns;  // what the file list shows, per filter
    std::function<void(QFileDialog&)> answer;
    std::optional<std::u16string> chosen;
  } rows[] = {
      {"open",
       kOpen,
       {u"Select file", adr, 0, PathToText(dir.Path())},
       Text(dir.Path()),
       {{"notes.adr"}},
       Choose(Text(dir / "notes.adr")),
       PathToText(dir / "notes.adr")},
      // A start folder that is not there leaves the dialog in the folder of the last choice.
      {"cancelled, from a missing folder",
       kOpen,
       {u"Select file", adr, 0, PathToText(dir / "missing")},
       Text(dir.Path()),
       {{"notes.adr"}},
       [&](QFileDialog& dialog) {
         dialog.selectFile(Text(dir / "notes.txt"));
         dialog.reject();
       },
       std::nullopt},
      {"open a long path",
       kOpen,
       {u"Select file", adr, 0, PathToText(deep)},
       Text(deep),
       {{"notes.adr"}},
       Choose(Text(deep / "notes.adr")),
       PathToText(deep / "notes.adr")},
      {"save over a file, from a drive root",
       kSave,
       {u"Save as", txt, 0, u"c:\\"},
       Text(dir.Path()),
       {{"*.adr", "*.txt"}, {"*.txt"}},
       Choose(Text(dir / "notes.txt")),
       PathToText(dir / "notes.txt")},
      {"save a bare name",
       kSave,
       {u"Save as", txt, 0, u"c:\\"},
       Text(dir.Path()),
       {{"*.adr", "*.txt"}, {"*.txt"}},
       Choose("x"),
       PathToText(dir / "x")},
      {"folder",
       kFolder,
       {u"Choose a folder", {}, 0, {}},
       Text(dir.Path()),
       {},
       Choose(Text(dir / "exports")),
       PathToText(dir / "exports")},
      {"folder cancelled",
       kFolder,
       {u"Choose a folder", {}, 0, {}},
       Text(dir.Path()),
       {},
       [](QFileDialog& dialog) { dialog.reject(); },
       std::nullopt},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    QtFilePicker picker;
    const auto chosen = Pick(
        [&] {
          if (row.kind == kFolder) return picker.OpenFolder(row.request.title, 0);
          return row.kind == kSave ? picker.SaveFile(row.request) : picker.OpenFile(row.request);
        },
        [&](QFileDialog& dialog) {
          EXPECT_EQ(dialog.windowTitle().toStdU16String(), row.request.title);
          EXPECT_EQ(dialog.acceptMode(),
                    row.kind == kSave ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
          // Neither file dialog insists that the file exists, nor adds an extension.
          EXPECT_EQ(dialog.fileMode(),
                    row.kind == kFolder ? QFileDialog::Directory : QFileDialog::AnyFile);
          EXPECT_EQ(dialog.testOption(QFileDialog::ShowDirsOnly), row.kind == kFolder);
          EXPECT_EQ(dialog.directory().absolutePath(), row.folder);
          // Each filter reaches the file list as its patterns alone.
          const auto* model = dialog.findChild<QFileSystemModel*>();
          ASSERT_NE(model, nullptr);
          for (std::size_t i = 0; i < row.patterns.size(); ++i) {
            dialog.selectNameFilter(dialog.nameFilters().value(static_cast<qsizetype>(i)));
            EXPECT_EQ(model->nameFilters(), row.patterns[i]);
          }
          row.answer(dialog);
        });
    EXPECT_EQ(chosen, row.chosen);
  }
}

TEST(QtFilePicker, ADialogIsModalToItsOwnerWhileTheOwnerLives) {
  QtFilePicker picker;
  QWidget window;
  auto* closing = new QWidget;
  picker.SetOwner(42, &window);
  picker.SetOwner(9, closing);
  const auto open = [&](std::int32_t owner, std::function<void(QFileDialog&)> answer) {
    return Pick(
        [&] {
          return picker.OpenFile({u"Select file", {}, owner, {}});
        },
        std::move(answer));
  };
  open(42, [&](QFileDialog& dialog) {
    EXPECT_EQ(dialog.parentWidget(), &window);
    EXPECT_EQ(dialog.windowModality(), Qt::WindowModal);
    dialog.reject();
  });
  // A handle that was never set gets a dialog modal to the whole program.
  open(7, [](QFileDialog& dialog) {
    EXPECT_EQ(dialog.parentWidget(), nullptr);
    EXPECT_EQ(dialog.windowModality(), Qt::ApplicationModal);
    dialog.reject();
  });
  // A window that goes while its dialog is open takes the dialog with it: nothing is chosen,
  // and the handle no longer leads to the window.
  EXPECT_EQ(open(9,
                 [&](QFileDialog& dialog) {
                   EXPECT_EQ(dialog.parentWidget(), closing);
                   dialog.selectFile("x");
                   delete closing;
                 }),
            std::nullopt);
  open(9, [](QFileDialog& dialog) {
    EXPECT_EQ(dialog.parentWidget(), nullptr);
    dialog.reject();
  });
}

}  // namespace
}  // namespace brackwater
