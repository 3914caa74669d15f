#include "platform/win32/win32_control_window.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/win32/resource_names.h"
#include "platform/win32/win32_system_colors.h"
#include "platform/win32/win32_text.h"
#include "platform/win32/win32_window.h"
#include "tests/support/host_contract.h"
#include "tests/support/recording_input.h"
#include "tests/win32/com_environment.h"

namespace brackwater {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

using testing::RecordingInput;

LPARAM At(int x, int y) { return MAKELPARAM(static_cast<WORD>(x), static_cast<WORD>(y)); }

class Win32ControlWindowTest : public ::testing::Test {
 protected:
  Win32ControlWindowTest() : window_(u"Test", SIZE{200, 100}, nullptr, nullptr, nullptr) {
    control_ = std::make_unique<Win32ControlWindow>(window_.Hwnd(), u"Command1", colors_);
    window_.Place(control_->Hwnd(), RECT{10, 20, 110, 60});
    input_.log.clear();  // the placing's own resize
    control_->SetInput(&input_);
  }

  LRESULT Send(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
    return ::SendMessageW(control_->Hwnd(), message, wParam, lParam);
  }

  Win32SystemColors colors_;
  Win32Window window_;
  std::unique_ptr<Win32ControlWindow> control_;
  RecordingInput input_;
};

TEST_F(Win32ControlWindowTest, MouseMessagesCarryTheButtonTheKeysAndThePosition) {
  Send(WM_RBUTTONDOWN, MK_RBUTTON | MK_SHIFT, At(5, 7));
  Send(WM_RBUTTONUP, MK_CONTROL, At(6, 8));
  Send(WM_MBUTTONDOWN, MK_MBUTTON, At(1, 2));
  Send(WM_MBUTTONUP, 0, At(1, 2));
  // Moves carry every button held; outside the window, while it holds the capture, the position
  // goes negative.
  Send(WM_MOUSEMOVE, MK_LBUTTON | MK_MBUTTON | MK_SHIFT | MK_CONTROL, At(-3, 4));
  Send(WM_MOUSEMOVE, 0, At(50, 30));
  EXPECT_THAT(input_.log,
              ElementsAre("MouseDown 2 1 5 7", "MouseUp 2 2 6 8", "MouseDown 4 0 1 2",
                          "MouseUp 4 0 1 2", "MouseMove 5 3 -3 4", "MouseMove 0 0 50 30"));
}

TEST_F(Win32ControlWindowTest, TheLeftButtonTakesTheFocusBeforeThePress) {
  Send(WM_LBUTTONDOWN, MK_LBUTTON, At(5, 7));
  Send(WM_LBUTTONUP, 0, At(5, 7));
  EXPECT_EQ(::GetFocus(), control_->Hwnd());
  EXPECT_THAT(input_.log, ElementsAre("FocusIn", "MouseDown 1 0 5 7", "MouseUp 1 0 5 7"));
}

TEST_F(Win32ControlWindowTest, KeysRepeatAsPressesAndEveryKeyButTabIsTheControls) {
  Send(WM_KEYDOWN, VK_SPACE, 1);
  Send(WM_KEYDOWN, VK_SPACE, 0x40000001);  // auto-repeat: the key was down already
  Send(WM_KEYUP, VK_SPACE, 0xC0000001);
  Send(WM_KEYDOWN, VK_RETURN, 1);
  EXPECT_THAT(input_.log,
              ElementsAre("KeyDown 32 0", "KeyDown 32 0", "KeyUp 32 0", "KeyDown 13 0"));

  MSG tab{control_->Hwnd(), WM_KEYDOWN, VK_TAB, 0, 0, {}};
  MSG space{control_->Hwnd(), WM_KEYDOWN, VK_SPACE, 0, 0, {}};
  EXPECT_EQ(Send(WM_GETDLGCODE, VK_TAB, reinterpret_cast<LPARAM>(&tab)), 0);
  EXPECT_NE(Send(WM_GETDLGCODE, VK_SPACE, reinterpret_cast<LPARAM>(&space)) & DLGC_WANTALLKEYS, 0);
}

TEST_F(Win32ControlWindowTest, FocusTimerSizeAndAmbientChanges) {
  Send(WM_SETFOCUS);
  Send(WM_KILLFOCUS);
  Send(WM_TIMER, 1);
  control_->SetClientSize(80, 30);
  Send(WM_SETFONT, reinterpret_cast<WPARAM>(::GetStockObject(DEFAULT_GUI_FONT)));
  Send(WM_SYSCOLORCHANGE);
  EXPECT_THAT(input_.log, ElementsAre("FocusIn", "FocusOut", "Timer", "Resize", "Ambient Font",
                                      "Ambient Palette"));
  EXPECT_EQ(control_->ClientWidth(), 80);
  EXPECT_EQ(control_->ClientHeight(), 30);
  // The window hands the desktop's changes on to its controls.
  input_.log.clear();
  window_.SetTabOrder({control_->Hwnd()});
  ::SendMessageW(window_.Hwnd(), WM_SETTINGCHANGE, 0, 0);
  EXPECT_THAT(input_.log, ElementsAre("Ambient Font"));
}

TEST_F(Win32ControlWindowTest, ADisabledWindowTakesNoInputButItsTimerTicks) {
  control_->SetEnabled(false);
  EXPECT_FALSE(control_->Enabled());
  Send(WM_LBUTTONDOWN, MK_LBUTTON, At(5, 7));
  Send(WM_KEYDOWN, VK_SPACE, 1);
  Send(WM_SETFOCUS);
  Send(WM_TIMER, 1);
  EXPECT_THAT(input_.log, ElementsAre("Timer"));
}

TEST_F(Win32ControlWindowTest, TheAccessKeyWithAltClicksOnlyAnEnabledControl) {
  window_.SetTabOrder({control_->Hwnd()});
  control_->SetAccessKey(u'o');
  MSG altO{window_.Hwnd(), WM_SYSCHAR, L'O', 0, 0, {}};
  EXPECT_TRUE(window_.PreTranslate(altO));
  MSG altX{window_.Hwnd(), WM_SYSCHAR, L'x', 0, 0, {}};
  window_.PreTranslate(altX);
  control_->SetEnabled(false);
  window_.PreTranslate(altO);
  EXPECT_THAT(input_.log, ElementsAre("AccessKey"));
}

TEST_F(Win32ControlWindowTest, TheTimerAndTheCaptureFollowTheControl) {
  control_->SetTimerEnabled(true);
  EXPECT_TRUE(control_->TimerEnabled());
  control_->SetTimerEnabled(false);
  EXPECT_FALSE(control_->TimerEnabled());

  ::ShowWindow(window_.Hwnd(), SW_SHOWNA);
  control_->SetCapture();
  EXPECT_EQ(::GetCapture(), control_->Hwnd());
  // A modal dialog disables the window, which lets the capture go.
  ::EnableWindow(window_.Hwnd(), FALSE);
  EXPECT_EQ(::GetCapture(), nullptr);
  ::EnableWindow(window_.Hwnd(), TRUE);
  // So does disabling the control: a disabled window gets no mouse input.
  control_->SetCapture();
  EXPECT_EQ(::GetCapture(), control_->Hwnd());
  control_->SetEnabled(false);
  EXPECT_EQ(::GetCapture(), nullptr);
  EXPECT_EQ(control_->WindowHandle(), static_cast<std::int32_t>(HandleToLong(control_->Hwnd())));
}

TEST_F(Win32ControlWindowTest, WhatIsShownIsTheRetainedImage) {
  // A picture of 3 x 2 pixels, handed over and drawn as WM_PAINT draws it.
  const std::vector<std::uint32_t> pixels{0xFFFF0000, 0xFF00FF00, 0xFF0000FF,
                                          0xFF123456, 0xFFFFFFFF, 0xFF000000};
  control_->ShowSurface({3, 2, pixels});
  EXPECT_EQ(control_->Shown().pixels, pixels);

  const HDC screen = ::GetDC(nullptr);
  const HDC memory = ::CreateCompatibleDC(screen);
  BITMAPINFO info{};
  info.bmiHeader = {sizeof(BITMAPINFOHEADER), 3, -2, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
  void* bits = nullptr;
  const HBITMAP bitmap = ::CreateDIBSection(memory, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  const HGDIOBJ old = ::SelectObject(memory, bitmap);
  Send(WM_PRINTCLIENT, reinterpret_cast<WPARAM>(memory), PRF_CLIENT);
  ::GdiFlush();
  const auto* drawn = static_cast<const std::uint32_t*>(bits);
  for (std::size_t i = 0; i < pixels.size(); ++i) {
    EXPECT_EQ(drawn[i] & 0xFFFFFF, pixels[i] & 0xFFFFFF) << "pixel " << i;
  }
  ::SelectObject(memory, old);
  ::DeleteObject(bitmap);
  ::DeleteDC(memory);
  ::ReleaseDC(nullptr, screen);
}

// The dialog box of RunModalDialog: it runs the check that it is handed once its own message
// loop runs, when its owner is disabled, and closes.
INT_PTR CALLBACK CheckingDialog(HWND box, UINT message, WPARAM, LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    ::SetWindowLongPtrW(box, DWLP_USER, lParam);
    ::PostMessageW(box, WM_APP, 0, 0);
    return TRUE;
  }
  if (message != WM_APP) return FALSE;
  (*reinterpret_cast<const std::function<void()>*>(::GetWindowLongPtrW(box, DWLP_USER)))();
  ::EndDialog(box, 0);
  return TRUE;
}

// A modal dialog box of the system's, owned by `owner`, that runs `check` while it is open.
void RunModalDialog(HWND owner, const std::function<void()>& check) {
  // A template without controls: the dialog box at the screen's top-left corner, away from the
  // window in the middle of the screen.
  struct alignas(4) Template {
    DLGTEMPLATE header;
    WORD menu;
    WORD windowClass;
    WORD title;
  } dialog{};
  dialog.header.style = WS_POPUP | WS_CAPTION | DS_MODALFRAME | DS_ABSALIGN;
  dialog.header.cx = 40;
  dialog.header.cy = 20;
  ::DialogBoxIndirectParamW(::GetModuleHandleW(nullptr), &dialog.header, owner, &CheckingDialog,
                            reinterpret_cast<LPARAM>(&check));
}

// A control as the program's window host makes it, in a shown window of its own.
class Win32Subject final : public testing::HostContractSubject {
 public:
  Win32Subject() {
    host_.MakeWindow(u"Contract", 200, 100);
    control_ = &dynamic_cast<Win32ControlWindow&>(host_.AddControlWindow(u"C", {10, 20, 110, 60}));
    host_.Window().Show(SW_SHOWNOACTIVATE);
  }
  ControlWindow& Control() override { return *control_; }
  void PointerOnControl(bool on) override {
    POINT at = on ? POINT{50, 20} : POINT{150, 90};
    ::ClientToScreen(on ? control_->Hwnd() : host_.Window().Hwnd(), &at);
    ::SetCursorPos(at.x, at.y);
  }
  void SetControlShown(bool shown) override {
    ::ShowWindow(control_->Hwnd(), shown ? SW_SHOWNA : SW_HIDE);
  }
  void WhileModalDialogOpen(const std::function<void()>& check) override {
    RunModalDialog(host_.Window().Hwnd(), check);
  }
  int WindowTextWidth(std::u16string_view text) override {
    const HDC dc = ::CreateCompatibleDC(nullptr);
    const HGDIOBJ old = ::SelectObject(dc, host_.Window().Font());
    SIZE size{};
    const std::wstring wide = Wide(text);
    ::GetTextExtentPoint32W(dc, wide.c_str(), static_cast<int>(wide.size()), &size);
    ::SelectObject(dc, old);
    ::DeleteDC(dc);
    return size.cx;
  }
  void EnlargeWindowFont() override {
    LOGFONTW font{};
    ::GetObjectW(host_.Window().Font(), sizeof(font), &font);
    font.lfHeight -= 8;
    host_.Window().SetFont(::CreateFontIndirectW(&font));
  }

 private:
  Win32WindowHost host_{kWindowResources};
  Win32ControlWindow* control_ = nullptr;
};

TEST(Win32HostContract, FollowsTheWindowFromPointRule) {
  testing::ExpectWindowFromPointRule([] { return std::make_unique<Win32Subject>(); });
}

TEST(Win32HostContract, TheCaptionIsInTheWindowFont) {
  testing::ExpectCaptionInTheWindowFont([] { return std::make_unique<Win32Subject>(); });
}

}  // namespace
}  // namespace brackwater
