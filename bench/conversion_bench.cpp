// The notes conversion on generated notes files: bytes per second are bytes of the notes file.

#include <benchmark/benchmark.h>

#include <cstddef>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "bench/notes_generator.h"
#include "notes_export/notes_conversion.h"
#include "platform/system/text_codec.h"

namespace {

using brackwater::bench::NotesOptions;
using brackwater::bench::Script;

constexpr std::size_t kKB = 1000;
constexpr std::size_t kMB = 1000 * kKB;

// One round of the large cases takes most of a second: this gives a few rounds each.
constexpr double kLargeMinTime = 2.0;

constexpr std::u16string_view kPath = u"/home/user/.opera/notes.adr";
constexpr std::u16string_view kDate = u"06.12.2024";
constexpr std::u16string_view kTime = u"20:11:00";

// Generated once per size and script, however often the framework calls a benchmark to settle
// its iteration count, so that generation never shows in a figure.
const std::string& Notes(Script script, std::size_t bytes) {
  static std::map<std::pair<Script, std::size_t>, std::string> cache;
  auto [entry, added] = cache.try_emplace({script, bytes});
  if (added) {
    NotesOptions options;
    options.approximateBytes = bytes;
    options.script = script;
    entry->second = brackwater::bench::GenerateNotes(options);
  }
  return entry->second;
}

void SetThroughput(benchmark::State& state, const std::string& notes) {
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                          static_cast<std::int64_t>(notes.size()));
}

// The whole export held in memory; freeing it is timed in every round, as it costs in use.
void BM_ExportNotesText(benchmark::State& state, Script script, std::size_t bytes) {
  const std::string& notes = Notes(script, bytes);
  for (auto _ : state) {
    std::optional<std::u16string> text = brackwater::ExportNotesText(notes, kPath, kDate, kTime);
    benchmark::DoNotOptimize(text);
  }
  SetThroughput(state, notes);
}

// The conversion alone, as the command line drives it, with nothing done with the pieces.
void BM_StreamNotesExport(benchmark::State& state, Script script, std::size_t bytes) {
  const std::string& notes = Notes(script, bytes);
  std::size_t units = 0;
  const brackwater::ExportSink discard = [&units](std::u16string_view piece) {
    units += piece.size();
  };
  for (auto _ : state) {
    units = 0;
    benchmark::DoNotOptimize(brackwater::StreamNotesExport(notes, kPath, kDate, kTime, discard));
    benchmark::DoNotOptimize(units);
  }
  SetThroughput(state, notes);
}

// The converter's way under a UTF-8 locale: the export made straight as UTF-8 pieces.
void BM_StreamNotesExportUtf8(benchmark::State& state, Script script, std::size_t bytes) {
  const std::string& notes = Notes(script, bytes);
  std::size_t total = 0;
  const brackwater::Utf8Sink count = [&total](std::string_view piece) { total += piece.size(); };
  for (auto _ : state) {
    total = 0;
    benchmark::DoNotOptimize(brackwater::StreamNotesExportUtf8(notes, kPath, kDate, kTime, count));
    benchmark::DoNotOptimize(total);
  }
  SetThroughput(state, notes);
}

}  // namespace

// A notes file of a few years' use is tens of kilobytes; the larger ones show the throughput.
BENCHMARK_CAPTURE(BM_ExportNotesText, mixed_64KB, Script::kMixed, 64 * kKB)
    ->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_ExportNotesText, mixed_1MB, Script::kMixed, kMB)
    ->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_ExportNotesText, mixed_100MB, Script::kMixed, 100 * kMB)
    ->Unit(benchmark::kMillisecond)
    ->MinTime(kLargeMinTime);
BENCHMARK_CAPTURE(BM_ExportNotesText, cyrillic_1MB, Script::kMostlyCyrillic, kMB)
    ->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_ExportNotesText, cyrillic_100MB, Script::kMostlyCyrillic, 100 * kMB)
    ->Unit(benchmark::kMillisecond)
    ->MinTime(kLargeMinTime);

BENCHMARK_CAPTURE(BM_StreamNotesExport, mixed_1MB, Script::kMixed, kMB)
    ->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_StreamNotesExport, mixed_100MB, Script::kMixed, 100 * kMB)
    ->Unit(benchmark::kMillisecond)
    ->MinTime(kLargeMinTime);
BENCHMARK_CAPTURE(BM_StreamNotesExport, cyrillic_1MB, Script::kMostlyCyrillic, kMB)
    ->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_StreamNotesExport, cyrillic_100MB, Script::kMostlyCyrillic, 100 * kMB)
    ->Unit(benchmark::kMillisecond)
    ->MinTime(kLargeMinTime);

BENCHMARK_CAPTURE(BM_StreamNotesExportUtf8, mixed_1MB, Script::kMixed, kMB)
    ->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_StreamNotesExportUtf8, mixed_100MB, Script::kMixed, 100 * kMB)
    ->Unit(benchmark::kMillisecond)
    ->MinTime(kLargeMinTime);
BENCHMARK_CAPTURE(BM_StreamNotesExportUtf8, cyrillic_1MB, Script::kMostlyCyrillic, kMB)
    ->Unit(benchmark::kMicrosecond);
