#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string_view>

#include "platform/gui/device_context.h"
#include "platform/gui/window_host.h"

namespace brackwater::testing {

// One owner-drawn control in a shown window of some host, and the means to put it in each state
// that the rules all hosts share are about. Each host's tests make one for every row.
class HostContractSubject {
 public:
  virtual ~HostContractSubject() = default;
  virtual ControlWindow& Control() = 0;
  // The pointer on the middle of the control, or on its window away from it.
  virtual void PointerOnControl(bool on) = 0;
  virtual void SetControlShown(bool shown) = 0;
  // Runs `check` while a modal dialog, away from the control, blocks the control's window.
  virtual void WhileModalDialogOpen(const std::function<void()>& check) = 0;
  // The width of `text` in the font of the control's window, as its labels show it, and a
  // change of that font to a clearly larger one. Hosts without a window have no font of their
  // own to follow.
  virtual int WindowTextWidth(std::u16string_view) {
    ADD_FAILURE() << "this host has no window font";
    return 0;
  }
  virtual void EnlargeWindowFont() { ADD_FAILURE() << "this host has no window font"; }
};

using SubjectFactory = std::function<std::unique_ptr<HostContractSubject>()>;

// The window-from-point rule: the pointer is over a control only where it could click it. A
// disabled control, a hidden one, or one that a modal dialog blocks is never under it.
inline void ExpectWindowFromPointRule(const SubjectFactory& make) {
  using Check = std::function<void()>;
  using Arrange = void (*)(HostContractSubject&, const Check&);
  const struct {
    const char* name;
    Arrange arrange;
    bool over;
  } rows[] = {
      {"on the control", [](HostContractSubject&, const Check& check) { check(); }, true},
      {"beside the control",
       [](HostContractSubject& s, const Check& check) {
         s.PointerOnControl(false);
         check();
       },
       false},
      {"on a disabled control",
       [](HostContractSubject& s, const Check& check) {
         s.Control().SetEnabled(false);
         check();
       },
       false},
      {"on a hidden control",
       [](HostContractSubject& s, const Check& check) {
         s.SetControlShown(false);
         check();
       },
       false},
      {"on a control that a modal dialog blocks",
       [](HostContractSubject& s, const Check& check) { s.WhileModalDialogOpen(check); }, false},
      {"on a control after its modal dialog closed",
       [](HostContractSubject& s, const Check& check) {
         s.WhileModalDialogOpen([] {});
         check();
       },
       true},
      {"on a control enabled again",
       [](HostContractSubject& s, const Check& check) {
         s.Control().SetEnabled(false);
         s.Control().SetEnabled(true);
         check();
       },
       true},
  };
  for (const auto& row : rows) {
    const std::unique_ptr<HostContractSubject> subject = make();
    subject->PointerOnControl(true);
    bool checked = false;
    row.arrange(*subject, [&] {
      checked = true;
      ControlWindow& control = subject->Control();
      EXPECT_EQ(control.WindowUnderPointer() == control.WindowHandle(), row.over) << row.name;
    });
    EXPECT_TRUE(checked) << row.name;
  }
}

// The width of `text` in the control's own text engine, as the caption is measured.
inline int CaptionWidth(ControlWindow& control, std::u16string_view text) {
  Image image(1, 1);
  DeviceContext dc(image, control.Colors(), control.Text());
  Rect rect{0, 0, 10000, 10000};
  CaptionParams params;
  params.leftMargin = 0;
  params.rightMargin = 0;
  dc.DrawText(text, rect, TextFormat::kCalcRect, params);
  return rect.right;
}

// The caption's font is the font of the window that holds the control, and follows it.
inline void ExpectCaptionInTheWindowFont(const SubjectFactory& make) {
  const std::unique_ptr<HostContractSubject> subject = make();
  constexpr std::u16string_view kText = u"Open the notes file";
  const int before = subject->WindowTextWidth(kText);
  EXPECT_EQ(CaptionWidth(subject->Control(), kText), before);
  subject->EnlargeWindowFont();
  const int after = subject->WindowTextWidth(kText);
  EXPECT_GT(after, before);
  EXPECT_EQ(CaptionWidth(subject->Control(), kText), after);
}

}  // namespace brackwater::testing
