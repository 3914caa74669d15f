#include "platform/gui/headless_host.h"

#include <gtest/gtest.h>

#include <memory>

#include "tests/support/fixed_text_engine.h"
#include "tests/support/host_contract.h"

namespace brackwater {
namespace {

class HeadlessSubject final : public testing::HostContractSubject {
 public:
  ControlWindow& Control() override { return host_; }
  void PointerOnControl(bool on) override { host_.SetPointerOver(on); }
  void SetControlShown(bool shown) override { host_.SetShown(shown); }
  void WhileModalDialogOpen(const std::function<void()>& check) override {
    host_.SetBlocked(true);
    check();
    host_.SetBlocked(false);
  }

 private:
  const ClassicColors colors_{};
  FixedTextEngine text_;
  HeadlessControlHost host_{u"Command1", colors_, text_, 80, 30};
};

TEST(HeadlessControlHost, FollowsTheWindowFromPointRule) {
  testing::ExpectWindowFromPointRule([] { return std::make_unique<HeadlessSubject>(); });
}

}  // namespace
}  // namespace brackwater
