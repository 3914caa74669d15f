#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/win32/resource_names.h"
#include "notes_export/window/window_builder.h"
#include "platform/gui/headless_host.h"
#include "platform/system/text_codec.h"
#include "platform/win32/win32_picture.h"
#include "platform/win32/win32_text.h"
#include "tests/support/scripted_picker.h"
#include "tests/win32/com_environment.h"

namespace brackwater {
namespace {

::testing::Environment* const kCom =
    ::testing::AddGlobalTestEnvironment(new testing::ComEnvironment);

MainServices FixedServices() {
  return {.now =
              [] {
                return DateTimeText{u"06.12.2026", u"12:00:00"};
              },
          .applicationDataFolder = [] { return std::u16string(u"C:\\Users\\me\\AppData"); },
          .folderExists = [](const std::u16string&) { return false; },
          .codePage = "CP1252"};
}

std::u16string WindowText(HWND hwnd) {
  std::wstring text(static_cast<std::size_t>(::GetWindowTextLengthW(hwnd)) + 1, L'\0');
  text.resize(
      static_cast<std::size_t>(::GetWindowTextW(hwnd, text.data(), static_cast<int>(text.size()))));
  return Narrow16(text);
}

// A child's place in its parent's client area.
RECT PlaceOf(HWND child) {
  RECT place{};
  ::GetWindowRect(child, &place);
  ::MapWindowPoints(nullptr, ::GetParent(child), reinterpret_cast<POINT*>(&place), 2);
  return place;
}

void ExpectPlace(HWND child, int left, int top, int width, int height) {
  const RECT place = PlaceOf(child);
  EXPECT_EQ(place.left, left);
  EXPECT_EQ(place.top, top);
  EXPECT_EQ(place.right - place.left, width);
  EXPECT_EQ(place.bottom - place.top, height);
}

DesignData ProgramDesign() { return ParseDesignData(ResourceBytes(kDesignResource, RT_RCDATA)); }

// The main window as brackwater.exe builds it, from the resources of the test's own file.
class Win32ProgramTest : public ::testing::Test {
 protected:
  testing::ScriptedPicker picker_;
  Win32WindowHost host_{kWindowResources};
  MainWindow program_{ProgramDesign(), host_, picker_, FixedServices()};
};

TEST_F(Win32ProgramTest, TheWindowIsBuiltFromItsDesignData) {
  const HWND window = host_.Window().Hwnd();
  EXPECT_EQ(WindowText(window), u"Brackwater");
  RECT client{};
  ::GetClientRect(window, &client);
  EXPECT_EQ(client.right, 324);
  EXPECT_EQ(client.bottom, 146);
  const LONG style = ::GetWindowLongW(window, GWL_STYLE);
  EXPECT_EQ(style & (WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX), 0);
  EXPECT_NE(style & WS_SYSMENU, 0);
  EXPECT_NE(::SendMessageW(window, WM_GETICON, ICON_BIG, 0), 0);

  EXPECT_EQ(host_.Window().LabelText(u"Label2"), u"Step 1. Find and open file \"notes.adr\"");
  EXPECT_EQ(host_.Window().LabelText(u"Label3"), u"Step 2. Press \"Save\"");
  EXPECT_EQ(host_.Window().LabelText(u"Label4"), u"Step 3. Enjoy!");
  const RECT status = host_.Window().LabelPlace(u"Label1");
  EXPECT_EQ(status.left, 0);
  EXPECT_EQ(status.top, 128);
  EXPECT_EQ(status.right, 323);
  // Each instruction shows whole within its designed width, and so does the status line.
  const std::pair<const char16_t*, LONG> instructions[] = {
      {u"Label2", 186}, {u"Label3", 109}, {u"Label4", 74}};
  for (const auto& [name, right] : instructions) {
    EXPECT_LE(host_.Window().LabelPlace(name).right, right) << Utf16ToUtf8(name);
  }
  EXPECT_EQ(host_.Window().LabelShown(u"Label1"), host_.Window().LabelText(u"Label1"));

  const HWND open = host_.Control(u"Command1").Hwnd();
  const HWND save = host_.Control(u"Command2").Hwnd();
  ExpectPlace(open, 8, 76, 153, 41);
  ExpectPlace(save, 164, 76, 153, 41);
  EXPECT_EQ(program_.Button(u"Command1").Caption(), u"Open");
  EXPECT_EQ(program_.Button(u"Command2").Caption(), u"Save");
  // The captions are in the window's font, whichever size it took.
  EXPECT_EQ(::SendMessageW(open, WM_GETFONT, 0, 0),
            reinterpret_cast<LRESULT>(host_.Window().Font()));
  // Screen readers take a button's name from its window's text.
  EXPECT_EQ(WindowText(open), u"Open");
  program_.Button(u"Command1").SetCaption(u"&Open");
  EXPECT_EQ(WindowText(open), u"&Open");
  EXPECT_TRUE(::IsWindowEnabled(open));
  EXPECT_FALSE(::IsWindowEnabled(save));
  // The dialog control lies outside the client area at the size of its icon.
  ExpectPlace(host_.DialogControl(), 348, 120, 36, 36);
  // Tab walks the buttons in their tab order.
  EXPECT_EQ(::GetNextDlgTabItem(window, nullptr, FALSE), open);
}

TEST_F(Win32ProgramTest, AStatusTooLongForItsLineIsShortenedInTheMiddle) {
  Win32Window& window = host_.Window();
  const std::u16string path =
      u"C:\\Users\\someone\\AppData\\Roaming\\Opera\\with\\a\\very\\long\\path\\to\\the\\"
      u"browser\\profile\\folder\\where\\the\\notes\\are\\kept\\notes.adr";
  window.SetLabelText(u"Label1", path);
  const std::u16string shown = window.LabelShown(u"Label1");
  EXPECT_EQ(shown.substr(0, 9), u"C:\\Users\\") << Utf16ToUtf8(shown);
  EXPECT_TRUE(shown.ends_with(u"\u2026\\notes.adr")) << Utf16ToUtf8(shown);
  EXPECT_EQ(window.LabelText(u"Label1"), path);
  EXPECT_EQ(window.LabelToolTip(u"Label1"), path);
  window.SetLabelText(u"Label1", u"File saved");
  EXPECT_EQ(window.LabelShown(u"Label1"), u"File saved");
  EXPECT_EQ(window.LabelToolTip(u"Label1"), u"");
}

TEST_F(Win32ProgramTest, AButtonClickedByMouseMessagesRunsItsStep) {
  Win32Window& window = host_.Window();
  window.Show(SW_SHOWNORMAL);
  const HWND open = host_.Control(u"Command1").Hwnd();
  RECT screen{};
  ::GetWindowRect(open, &screen);
  // The release clicks only with the pointer still over the button.
  ASSERT_TRUE(::SetCursorPos((screen.left + screen.right) / 2, (screen.top + screen.bottom) / 2));
  ASSERT_EQ(::WindowFromPoint({(screen.left + screen.right) / 2, (screen.top + screen.bottom) / 2}),
            open);
  picker_.answers.push_back(std::nullopt);
  ::PostMessageW(open, WM_MOUSEMOVE, 0, MAKELPARAM(70, 20));
  ::PostMessageW(open, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(70, 20));
  ::PostMessageW(open, WM_LBUTTONUP, 0, MAKELPARAM(70, 20));
  testing::RunWaitingMessages(window);

  ASSERT_EQ(picker_.requests.size(), 1u);
  EXPECT_EQ(picker_.requests[0].second.title, u"Select file");
  EXPECT_EQ(picker_.requests[0].second.startFolder, u"C:\\Users\\me\\AppData");
  EXPECT_EQ(picker_.requests[0].second.owner,
            static_cast<std::int32_t>(HandleToLong(window.Hwnd())));
}

TEST_F(Win32ProgramTest, TheButtonShowsWhatTheToolkitFreePaintingDraws) {
  Win32ControlWindow& shown = host_.Control(u"Command1");
  program_.Button(u"Command1").Refresh();

  // The same button, painted with the same colours and font without a window.
  Win32SystemColors colors;
  Win32TextEngine text;
  text.SetFont(host_.Window().Font());
  HeadlessControlHost host(u"Command1", colors, text, shown.ClientWidth(), shown.ClientHeight());
  XpBEvents events;
  XpB alone(host, events);
  host.SetInput(&alone);
  alone.LoadFromStore(ProgramDesign().Control(u"Command1").settings);
  alone.Refresh();

  ASSERT_EQ(shown.Shown().width, 153);
  ASSERT_EQ(shown.Shown().height, 41);
  EXPECT_EQ(shown.Shown().pixels, alone.Surface().pixels);
}

std::wstring ProgramFile() {
  const std::string file = BRACKWATER_PROGRAM;
  return {file.begin(), file.end()};
}

// The program's own window, found among the top-level windows by its process and class.
struct WindowSearch {
  DWORD process;
  HWND found;
};

BOOL CALLBACK MatchWindow(HWND hwnd, LPARAM data) {
  auto& wanted = *reinterpret_cast<WindowSearch*>(data);
  DWORD owner = 0;
  ::GetWindowThreadProcessId(hwnd, &owner);
  wchar_t name[64] = {};
  ::GetClassNameW(hwnd, name, 64);
  if (owner != wanted.process || std::wstring(name) != L"BrackwaterWindow") return TRUE;
  wanted.found = hwnd;
  return FALSE;
}

HWND WindowOf(DWORD process) {
  WindowSearch search{process, nullptr};
  ::EnumWindows(&MatchWindow, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

TEST(Win32ProgramFile, StartsWithItsWindowAndEndsWhenTheWindowIsClosed) {
  std::wstring command = L"\"" + ProgramFile() + L"\"";
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION started{};
  ASSERT_TRUE(::CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                               nullptr, &startup, &started));
  // Idle input means the message loop runs, with the window made before it.
  EXPECT_EQ(::WaitForInputIdle(started.hProcess, 30000), 0u);
  const HWND window = WindowOf(started.dwProcessId);
  ASSERT_NE(window, nullptr);
  EXPECT_EQ(WindowText(window), u"Brackwater");
  EXPECT_TRUE(::IsWindowVisible(window));
  ::PostMessageW(window, WM_CLOSE, 0, 0);
  EXPECT_EQ(::WaitForSingleObject(started.hProcess, 30000), WAIT_OBJECT_0);
  DWORD status = 1;
  ::GetExitCodeProcess(started.hProcess, &status);
  EXPECT_EQ(status, 0u);
  ::CloseHandle(started.hThread);
  ::CloseHandle(started.hProcess);
}

// Where Wine draws on an X display: tools/wine-run's X11 mode, as the test
// win32_window_on_a_display runs it under xvfb-run. The null driver draws nowhere.
bool OnADisplay() {
  wchar_t graphics[8] = {};
  return ::GetEnvironmentVariableW(L"BRACKWATER_WINE_GRAPHICS", graphics, 8) == 3 &&
         std::wstring(graphics) == L"x11";
}

// What the screen shows in a w x h rectangle from `at`.
Image ScreenPixels(POINT at, int w, int h) {
  const HDC screen = ::GetDC(nullptr);
  const HDC memory = ::CreateCompatibleDC(screen);
  const BITMAPINFO info = TopDownBitmapInfo(w, h);
  void* bits = nullptr;
  const HBITMAP bitmap = ::CreateDIBSection(memory, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  const HGDIOBJ old = ::SelectObject(memory, bitmap);
  ::BitBlt(memory, 0, 0, w, h, screen, at.x, at.y, SRCCOPY);
  ::GdiFlush();
  Image image(w, h);
  const auto* from = static_cast<const std::uint32_t*>(bits);
  for (std::size_t i = 0; i < image.pixels.size(); ++i) image.pixels[i] = from[i] | 0xFF000000u;
  ::SelectObject(memory, old);
  ::DeleteObject(bitmap);
  ::DeleteDC(memory);
  ::ReleaseDC(nullptr, screen);
  return image;
}

Rgb PixelAt(const Image& image, int x, int y) {
  const std::uint32_t pixel = image.pixels[static_cast<std::size_t>(y * image.width + x)];
  return ((pixel >> 16) & 0xFF) | (pixel & 0xFF00) | ((pixel & 0xFF) << 16);
}

// The image as a 32-bit top-down BMP file, which the README's picture is made from.
void WriteBmp(const std::wstring& file, const Image& image) {
  const DWORD bytes = static_cast<DWORD>(image.pixels.size() * 4);
  BITMAPFILEHEADER head{};
  head.bfType = 0x4D42;
  head.bfOffBits = sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER);
  head.bfSize = head.bfOffBits + bytes;
  const BITMAPINFOHEADER info = TopDownBitmapInfo(image.width, image.height).bmiHeader;
  const HANDLE out =
      ::CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  ASSERT_NE(out, INVALID_HANDLE_VALUE);
  DWORD written = 0;
  ::WriteFile(out, &head, sizeof(head), &written, nullptr);
  ::WriteFile(out, &info, sizeof(info), &written, nullptr);
  ::WriteFile(out, image.pixels.data(), bytes, &written, nullptr);
  ::CloseHandle(out);
}

// The part of `image` at `place`, as a control's image holds it.
std::vector<std::uint32_t> Part(const Image& image, const RECT& place) {
  std::vector<std::uint32_t> part;
  for (LONG y = place.top; y < place.bottom; ++y) {
    for (LONG x = place.left; x < place.right; ++x) {
      part.push_back(image.pixels[static_cast<std::size_t>(y * image.width + x)] | 0xFF000000u);
    }
  }
  return part;
}

TEST(Win32WindowOnADisplay, ShowsWhatTheToolkitFreePaintingDraws) {
  if (!OnADisplay()) GTEST_SKIP() << "no X display here: win32_window_on_a_display runs this";
  // The pointer away from where the window shows, so that no button is under it.
  ::SetCursorPos(0, 0);
  std::wstring command = L"\"" + ProgramFile() + L"\"";
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION started{};
  ASSERT_TRUE(::CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                               nullptr, &startup, &started));
  ASSERT_EQ(::WaitForInputIdle(started.hProcess, 30000), 0u);
  const HWND window = WindowOf(started.dwProcessId);
  ASSERT_NE(window, nullptr);
  RECT client{};
  ::GetClientRect(window, &client);
  EXPECT_EQ(client.right, 324);
  EXPECT_EQ(client.bottom, 146);
  POINT origin{0, 0};
  ::ClientToScreen(window, &origin);

  // The X server shows what the program drew once Wine has handed it over, which happens
  // apart from the program's messages: the screen is read until two readings agree, each
  // after the program has run its waiting messages, for at most a few seconds.
  Image shot;
  for (int reading = 0; reading < 50; ++reading) {
    DWORD_PTR ignored = 0;
    ::SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_BLOCK, 5000, &ignored);
    Image next = ScreenPixels(origin, client.right, client.bottom);
    const bool settled = next.pixels == shot.pixels && PixelAt(next, 320, 140) == 0xC0C0C0;
    shot = std::move(next);
    if (settled) break;
    // A bounded pause that ends at once should the program end.
    ::WaitForSingleObject(started.hProcess, 100);
  }

