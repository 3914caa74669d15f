#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace brackwater::bench {

enum class LineEnd { kCrLf, kLf };

enum class Script {
  // Mostly English and Russian, some Chinese and Japanese, the odd emoji.
  kMixed,
  // Russian prose with an occasional English word: the text that costs most to decode.
  kMostlyCyrillic,
};

struct NotesOptions {
  std::size_t approximateBytes = 1 << 20;
  LineEnd lineEnd = LineEnd::kCrLf;
  Script script = Script::kMixed;
  std::uint64_t seed = 1;
};

// A notes file laid out as Opera writes one: the hotlist header, then "#NOTE" records with
// tab-indented fields, folders that nest and close with "-", a few notes without an address.
// The same options always give the same bytes. The text stops at the first record end at or
// past `approximateBytes`, so that it is always whole.
std::string GenerateNotes(const NotesOptions& options);

}  // namespace brackwater::bench
