#include "platform/win32/win32_file_picker.h"

#include <gtest/gtest.h>

#include <string>

#include "file_dialogs/common_dialog.h"
#include "platform/win32/win32_text.h"

namespace brackwater {
namespace {

// What the fake dialogs saw and what they answer: a path, or a cancel when there is none.
struct Seen {
  OPENFILENAMEW record{};
  std::wstring filter;
  std::wstring initialFile;
  std::wstring initialFileTitle;
  std::wstring initialDir;
  std::wstring title;
  BROWSEINFOW browse{};
  std::wstring instruction;
  const wchar_t* answer = nullptr;
  int calls = 0;
};
Seen seen;

std::wstring ListUpToDoubleNul(const wchar_t* list) {
  std::wstring text;
  while (*list != L'\0') {
    const std::wstring entry(list);
    text += entry + L'|';
    list += entry.size() + 1;
  }
  return text;
}

BOOL WINAPI FakeFileDialog(OPENFILENAMEW* record) {
  ++seen.calls;
  seen.record = *record;
  seen.filter = ListUpToDoubleNul(record->lpstrFilter);
  seen.initialFile = record->lpstrFile;
  seen.initialFileTitle = record->lpstrFileTitle;
  seen.initialDir = record->lpstrInitialDir;
  seen.title = record->lpstrTitle;
  if (seen.answer == nullptr) return FALSE;
  // The dialog writes the path and the file's name, each with its NUL, and fails (as if
  // cancelled) when either buffer is too small.
  const std::wstring answer(seen.answer);
  const std::wstring name = answer.substr(answer.find_last_of(L'\\') + 1);
  if (answer.size() + 1 > record->nMaxFile || name.size() + 1 > record->nMaxFileTitle) {
    return FALSE;
  }
  answer.copy(record->lpstrFile, answer.size());
  record->lpstrFile[answer.size()] = L'\0';
  name.copy(record->lpstrFileTitle, name.size());
  record->lpstrFileTitle[name.size()] = L'\0';
  return TRUE;
}

PIDLIST_ABSOLUTE WINAPI FakeBrowse(BROWSEINFOW* record) {
  ++seen.calls;
  seen.browse = *record;
  seen.instruction = record->lpszTitle;
  return seen.answer == nullptr ? nullptr : ::ILCreateFromPathW(seen.answer);
}

class Win32FilePickerTest : public ::testing::Test {
 protected:
  void SetUp() override { seen = {}; }

  Win32FilePicker picker_{{&FakeFileDialog, &FakeFileDialog, &FakeBrowse}};
  CommonDialog dialog_{picker_};
};

const std::u16string kNotesMask(u"notes.adr\0notes.adr", 19);

TEST_F(Win32FilePickerTest, TheOpenDialogGetsTheRecordTheControlWasWrittenFor) {
  seen.answer = L"C:\\data\\notes.adr";
  const std::u16string chosen = dialog_.OpenFile(u"Select file", kNotesMask, 0x1234, u"C:\\Opera");
  EXPECT_EQ(chosen, std::u16string(u"C:\\data\\notes.adr\0", 18));

  const OPENFILENAMEW& record = seen.record;
  EXPECT_EQ(record.lStructSize, OPENFILENAME_SIZE_VERSION_400W);
  // The size the control always passed, on the system it was written for.
  if constexpr (sizeof(void*) == 4) {
    EXPECT_EQ(record.lStructSize, 76u);
  }
  EXPECT_EQ(record.hwndOwner, reinterpret_cast<HWND>(0x1234));
  EXPECT_EQ(record.hInstance, ::GetModuleHandleW(nullptr));
  EXPECT_EQ(seen.filter, L"notes.adr|notes.adr|");
  EXPECT_EQ(record.lpstrCustomFilter, nullptr);
  EXPECT_EQ(record.nMaxCustFilter, 0u);
  EXPECT_EQ(record.nFilterIndex, 0u);
  EXPECT_EQ(seen.initialFile, std::wstring(254, L' '));
  EXPECT_GE(record.nMaxFile, 32768u);  // any path Windows allows
  EXPECT_EQ(seen.initialFileTitle, std::wstring(254, L' '));
  EXPECT_GE(record.nMaxFileTitle, 32768u);
  EXPECT_EQ(seen.initialDir, L"C:\\Opera");
  EXPECT_EQ(seen.title, L"Select file");
  EXPECT_EQ(record.Flags, 0u);
  EXPECT_EQ(record.lpstrDefExt, nullptr);
  EXPECT_EQ(record.lCustData, 0);
  EXPECT_EQ(record.lpfnHook, nullptr);
  EXPECT_EQ(record.lpTemplateName, nullptr);
}

TEST_F(Win32FilePickerTest, SavingTakesABareNameAndCancelGivesNothing) {
  seen.answer = L"C:\\x";
  EXPECT_EQ(dialog_.SaveFile(u"Select file", std::u16string(u"*.txt\0*.txt", 11), 0, u"c:\\"),
            std::u16string(u"C:\\x\0", 5));
  EXPECT_EQ(seen.filter, L"*.txt|*.txt|");
  EXPECT_EQ(seen.initialDir, L"c:\\");

  seen.answer = nullptr;
  EXPECT_EQ(dialog_.OpenFile(u"Select file", kNotesMask, 0, u""), u"");
  EXPECT_EQ(dialog_.SaveFile(u"Select file", kNotesMask, 0, u""), u"");
  EXPECT_EQ(seen.calls, 3);
}

TEST_F(Win32FilePickerTest, LongPathsAndNamesComeBackWhole) {
  // A name of 255 characters, the longest that Windows allows, and longer paths.
  for (const std::size_t length : {254u, 258u, 1000u}) {
    const std::wstring path = L"C:\\" + std::wstring(length - 3, L'a');
    seen.answer = path.c_str();
    const std::u16string chosen = dialog_.OpenFile(u"Select file", kNotesMask, 0, u"");
    EXPECT_EQ(chosen, Narrow16(path) + u'\0') << length;
  }
}

TEST_F(Win32FilePickerTest, TheFolderBrowserShowsFileSystemFoldersFromTheDesktop) {
  seen.answer = L"C:\\windows";
  EXPECT_EQ(dialog_.OpenFolder(u"Pick a folder", 0x42), u"C:\\windows");
  EXPECT_EQ(seen.browse.hwndOwner, reinterpret_cast<HWND>(0x42));
  EXPECT_EQ(seen.browse.pidlRoot, nullptr);
  EXPECT_EQ(seen.browse.pszDisplayName, nullptr);
  EXPECT_EQ(seen.instruction, L"Pick a folder");
  EXPECT_EQ(seen.browse.ulFlags, static_cast<UINT>(BIF_RETURNONLYFSDIRS));
  EXPECT_EQ(seen.browse.lpfn, nullptr);
  EXPECT_EQ(seen.browse.lParam, 0);

  seen.answer = nullptr;
  EXPECT_EQ(dialog_.OpenFolder(u"Pick a folder", 0), u"");
}

}  // namespace
}  // namespace brackwater
