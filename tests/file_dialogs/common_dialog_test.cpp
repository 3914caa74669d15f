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
const std::int32_t kWindow = 0x1A2B;

TEST(CommonDialogFile, ReturnsThePathAndOneNulOrNothing) {
  FakePicker picker;
  CommonDialog CD(picker);

  picker.answer = std::nullopt;
  EXPECT_EQ(CD.OpenFile(kTitle, kNotesMask, kWindow, u"C:\\"), u"");
  EXPECT_EQ(CD.SaveFile(kTitle, kNotesMask, kWindow, u"C:\\"), u"");

  picker.answer = u"C:\\data\\notes.adr";
  const std::u16string opened = CD.OpenFile(kTitle, kNotesMask, kWindow, u"C:\\");
  EXPECT_EQ(opened.size(), 18u);
  EXPECT_EQ(opened, u"C:\\data\\notes.adr\0"s);

  // The old buffer turned long paths into a cancel, and one of 254 characters lost its NUL.
  for (const std::size_t length : {253u, 254u, 255u, 300u, 5000u}) {
    const std::u16string path = u"/home/" + std::u16string(length - 6, u'\x0436');
    picker.answer = path;
    EXPECT_EQ(CD.OpenFile(kTitle, kNotesMask, kWindow, u""), path + u'\0') << length;
    EXPECT_EQ(CD.SaveFile(kTitle, kNotesMask, kWindow, u""), path + u'\0') << length;
  }

  // A bare typed name comes back as typed: no extension from the filter.
  picker.answer = u"C:\\x";
  EXPECT_EQ(CD.SaveFile(kTitle, u"*.txt\0*.txt"s, kWindow, u"c:\\"), u"C:\\x\0"s);

  // An empty choice is not a path: with a NUL it would pass for one.
  picker.answer = u"";
  EXPECT_EQ(CD.OpenFile(kTitle, kNotesMask, kWindow, u""), u"");
}

TEST(CommonDialogFile, HandsTitleOwnerFiltersAndStartFolderToThePicker) {
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

  // The drive root is passed on as given; what it means is the platform's business.
  CD.SaveFile(kTitle, u"*.txt\0*.txt"s, -7, u"c:\\");
  EXPECT_EQ(picker.request.owner, -7);
  EXPECT_EQ(picker.request.startFolder, u"c:\\");
  ASSERT_EQ(picker.request.filters.size(), 1u);
  EXPECT_EQ(picker.request.filters[0].pattern, u"*.txt");
}

TEST(CommonDialogFolder, ReturnsTheFolderWithoutNulOrNothing) {
  FakePicker picker;
  CommonDialog CD(picker);

  picker.answer = u"C:\\Temp";
  EXPECT_EQ(CD.OpenFolder(u"Choose a folder", kWindow), u"C:\\Temp");
  EXPECT_EQ(picker.folderTitle, u"Choose a folder");
  EXPECT_EQ(picker.folderOwner, kWindow);

  picker.answer = std::nullopt;
  EXPECT_EQ(CD.OpenFolder(u"Choose a folder", kWindow), u"");
}

TEST(CommonDialog, EachMethodRunsItsOwnDialogOnce) {
  FakePicker picker;
  CommonDialog CD(picker);
  picker.answer = u"/tmp";
  CD.OpenFile(kTitle, kNotesMask, kWindow, u"");
  CD.SaveFile(kTitle, kNotesMask, kWindow, u"");
  CD.OpenFolder(kTitle, kWindow);
  EXPECT_EQ(picker.calls, (std::vector<std::string>{"OpenFile", "SaveFile", "OpenFolder"}));
}

struct MaskRow {
  const char* name;
  std::u16string mask;
  std::vector<std::pair<std::u16string, std::u16string>> filters;
};

class FiltersFromMaskTest : public ::testing::TestWithParam<MaskRow> {};

TEST_P(FiltersFromMaskTest, ReadsDescriptionPatternPairs) {
  std::vector<std::pair<std::u16string, std::u16string>> read;
  for (const FileFilter& filter : FiltersFromMask(GetParam().mask)) {
    read.emplace_back(filter.description, filter.pattern);
  }
  EXPECT_EQ(read, GetParam().filters);
}

INSTANTIATE_TEST_SUITE_P(
    Masks, FiltersFromMaskTest,
    ::testing::Values(
        MaskRow{"OnePair", u"notes.adr\0notes.adr"s, {{u"notes.adr", u"notes.adr"}}},
        MaskRow{"TwoPairs",
                u"Text (*.txt)\0*.txt\0Notes\0*.adr;notes.*"s,
                {{u"Text (*.txt)", u"*.txt"}, {u"Notes", u"*.adr;notes.*"}}},
        MaskRow{"TrailingNul", u"*.txt\0*.txt\0"s, {{u"*.txt", u"*.txt"}}},
        MaskRow{"TrailingDoubleNul", u"*.txt\0*.txt\0\0"s, {{u"*.txt", u"*.txt"}}},
        MaskRow{"DescriptionWithoutPattern", u"*.txt\0*.txt\0Notes"s, {{u"*.txt", u"*.txt"}}},
        MaskRow{"DescriptionThenNul", u"Notes\0"s, {}}, MaskRow{"DescriptionAlone", u"*.txt", {}},
        MaskRow{"EmptyTextEndsTheList", u"a\0*.a\0\0b\0*.b"s, {{u"a", u"*.a"}}},
        MaskRow{"EmptyPatternEndsTheList", u"a\0\0b\0*.b"s, {}}, MaskRow{"Empty", u"", {}},
        MaskRow{"NulOnly", u"\0"s, {}},
        MaskRow{"AstralAndCyrillic",
                u"Заметки \U0001F4DD\0*.adr"s,
                {{u"Заметки \U0001F4DD", u"*.adr"}}}),
    [](const ::testing::TestParamInfo<MaskRow>& row) { return std::string(row.param.name); });

TEST(CommonDialogFace, TakesImage1SizeWhateverItIsGiven) {
  EXPECT_EQ(CommonDialog::SizeAfterResize({2000, 100}), (CommonDialog::Size{540, 540}));
  EXPECT_EQ(CommonDialog::SizeAfterResize({0, 0}), (CommonDialog::Size{540, 540}));
  EXPECT_EQ(CommonDialog::SizeAfterResize({-15, 99999}), (CommonDialog::Size{540, 540}));
  EXPECT_EQ(CommonDialog::kImage1Pixels, (CommonDialog::Size{36, 36}));
}

}  // namespace
}  // namespace brackwater