  // The silver status line, and the buttons as the toolkit-free painting draws them in the
  // same window made here.
  for (int y = 128; y < 145; ++y) {
    EXPECT_EQ(PixelAt(shot, 322, y), 0xC0C0C0u) << "status line, row " << y;
  }
  testing::ScriptedPicker picker;
  Win32WindowHost host{kWindowResources};
  MainWindow same{ProgramDesign(), host, picker, FixedServices()};
  EXPECT_EQ(Part(shot, {8, 76, 161, 117}), host.Control(u"Command1").Shown().pixels);
  EXPECT_EQ(Part(shot, {164, 76, 317, 117}), host.Control(u"Command2").Shown().pixels);

  wchar_t file[MAX_PATH] = {};
  if (::GetEnvironmentVariableW(L"BRACKWATER_SCREENSHOT", file, MAX_PATH) > 0) {
    WriteBmp(file, shot);
  }
  ::PostMessageW(window, WM_CLOSE, 0, 0);
  EXPECT_EQ(::WaitForSingleObject(started.hProcess, 30000), WAIT_OBJECT_0);
  ::CloseHandle(started.hThread);
  ::CloseHandle(started.hProcess);
}

TEST(Win32VersionResource, TheProgramFileCarriesItsVersionInformation) {
  const std::wstring program = ProgramFile();
  DWORD ignored = 0;
  const DWORD size = ::GetFileVersionInfoSizeW(program.c_str(), &ignored);
  ASSERT_GT(size, 0u);
  std::vector<char> data(size);
  ASSERT_TRUE(::GetFileVersionInfoW(program.c_str(), 0, size, data.data()));
  const auto value = [&](const wchar_t* name) {
    void* text = nullptr;
    UINT length = 0;
    const std::wstring path = std::wstring(L"\\StringFileInfo\\040904B0\\") + name;
    if (!::VerQueryValueW(data.data(), path.c_str(), &text, &length)) return std::wstring();
    return std::wstring(static_cast<const wchar_t*>(text));
  };
  EXPECT_EQ(value(L"FileVersion"), L"1.00");
  EXPECT_EQ(value(L"ProductVersion"), L"1.00");
  for (const wchar_t* name : {L"FileDescription", L"Comments", L"ProductName", L"InternalName"}) {
    EXPECT_EQ(value(name), L"Brackwater") << name;
  }
  void* fixed = nullptr;
  UINT length = 0;
  ASSERT_TRUE(::VerQueryValueW(data.data(), L"\\", &fixed, &length));
  EXPECT_EQ(static_cast<const VS_FIXEDFILEINFO*>(fixed)->dwFileVersionMS, 0x00010000u);
}

}  // namespace
}  // namespace brackwater
