// One repaint of a 153 x 41 button, the size of the main window's buttons, in each style: the
// whole of Refresh, from the clear to the focus cue, on a host that shows nothing. "allocs" is
// the number of memory allocations per repaint.

#include <benchmark/benchmark.h>

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <new>
#include <optional>
#include <string>

#include "platform/gui/device_context.h"
#include "platform/gui/headless_host.h"
#include "tests/support/fixed_text_engine.h"
#include "xp_button/xpb.h"

namespace {

std::atomic<std::size_t> allocations{0};

}  // namespace

// GCC inlines these replacements into their callers and then takes malloc's memory handed to
// free for a mismatch.
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"

void* operator new(std::size_t size) {
  allocations.fetch_add(1, std::memory_order_relaxed);
  if (void* p = std::malloc(size == 0 ? 1 : size)) return p;
  throw std::bad_alloc();
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }

namespace {

using namespace brackwater;

// Measures captions as a fixed-width font would and draws nothing: the painting's own cost.
class NoText final : public TextEngine {
 public:
  int DrawText(DeviceContext&, std::u16string_view text, Rect& rect, unsigned format,
               CaptionParams&) override {
    if ((format & TextFormat::kCalcRect) != 0) {
      rect.right = rect.left + static_cast<std::int32_t>(text.size()) * 6 + 2;
      rect.bottom = rect.top + 13;
    }
    return 13;
  }
};

class Icon final : public Picture {
 public:
  Icon() : pixels_(32, 32, 0x80336699) {}
  std::int32_t WidthHimetric() const override { return 847; }
  std::int32_t HeightHimetric() const override { return 847; }
  PictureKind Kind() const override { return PictureKind::kIcon; }
  const Image& Pixels() const override { return pixels_; }

 private:
  Image pixels_;
};

enum class Content { kEmpty, kCaption, kCaptionAndIcon };

// Arguments: style, hover (0/1), content, fixed-width text (0: measuring only).
void BM_Refresh(benchmark::State& state) {
  const auto style = static_cast<std::int32_t>(state.range(0));
  const auto hover = static_cast<std::uint8_t>(state.range(1));
  const auto content = static_cast<Content>(state.range(2));
  FixedTextEngine fixed;
  NoText none;
  ClassicColors colors;
  HeadlessControlHost host(u"Command1", colors,
                           state.range(3) != 0 ? static_cast<TextEngine&>(fixed) : none, 153, 41);
  XpBEvents events;
  XpB button(host, events);
  button.SetButtonStyle(style);
  button.SetShowFocusRect(true);
  button.SetXPDefaultColors(true);
  button.SetPicturePosition(1);
  if (content != Content::kEmpty) button.SetCaption(u"&Open");
  if (content == Content::kCaptionAndIcon) button.SetPicture(std::make_shared<Icon>());
  button.OnResize();
  button.SetInputFlags(1, 0, hover);

  const std::size_t before = allocations.load();
  for (auto _ : state) button.Refresh();
  state.counters["allocs"] = benchmark::Counter(static_cast<double>(allocations.load() - before) /
                                                static_cast<double>(state.iterations()));
}

void Rows(benchmark::internal::Benchmark* b) {
  b->ArgNames({"style", "hover", "content", "fixed"});
  for (const XpBStyle style :
       {XpBStyle::kClassic, XpBStyle::kFlat, XpBStyle::kFlatDefault, XpBStyle::kXPFace}) {
    b->Args({style, 0, 0, 0});
  }
  b->Args({XpBStyle::kXPFace, 1, 0, 0});
  for (const XpBStyle style : {XpBStyle::kClassic, XpBStyle::kXPFace}) {
    b->Args({style, 1, 1, 0});
    b->Args({style, 1, 1, 1});
    b->Args({style, 1, 2, 1});
  }
}

BENCHMARK(BM_Refresh)->Apply(Rows)->Unit(benchmark::kMicrosecond);

}  // namespace
