// brackwater-export: the notes conversion from the command line, with the same rules as a Save
// in the window.

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <exception>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "notes_export/export_file.h"
#include "platform/system/clock.h"
#include "platform/system/code_page.h"
#include "platform/system/files.h"
#include "platform/system/text_codec.h"

namespace {

using namespace brackwater;

constexpr std::string_view kProgram = "brackwater-export";
constexpr std::string_view kUsage = "usage: brackwater-export NOTES [-o OUTPUT]\n";
constexpr std::string_view kHelp =
    "\n"
    "Exports every note of an Opera notes file (notes.adr) into one plain text file.\n"
    "\n"
    "  -o OUTPUT   write the export to OUTPUT, with \".txt\" appended unless it ends in it;\n"
    "              without -o, the export goes beside NOTES, with \".adr\" turned into \".txt\"\n"
    "  --help      show this help and exit\n"
    "  --version   show the version and exit\n"
    "\n"
    "The export is written in the character set of the locale, or in UTF-8 with a byte-order\n"
    "mark when that cannot hold every character. It replaces an earlier file only once it is\n"
    "complete, and never the notes file itself. The header carries the current date and time,\n"
    "or those of SOURCE_DATE_EPOCH when that is set.\n";

constexpr int kFailed = 1;
constexpr int kBadUsage = 2;

struct Arguments {
  std::filesystem::path notes;
  std::optional<std::filesystem::path> output;
};

void Print(std::FILE* stream, std::string_view text) {
  std::fwrite(text.data(), 1, text.size(), stream);
}

int Fail(std::string_view message) {
  Print(stderr, std::string(kProgram) + ": " + std::string(message) + "\n");
  return kFailed;
}

// A file name as the messages show it: its bytes on POSIX, UTF-8 on Windows.
std::string Shown(const std::filesystem::path& path) {
  return Utf16ToUtf8(PathToText(path), Utf8Errors::kEscape);
}

// Options are ASCII, so they compare the same in the arguments of either width.
template <typename Char>
bool Is(std::basic_string_view<Char> arg, std::string_view option) {
  return std::equal(arg.begin(), arg.end(), option.begin(), option.end(),
                    [](Char a, char b) { return a == static_cast<Char>(b); });
}

// Returns the exit status when the run ends here (help, version, bad usage). The arguments come
// as the system gives them, so that file names become paths unchanged: bytes on POSIX, UTF-16
// on Windows, where the ANSI code page could not hold every name.
template <typename Char>
std::optional<int> ParseArguments(int argc, Char** argv, Arguments& arguments) {
  bool options = true;
  std::optional<std::filesystem::path> notes;
  for (int i = 1; i < argc; ++i) {
    const std::basic_string_view<Char> arg = argv[i];
    if (options && Is(arg, "--help")) {
      Print(stdout, std::string(kUsage) + std::string(kHelp));
      return 0;
    }
    if (options && Is(arg, "--version")) {
      Print(stdout, std::string(kProgram) + " " + BRACKWATER_VERSION + "\n");
      return 0;
    }
    if (options && Is(arg, "--")) {
      options = false;
    } else if (options && Is(arg, "-o") && i + 1 < argc && !arguments.output) {
      arguments.output = argv[++i];
    } else if ((options && arg.starts_with(Char{'-'}) && !Is(arg, "-")) || notes) {
      Print(stderr, kUsage);
      return kBadUsage;
    } else {
      notes = arg;
    }
  }
  if (!notes) {
    Print(stderr, kUsage);
    return kBadUsage;
  }
  arguments.notes = *notes;
  return std::nullopt;
}

// SOURCE_DATE_EPOCH that names no moment; noticed only once the notes file is known to hold
// notes, so that a missing or empty notes file is what is reported first.
struct UnusableSourceDateEpoch {};

// The moment the header names: SOURCE_DATE_EPOCH (in UTC, as reproducible builds have it), or
// the current local time.
DateTimeText HeaderDateTime() {
  const char* epoch = std::getenv("SOURCE_DATE_EPOCH");
  if (epoch == nullptr) return FormatDateTime(std::time(nullptr), TimeZone::kLocal);
  const std::string_view text = epoch;
  std::time_t seconds{};
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), seconds);
  if (text.empty() || error != std::errc{} || end != text.data() + text.size() || seconds < 0) {
    throw UnusableSourceDateEpoch{};
  }
  return FormatDateTime(seconds, TimeZone::kUtc);
}

int Run(const Arguments& arguments) {
  const std::u16string output = arguments.output ? PathToText(*arguments.output) : u"";
  ExportResult result;
  try {
    result = ExportNotesFile(PathToText(arguments.notes), FileReading::kMapped, SystemCodePage(),
                             {HeaderDateTime, [&output](const std::u16string&) { return output; }});
  } catch (const UnusableSourceDateEpoch&) {
    return Fail("SOURCE_DATE_EPOCH is not a whole number of seconds");
  }
  switch (result.failure) {
    case ExportFailure::kCannotRead:
      return Fail("cannot read " + Shown(result.file) + ": " + result.reason);
    case ExportFailure::kNoNotes:
      return Fail("cannot export " + Shown(arguments.notes) +
                  ": the notes file is empty, so it holds no notes");
    case ExportFailure::kCannotWrite:
      return Fail("cannot write " + Shown(result.file) + ": " + result.reason);
    case ExportFailure::kNone:
      break;
  }
  Print(stdout, "File saved as " + Shown(TextToPath(result.exportPath)) + "\n");
  return 0;
}

template <typename Char>
int Main(int argc, Char** argv) {
  std::setlocale(LC_ALL, "");
  Arguments arguments;
  if (const std::optional<int> status = ParseArguments(argc, argv, arguments)) return *status;
  try {
    return Run(arguments);
  } catch (const std::exception& error) {
    return Fail(error.what());
  }
}

}  // namespace

#ifdef _WIN32
// Linked with -municode: the arguments in UTF-16, as the command line holds them.
extern "C" int wmain(int argc, wchar_t** argv) { return Main(argc, argv); }
#else
int main(int argc, char** argv) { return Main(argc, argv); }
#endif
