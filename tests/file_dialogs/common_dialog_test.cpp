#include "file_dialogs/common_dialog.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

namespace brackwater {
namespace {

using namespace std::string_literals;

// Answers every dialog with a scripted choice and keeps what it was asked.
class FakePicker : public FilePicker {
 public:
  std::optional<std::u16string> answer;
  std::vector<std::string> calls;
  PickerRequest request;
  std::u16string folderTitle;
  std::int32_t folderOwner = 0;

  std::optional<std::u16string> OpenFile(const PickerRequest& asked) override {
    calls.push_back("OpenFile");
    request = asked;
    return answer;
  }
  std::optional<std::u16string> SaveFile(const PickerRequest& asked) override {
    calls.push_back("SaveFile");
    request = asked;
    return answer;
  }
  std::optional<std::u16string> OpenFolder(const std::u16string& title,
                                           std::int32_t owner) override {
    calls.push_back("OpenFolder");
    folderTitle = title;
    folderOwner = owner;
    return answer;
  }
};

const std::u16string kTitle = u"Select file";
const std::u16string kNotesMask = u"notes.adr\0notes.adr"s;
const std::u16string kTextMask = u"*.txt\0*.txt"s;
const std::int32_t kWindow = 0x1A2B;

// A file comes back with one NUL after it, whatever its length; a cancel or an empty choice as
// nothing, as with a NUL it would pass for a path.
TEST(CommonDialogFile, ReturnsThePathAndOneNulOrNothing) {
  FakePicker picker;
  CommonDialog CD(picker);
  std::vector<std::pair<std::optional<std::u16string>, std::u16string>> cases = {
      {std::nullopt, u""},
      {u"", u""},
      {u"C:\\data\\notes.adr", u"C:\\data\\notes.adr\0"s},
      // A bare typed name comes back as typed: no extension from the filter.
      {u"C:\\x", u"C:\\x\0"s},
  };
  // The old buffer turned long paths into a cancel, and one of 254 characters lost its NUL.
  for (const std::size_t length : {253u, 254u, 255u, 300u, 5000u}) {
    const std::u16string path = u"/home/" + std::u16string(length - 6, u'\x0436');
    cases.push_back({path, path + u'\0'});
  }
  for (const auto& [answer, returned] : cases) {
    picker.answer = answer;
    EXPECT_EQ(CD.OpenFile(kTitle, kTextMask, kWindow, u"c:\\"), returned) << returned.size();
    EXPECT_EQ(CD.SaveFile(kTitle, kTextMask, kWindow, u"c:\\"), returned) << returned.size();
  }
  picker.answer = u"C:\\Temp";
  EXPECT_EQ(CD.OpenFolder(kTitle, kWindow), u"C:\\Temp");
  picker.answer = std::nullopt;
  EXPECT_EQ(CD.OpenFolder(kTitle, kWindow), u"");
}

// Each method runs its own dialog once, with the title, owner, filters and start folder given:
// a drive root is passed on as given, what it means is the platform's business.
TEST(CommonDialog, HandsEachDialogWhatItWasGiven) {
  FakePicker picker;
  CommonDialog CD(picker);
  const std::u16string folder = u"/home/\x0432\x0430\x0441\x044F/.opera";
  CD.OpenFile(u"Выберите файл", kNotesMask, kWindow, folder);
  EXPECT_EQ(picker.request.title, u"Выберите файл");
  EXPECT_EQ(picker.request.owner, kWindow);
  EXPECT_EQ(picker.request.startFolder, folder);
  ASSERT_EQ(picker.request.filters.size(), 1u);
  EXPECT_EQ(picker.request.filters[0].description, u"notes.adr");
  EXPECT_EQ(picker.request.filters[0].pattern, u"notes.adr");

  CD.SaveFile(kTitle, kTextMask, -7, u"c:\\");
  EXPECT_EQ(picker.request.owner, -7);
  EXPECT_EQ(picker.request.startFolder, u"c:\\");
  ASSERT_EQ(picker.request.filters.size(), 1u);
  EXPECT_EQ(picker.request.filters[0].pattern, u"*.txt");

  CD.OpenFolder(u"Choose a folder", kWindow);
  EXPECT_EQ(picker.folderTitle, u"Choose a folder");
  EXPECT_EQ(picker.folderOwner, kWindow);
  EXPECT_EQ(picker.calls, (std::vector<std::string>{"OpenFile", "SaveFile", "OpenFolder"}));
}

TEST(FiltersFromMask, ReadsDescriptionPatternPairsUpToAnEmptyText) {
  using Filters = std::vector<std::pair<std::u16string, std::u16string>>;
  const std::pair<std::u16string, Filters> cases[] = {
      {u"notes.adr\0notes.adr"s, {{u"notes.adr", u"notes.adr"}}},
      {u"Text (*.txt)\0*.txt\0Notes\0*.adr;notes.*"s,
       {{u"Text (*.txt)", u"*.txt"}, {u"Notes", u"*.adr;notes.*"}}},
      {u"*.txt\0*.txt\0"s, {{u"*.txt", u"*.txt"}}},
      {u"*.txt\0*.txt\0\0"s, {{u"*.txt", u"*.txt"}}},
      {u"*.txt\0*.txt\0Notes"s, {{u"*.txt", u"*.txt"}}},
      {u"Notes\0"s, {}},
      {u"*.txt", {}},
      {u"a\0*.a\0\0b\0*.b"s, {{u"a", u"*.a"}}},
      {u"a\0\0b\0*.b"s, {}},
      {u"", {}},
      {u"\0"s, {}},
      {u"Заметки \U0001F4DD\0*.adr"s, {{u"Заметки \U0001F4DD", u"*.adr"}}},
  };
  for (const auto& [mask, filters] : cases) {
    Filters read;
    for (const FileFilter& filter : FiltersFromMask(mask)) {
      read.emplace_back(filter.description, filter.pattern);
    }
    EXPECT_EQ(read, filters) << mask.size();
  }
}

TEST(CommonDialogFace, TakesImage1SizeWhateverItIsGiven) {
  for (const CommonDialog::Size given : {CommonDialog::Size{2000, 100}, {0, 0}, {-15, 99999}}) {
    EXPECT_EQ(CommonDialog::SizeAfterResize(given), (CommonDialog::Size{540, 540}));
  }
}

}  // namespace
}  // namespace brackwater
