// notes-gen: writes a generated notes file of a given size, to try the converter on input of
// any size without anyone's real notes.

#include <charconv>
#include <cstdio>
#include <string>
#include <string_view>

#include "bench/notes_generator.h"

namespace {

constexpr std::string_view kUsage =
    "usage: notes-gen SIZE_IN_MB OUTFILE [--lf] [--cyrillic] [--one-note]\n"
    "  SIZE_IN_MB  about this many megabytes (10^6 bytes), a fraction allowed\n"
    "  --lf        end lines with LF alone instead of CR LF\n"
    "  --cyrillic  write mostly Russian notes instead of a mix of scripts\n"
    "  --one-note  write one note of that size instead, in Russian and ASCII alone, so that\n"
    "              a single-byte Cyrillic code page holds it\n";

int Usage() {
  std::fputs(kUsage.data(), stderr);
  return 2;
}

// One note of about `bytes` bytes, written as it is made, so that any size fits.
bool WriteOneNote(std::FILE* file, std::size_t bytes) {
  constexpr std::string_view kStart = "Opera Hotlist version 2.0\r\n\r\n#NOTE\r\n\tID=1\r\n\tNAME=";
  constexpr std::string_view kLine = "Купить молоко и хлеб, позвонить маме.\x02\x02Meeting at 10. ";
  constexpr std::string_view kEnd = "\r\n\tURL=http://example.com/\r\n\tCREATED=1100000000\r\n";
  std::string block;
  while (block.size() < (std::size_t{1} << 20)) block += kLine;
  bool written = std::fwrite(kStart.data(), 1, kStart.size(), file) == kStart.size();
  for (std::size_t done = 0; written && done < bytes; done += block.size()) {
    written = std::fwrite(block.data(), 1, block.size(), file) == block.size();
  }
  return written && std::fwrite(kEnd.data(), 1, kEnd.size(), file) == kEnd.size();
}

}  // namespace

int main(int argc, char** argv) {
  brackwater::bench::NotesOptions options;
  std::string_view size;
  const char* output = nullptr;
  bool oneNote = false;
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    if (arg == "--lf") {
      options.lineEnd = brackwater::bench::LineEnd::kLf;
    } else if (arg == "--cyrillic") {
      options.script = brackwater::bench::Script::kMostlyCyrillic;
    } else if (arg == "--one-note") {
      oneNote = true;
    } else if (arg == "--help") {
      std::fputs(kUsage.data(), stdout);
      return 0;
    } else if (size.empty()) {
      size = arg;
    } else if (output == nullptr) {
      output = argv[i];
    } else {
      return Usage();
    }
  }
  double megabytes = 0;
  if (output == nullptr) return Usage();
  const auto [end, error] = std::from_chars(size.data(), size.data() + size.size(), megabytes);
  if (error != std::errc{} || end != size.data() + size.size() || !(megabytes > 0) ||
      megabytes > 1e5) {
    return Usage();
  }
  options.approximateBytes = static_cast<std::size_t>(megabytes * 1e6);

  std::FILE* file = std::fopen(output, "wb");
  if (file == nullptr) {
    std::perror(output);
    return 1;
  }
  bool written;
  if (oneNote) {
    written = WriteOneNote(file, options.approximateBytes);
  } else {
    const std::string notes = brackwater::bench::GenerateNotes(options);
    written = std::fwrite(notes.data(), 1, notes.size(), file) == notes.size();
  }
  if (std::fclose(file) != 0 || !written) {
    std::perror(output);
    return 1;
  }
  return 0;
}
