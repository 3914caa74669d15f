#include <gtest/gtest.h>
#include <process.h>

#include <array>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <optional>

#include "app/win32/resource_names.h"
#include "notes_export/window/window_builder.h"
#include "platform/system/text_codec.h"
#include "platform/win32/win32_file_picker.h"
#include "platform/win32/win32_text.h"
#include "tests/support/host_contract.h"
#include "tests/support/recording_input.h"
#include "tests/support/scripted_picker.h"

namespace brackwater {
namespace {

// The picture loader and the shell's calls are COM's, which each thread starts for itself, as
// the program does before its window.
class ComEnvironment final : public ::testing::Environment {
  void SetUp() override { ASSERT_TRUE(SUCCEEDED(::OleInitialize(nullptr))); }
  void TearDown() override { ::OleUninitialize(); }
};
::testing::Environment* const kCom = ::testing::AddGlobalTestEnvironment(new ComEnvironment);

const std::wstring kProgram = Wide(Utf8ToUtf16(BRACKWATER_PROGRAM));

// A child's place in its parent's client area: left, top, right, bottom.
std::array<LONG, 4> PlaceOf(HWND child) {
  RECT place{};
  ::GetWindowRect(child, &place);
  ::MapWindowPoints(nullptr, ::GetParent(child), reinterpret_cast<POINT*>(&place), 2);
  return {place.left, place.top, place.right, place.bottom};
}

// Which stand-in dialog ran and what it was asked besides the fixed settings, and what it
// answers: a path, or none for a cancel.
std::wstring asked;
std::optional<std::wstring> answer;

// The record that the dialog control was written for: no flags (no question before
// overwriting, no check that the file exists), the first filter, 254 spaces as the first name.
// The dialog writes the path and the file's name, and fails (as if cancelled) when either
// buffer is too small for it.
template <wchar_t kDialog>
BOOL WINAPI FakeFileDialog(OPENFILENAMEW* record) {
  EXPECT_EQ(record->lStructSize, OPENFILENAME_SIZE_VERSION_400W);
  EXPECT_EQ(record->hInstance, ::GetModuleHandleW(nullptr));
  EXPECT_EQ(record->lpstrFile + std::wstring(L"|") + record->lpstrFileTitle,
            std::wstring(254, L' ') + L"|" + std::wstring(254, L' '));
  EXPECT_EQ(record->Flags, 0u);
  EXPECT_EQ(record->lpstrDefExt, nullptr);
  asked = kDialog + (L"|" + std::to_wstring(HandleToLong(record->hwndOwner))) + L"|" +
          record->lpstrInitialDir + L"|" + record->lpstrTitle;
  for (const wchar_t* entry = record->lpstrFilter; *entry != L'\0'; entry += wcslen(entry) + 1) {
    asked += L"|" + std::wstring(entry);
  }
  if (!answer) return FALSE;
  const std::wstring name = answer->substr(answer->find_last_of(L'\\') + 1);
  if (answer->size() >= record->nMaxFile || name.size() >= record->nMaxFileTitle) return FALSE;
  wcscpy_s(record->lpstrFile, record->nMaxFile, answer->c_str());
  wcscpy_s(record->lpstrFileTitle, record->nMaxFileTitle, name.c_str());
  return TRUE;
}

// File-system folders in a tree from the desktop.
PIDLIST_ABSOLUTE WINAPI FakeBrowse(BROWSEINFOW* record) {
  EXPECT_EQ(record->pidlRoot, nullptr);
  EXPECT_EQ(record->ulFlags, static_cast<UINT>(BIF_RETURNONLYFSDIRS));
  asked = L"folder|" + std::to_wstring(HandleToLong(record->hwndOwner)) + L"|" + record->lpszTitle;
  return answer ? ::ILCreateFromPathW(answer->c_str()) : nullptr;
}

// Each dialog's choice comes back whole: a bare name without an extension, a name of 255
// characters (the longest that Windows allows), and a path longer than the old buffers.
TEST(Win32FilePicker, EachDialogGetsItsRecordAndGivesTheChoiceWholeOrNothing) {
  Win32FilePicker picker({&FakeFileDialog<L'o'>, &FakeFileDialog<L's'>, &FakeBrowse});
  const PickerRequest request{u"Select file", {{u"notes.adr", u"notes.adr"}}, 0x1234, u"C:\\Op"};
  const std::wstring name255 = L"C:\\" + std::wstring(255, L'a');
  const std::wstring path1000 = L"C:\\" + std::wstring(500, L'b') + L"\\" + std::wstring(496, L'c');
  const std::pair<std::wstring, std::optional<std::wstring>> rows[] = {
      {L"o", L"C:\\data\\notes.adr"}, {L"s", L"C:\\x"}, {L"o", name255}, {L"s", path1000},
      {L"folder", L"C:\\windows"},    {L"o", {}},       {L"s", {}},      {L"folder", {}}};
  for (const auto& [kind, path] : rows) {
    answer = path;
    const std::optional<std::u16string> chosen = kind == L"o"   ? picker.OpenFile(request)
                                                 : kind == L"s" ? picker.SaveFile(request)
                                                                : picker.OpenFolder(u"Pick", 66);
    EXPECT_EQ(asked, kind + (kind == L"folder" ? L"|66|Pick"
                                               : L"|4660|C:\\Op|Select file|notes.adr|notes.adr"));
    EXPECT_EQ(chosen, path ? std::optional(Narrow16(*path)) : std::nullopt);
  }
}

// A modal dialog box disables its owner before it is made: the check runs then, and the box
// closes before it shows.
INT_PTR CALLBACK CheckingDialog(HWND box, UINT message, WPARAM, LPARAM lParam) {
  if (message != WM_INITDIALOG) return FALSE;
  (*reinterpret_cast<const std::function<void()>*>(lParam))();
  return ::EndDialog(box, 0);
}

// The main window as brackwater.exe builds it, from the resources of the test's own file,
// shown. Its first button stands for every control in the rules that all hosts share.
struct ProgramWindow final : testing::HostContractSubject {
  ProgramWindow() { window.Show(SW_SHOWNOACTIVATE); }
  ControlWindow& Control() override { return command1; }
  void PointerOnControl(bool on) override {
    POINT at = on ? POINT{50, 20} : POINT{300, 10};
    ::ClientToScreen(on ? command1.Hwnd() : window.Hwnd(), &at);
    ::SetCursorPos(at.x, at.y);
  }
  void SetControlShown(bool shown) override {
    ::ShowWindow(command1.Hwnd(), shown ? SW_SHOWNA : SW_HIDE);
  }
  void WhileModalDialogOpen(const std::function<void()>& check) override {
    // A template without controls, in DWORDs so that it is aligned as it must be: style; extended
    // style; count of controls and x; y and width; height and no menu; no class and no title.
    const DWORD box[] = {WS_POPUP | WS_CAPTION | DS_MODALFRAME, 0, 0, MAKELONG(0, 40), 20, 0};
    ::DialogBoxIndirectParamW(nullptr, reinterpret_cast<const DLGTEMPLATE*>(box), window.Hwnd(),
                              &CheckingDialog, reinterpret_cast<LPARAM>(&check));
  }
  // A transparent label is as wide as its text.
  int WindowTextWidth(std::u16string_view text) override {
    window.SetLabelText(u"Label2", std::u16string(text));
    return window.LabelPlace(u"Label2").right - window.LabelPlace(u"Label2").left;
  }
  // The window's font is at most 11 pixels high.
  void EnlargeWindowFont() override {
    window.SetFont(::CreateFontW(-20, 0, 0, 0, FW_NORMAL, 0, 0, 0, 0, 0, 0, 0, 0, L"MS Shell Dlg"));
  }

