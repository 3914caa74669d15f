#include "file_dialogs/common_dialog.h"

#include <gtest/gtest.h>

#include "platform/system/text_codec.h"
#include "tests/support/scripted_picker.h"

namespace brackwater {
namespace {

using namespace std::string_literals;

// A dialog's request in one line: its kind, owner, title and start folder, then its filters as
// read from the mask.
std::u16string Asked(const std::pair<std::string, PickerRequest>& asked) {
  const auto& [kind, r] = asked;
  std::u16string line =
      Utf8ToUtf16(kind + std::to_string(r.owner) + " ") + r.title + u"|" + r.startFolder;
  for (const FileFilter& f : r.filters) line += u"|" + f.description + u"=" + f.pattern;
  return line;
}

// A file comes back with one NUL after it, whatever its length (the old buffer turned long paths
// into a cancel, and one of 254 characters lost its NUL); a cancel or an empty choice as nothing,
// as with a NUL it would pass for a path. Each call runs its own dialog once with what it was
// given, a drive root as given, and the mask read two texts at a time up to an empty one.
TEST(CommonDialogFile, ReturnsThePathAndOneNulOrNothing) {
  const struct {
    std::u16string mask;
    std::optional<std::u16string> answer;
    std::u16string filters;
  } rows[] = {
      {u"Text (*.txt)\0*.txt\0Notes\0*.adr;notes.*"s, std::nullopt,
       u"|Text (*.txt)=*.txt|Notes=*.adr;notes.*"},
      {u"*.txt\0*.txt\0\0"s, u"", u"|*.txt=*.txt"},
      {u"*.txt\0*.txt\0Notes"s, u"C:\\x", u"|*.txt=*.txt"},
      {u"a\0*.a\0\0b\0*.b"s, u"/" + std::u16string(253, u'ж'), u"|a=*.a"},
      {u"a\0\0b\0*.b"s, std::u16string(5000, u'ж'), u""},
      {u"*.txt", u"C:\\data\\notes.adr", u""},
      {u"", u"x", u""},
  };
  for (const auto& [mask, answer, filters] : rows) {
    testing::ScriptedPicker picker;
    picker.answers = {answer, answer};
    CommonDialog CD(picker);
    const std::u16string file = answer.value_or(u"").empty() ? u"" : *answer + u'\0';
    EXPECT_EQ(CD.OpenFile(u"Open", mask, 7, u"/home/вася/.opera"), file);
    EXPECT_EQ(CD.SaveFile(u"Save", mask, -7, u"c:\\"), file);
    ASSERT_EQ(picker.requests.size(), 2u);
    EXPECT_EQ(Asked(picker.requests[0]), u"open7 Open|/home/вася/.opera" + filters);
    EXPECT_EQ(Asked(picker.requests[1]), u"save-7 Save|c:\\" + filters);
    // Folders are not the window's, so the scripted picker refuses them.
    EXPECT_THROW(CD.OpenFolder(u"Folder", 9), std::logic_error);
  }
}

TEST(CommonDialogFace, TakesImage1SizeWhateverItIsGiven) {
  for (const CommonDialog::Size given : {CommonDialog::Size{2000, 100}, {0, 0}, {-15, 99999}})
    EXPECT_EQ(CommonDialog::SizeAfterResize(given), (CommonDialog::Size{540, 540}));
}

}  // namespace
}  // namespace brackwater