  testing::ScriptedPicker picker;
  Win32WindowHost host{kWindowResources};
  MainWindow main{ParseDesignData(ResourceBytes(kDesignResource, RT_RCDATA)), host, picker, {}};
  Win32Window& window = host.Window();
  Win32ControlWindow& command1 = host.Control(u"Command1");
};

TEST(Win32HostContract, FollowsTheWindowFromPointRule) {
  testing::ExpectWindowFromPointRule([] { return std::make_unique<ProgramWindow>(); });
}

TEST(Win32HostContract, TheCaptionIsInTheWindowFont) {
  testing::ExpectCaptionInTheWindowFont([] { return std::make_unique<ProgramWindow>(); });
}

// The window, with a record of what its first button hears in place of the button.
class Win32HostTest : public ::testing::Test {
 protected:
  void SetUp() override { program_.command1.SetInput(&input_); }

  testing::RecordingInput input_;
  ProgramWindow program_;
  Win32Window& window_ = program_.window;
  Win32ControlWindow& control_ = program_.command1;
};

UINT_PTR At(int x, int y) { return MAKELONG(static_cast<WORD>(x), static_cast<WORD>(y)); }

// The button, the keys held and the position as each message carries them: a click takes the
// focus before the press, a held key comes again as a press of its own, Enter is a key like any
// other. A disabled window takes no input; its timer ticks, and it hears of the desktop's
// changes, which only reach its window, and of its size. Disabling it, or its window as a
// modal dialog does, ends its capture, which would keep the pointer from the dialog.
TEST_F(Win32HostTest, MessagesReachTheirHandlersButNoInputWhileDisabled) {
  const std::pair<std::vector<UINT_PTR>, std::vector<std::string>> rows[] = {
      {{WM_LBUTTONDOWN, MK_LBUTTON, At(5, 7)}, {"FocusIn", "MouseDown 1 0 5 7"}},
      {{WM_LBUTTONUP, 0, At(5, 7)}, {"MouseUp 1 0 5 7"}},
      {{WM_RBUTTONDOWN, MK_RBUTTON | MK_SHIFT, At(5, 7)}, {"MouseDown 2 1 5 7"}},
      {{WM_MBUTTONUP, MK_CONTROL, At(6, 8)}, {"MouseUp 4 2 6 8"}},
      {{WM_MOUSEMOVE, MK_LBUTTON | MK_MBUTTON | MK_SHIFT, At(-3, 4)}, {"MouseMove 5 1 -3 4"}},
      {{WM_KEYDOWN, VK_SPACE, 0x40000001}, {"KeyDown 32 0"}},
      {{WM_KEYUP, VK_RETURN, 0xC0000001}, {"KeyUp 13 0"}},
      {{WM_KILLFOCUS, 0, 0}, {"FocusOut"}},
      {{WM_TIMER, 1, 0}, {"Timer"}},
      {{WM_SIZE, 0, At(80, 30)}, {"Resize"}},
      {{WM_SETFONT, 0, 0}, {"Ambient Font"}},
      {{WM_SYSCOLORCHANGE, 0, 0}, {"Ambient Palette"}},
  };
  for (const bool enabled : {true, false}) {
    control_.SetCapture();
    control_.SetEnabled(enabled);
    EXPECT_EQ(::GetCapture() == control_.Hwnd(), enabled);
    for (std::size_t row = 0; row < std::size(rows); ++row) {
      const auto& [message, log] = rows[row];
      input_.log.clear();
      ::SendMessageW(control_.Hwnd(), message[0], message[1], static_cast<LPARAM>(message[2]));
      // The first eight rows are input.
      EXPECT_EQ(input_.log, enabled || row >= 8 ? log : std::vector<std::string>()) << row;
    }
  }
  input_.log.clear();
  ::SendMessageW(window_.Hwnd(), WM_SETTINGCHANGE, 0, 0);
  EXPECT_EQ(input_.log, std::vector<std::string>{"Ambient Font"});
  control_.SetEnabled(true);
  control_.SetCapture();
  ::EnableWindow(window_.Hwnd(), FALSE);
  EXPECT_EQ(::GetCapture(), nullptr);
}

// Every key is the control's but Tab, which walks the window; Alt with the access key clicks
// the control wherever the focus is, while the control is enabled.
TEST_F(Win32HostTest, EveryKeyButTabIsTheControlsAndAltWithItsKeyClicksIt) {
  const auto code = [this](WPARAM key) {
    MSG pending{control_.Hwnd(), WM_KEYDOWN, key, 0, 0, {}};
    return ::SendMessageW(control_.Hwnd(), WM_GETDLGCODE, key, reinterpret_cast<LPARAM>(&pending));
  };
  EXPECT_EQ(code(VK_TAB), 0);
  EXPECT_EQ(code(VK_SPACE) & DLGC_WANTALLKEYS, DLGC_WANTALLKEYS);
  control_.SetAccessKey(u'o');
  MSG altO{window_.Hwnd(), WM_SYSCHAR, L'O', 0, 0, {}};
  MSG altX{window_.Hwnd(), WM_SYSCHAR, L'x', 0, 0, {}};
  EXPECT_TRUE(window_.PreTranslate(altO));
  window_.PreTranslate(altX);
  control_.SetEnabled(false);
  window_.PreTranslate(altO);
  EXPECT_EQ(input_.log, std::vector<std::string>{"AccessKey"});
}

// The system's DrawTextExW on a control's image: measured with a pixel of margin on either side
// and the access key's mark hidden, and drawn in its colour within its rectangle on the image as
// it was, which stays opaque.
TEST_F(Win32HostTest, TheTextIsMeasuredAndDrawnOnTheImageInItsColourInsideItsRectangle) {
  Image image(60, 30, 0xFFFFFFFF);
  DeviceContext dc(image, control_.Colors(), control_.Text());
  Rect measured{0, 0, 300, 30};
  CaptionParams params;
  dc.DrawText(u"&Open", measured, TextFormat::kCalcRect, params);
  EXPECT_EQ(measured.right, program_.WindowTextWidth(u"Open") + 2);
  dc.SetTextColor(0x0000FF);  // red, as 0x00BBGGRR
  Rect rect{10, 5, 50, 25};
  dc.DrawText(u"WWWWWWWWWW", rect, TextFormat::kWordBreak, params);
  int inked = 0;
  for (std::size_t i = 0; i < image.pixels.size(); ++i) {
    if (image.pixels[i] == 0xFFFFFFFF) continue;
    ++inked;
    // Red blended into white at most.
    EXPECT_EQ(image.pixels[i] & 0xFFFF0000, 0xFFFF0000) << i;
    EXPECT_TRUE(i % 60 >= 10 && i % 60 < 50 && i / 60 >= 5 && i / 60 < 25) << i;
  }
  EXPECT_GT(inked, 20);
}

TEST_F(Win32HostTest, TheWindowIsBuiltFromItsDesignData) {
  RECT client{};
  ::GetClientRect(window_.Hwnd(), &client);
  EXPECT_EQ(std::pair(client.right, client.bottom), (std::pair<LONG, LONG>(324, 146)));
  const LONG style = ::GetWindowLongW(window_.Hwnd(), GWL_STYLE);
  EXPECT_EQ(style & (WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_SYSMENU), WS_SYSMENU);
  EXPECT_NE(::SendMessageW(window_.Hwnd(), WM_GETICON, ICON_BIG, 0), 0);
  // The font fits each instruction whole within its designed width.
  for (const auto& [name, right] : {std::pair(u"Label2", 186), {u"Label3", 109}, {u"Label4", 74}}) {
    EXPECT_LE(window_.LabelPlace(name).right, right) << Utf16ToUtf8(name);
  }
  // The buttons, each showing the image that its painting drew; screen readers take a button's
  // name from its window's text.
  EXPECT_EQ(PlaceOf(control_.Hwnd()), (std::array<LONG, 4>{8, 76, 161, 117}));
  EXPECT_EQ(control_.Shown().pixels, program_.main.Button(u"Command1").Surface().pixels);
  wchar_t text[16] = {};
  ::GetWindowTextW(control_.Hwnd(), text, 16);
  EXPECT_EQ(std::wstring(text), L"Open");
  EXPECT_TRUE(::IsWindowEnabled(control_.Hwnd()));
  EXPECT_FALSE(::IsWindowEnabled(program_.host.Control(u"Command2").Hwnd()));
  EXPECT_EQ(::GetNextDlgTabItem(window_.Hwnd(), nullptr, FALSE), control_.Hwnd());
  // The dialog control lies outside the client area at the size of its icon.
  EXPECT_EQ(PlaceOf(program_.host.DialogControl()), (std::array<LONG, 4>{348, 120, 384, 156}));
}

// A path keeps its file name after the ellipsis; the whole text is the tooltip while it does not
// fit.
TEST_F(Win32HostTest, AStatusTooLongForItsLineIsShortenedInTheMiddle) {
  const std::u16string path = u"C:\\Users\\" + std::u16string(100, u'x') + u"\\notes.adr";
  window_.SetLabelText(u"Label1", path);
  EXPECT_TRUE(window_.LabelShown(u"Label1").ends_with(u"\u2026\\notes.adr"));
  EXPECT_EQ(window_.LabelToolTip(u"Label1"), path);
  window_.SetLabelText(u"Label1", u"File saved");
  EXPECT_EQ(window_.LabelToolTip(u"Label1"), u"");
}

TEST(Win32VersionResource, TheProgramFileCarriesItsVersionInformation) {
  std::vector<char> data(::GetFileVersionInfoSizeW(kProgram.c_str(), nullptr));
  ASSERT_TRUE(::GetFileVersionInfoW(kProgram.c_str(), 0, data.size(), data.data()));
  void* text = nullptr;
  UINT length = 0;
  const wchar_t* const version = L"\\StringFileInfo\\040904B0\\FileVersion";
  ASSERT_TRUE(::VerQueryValueW(data.data(), version, &text, &length));
  EXPECT_EQ(std::wstring(static_cast<const wchar_t*>(text)), L"1.00");
}

// What the screen shows of `part` of the client area of `window`, opaque.
Image ScreenPixels(HWND window, const RECT& part) {
  Image image(part.right - part.left, part.bottom - part.top);
  POINT at{part.left, part.top};
  ::ClientToScreen(window, &at);
  const HDC screen = ::GetDC(nullptr);
  const HDC memory = ::CreateCompatibleDC(screen);
  const HBITMAP bitmap = ::CreateCompatibleBitmap(screen, image.width, image.height);
  const HGDIOBJ old = ::SelectObject(memory, bitmap);
  ::BitBlt(memory, 0, 0, image.width, image.height, screen, at.x, at.y, SRCCOPY);
  ::SelectObject(memory, old);
  BITMAPINFO info = TopDownBitmapInfo(image.width, image.height);
  ::GetDIBits(memory, bitmap, 0, static_cast<UINT>(image.height), image.pixels.data(), &info,
              DIB_RGB_COLORS);
  for (std::uint32_t& pixel : image.pixels) pixel |= 0xFF000000u;
  ::DeleteObject(bitmap);
  ::DeleteDC(memory);
  ::ReleaseDC(nullptr, screen);
  return image;
}

// The real brackwater.exe, where Wine draws on an X display: tools/wine-run's X11 mode, as the
// test win32_window_on_a_display runs it under xvfb-run (the null driver draws nowhere). It
// starts with its window, which shows the image of the window made here, and ends when the
// window is closed. BRACKWATER_SCREENSHOT names a file for the picture, a top-down 32-bit BMP.
using Win32WindowOnADisplay = Win32HostTest;

TEST_F(Win32WindowOnADisplay, ShowsWhatTheToolkitFreePaintingDraws) {
  const wchar_t* graphics = ::_wgetenv(L"BRACKWATER_WINE_GRAPHICS");
  if (!graphics || graphics != std::wstring(L"x11")) GTEST_SKIP() << "only on an X display";
  // This one out of sight and nameless, and the pointer away from where the program's window
  // shows.
  ::ShowWindow(window_.Hwnd(), SW_HIDE);
  ::SetWindowTextW(window_.Hwnd(), L"");
  ::SetCursorPos(0, 0);
  const auto program =
      reinterpret_cast<HANDLE>(_wspawnl(_P_NOWAIT, kProgram.c_str(), kProgram.c_str(), nullptr));
  // Idle input means the message loop runs, with the window made before it.
  ASSERT_EQ(::WaitForInputIdle(program, 30000), 0u);
  // Found by its class and its caption.
  const HWND window = ::FindWindowW(L"BrackwaterWindow", L"Brackwater");
  ASSERT_NE(window, nullptr);

  // The X server shows what the program drew once Wine has handed it over, which happens
  // apart from the program's messages: the screen is read until two readings agree, each
  // after the program has run its waiting messages, for at most a few seconds.
  Image shot;
  for (int reading = 0; reading < 50; ++reading) {
    ::SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_BLOCK, 5000, nullptr);
    Image next = ScreenPixels(window, {0, 0, 324, 146});
    const bool settled = next.pixels == shot.pixels && next.pixels[140 * 324 + 320] == 0xFFC0C0C0;
    shot = std::move(next);
    if (settled) break;
    // A bounded pause that ends at once should the program end.
    ::WaitForSingleObject(program, 100);
  }
  // The silver status line, and the first button as its painting drew it.
  for (std::size_t y = 128; y < 145; ++y) EXPECT_EQ(shot.pixels[y * 324 + 322], 0xFFC0C0C0u) << y;
  EXPECT_EQ(ScreenPixels(window, {8, 76, 161, 117}).pixels, control_.Shown().pixels);
  if (const wchar_t* file = ::_wgetenv(L"BRACKWATER_SCREENSHOT")) {
    BITMAPFILEHEADER head{0x4D42, 0, 0, 0, sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER)};
    const BITMAPINFOHEADER info = TopDownBitmapInfo(shot.width, shot.height).bmiHeader;
    head.bfSize = head.bfOffBits + static_cast<DWORD>(shot.pixels.size() * 4);
    std::ofstream out(std::filesystem::path(file), std::ios::binary);
    out.write(reinterpret_cast<const char*>(&head), sizeof(head));
    out.write(reinterpret_cast<const char*>(&info), sizeof(info));
    out.write(reinterpret_cast<const char*>(shot.pixels.data()), shot.pixels.size() * 4);
  }
  ::PostMessageW(window, WM_CLOSE, 0, 0);
  EXPECT_EQ(::WaitForSingleObject(program, 30000), WAIT_OBJECT_0);
  DWORD status = 1;
  EXPECT_TRUE(::GetExitCodeProcess(program, &status) && status == 0) << status;
  ::CloseHandle(program);
}

}  // namespace
}  // namespace brackwater
