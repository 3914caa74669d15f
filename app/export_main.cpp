// brackwater-export: the notes conversion from the command line, with the same rules as a Save
// in the window.

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <clocale>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <exception>
#include <filesystem>
#include <new>
#include <optional>
#include <string>
#include <string_view>

#include "notes_export/export_file.h"
#include "platform/system/clock.h"
#include "platform/system/code_page.h"
#include "platform/system/files.h"
#include "platform/system/text_codec.h"

#ifdef _WIN32
#include <winerror.h>
#endif

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

// Why the last write failed, as errno names it.
int WriteError() {
#ifdef _WIN32
  // The C runtime reads the system's errors for a pipe whose reader has gone as EINVAL.
  if (errno == EINVAL && (_doserrno == ERROR_BROKEN_PIPE || _doserrno == ERROR_NO_DATA ||
                          _doserrno == ERROR_PIPE_NOT_CONNECTED)) {
    return EPIPE;
  }
#endif
  return errno;
}

// Why the first write to stdout failed, kept for the end, where stdout is checked: a later
// flush or close may no longer know it.
int stdoutError = 0;

void Print(std::FILE* stream, std::string_view text) {
  if (std::fwrite(text.data(), 1, text.size(), stream) != text.size() && stream == stdout &&
      stdoutError == 0) {
    stdoutError = WriteError();
  }
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

// A moment that the header cannot name; noticed only once the notes file is known to hold
// notes, so that a missing or empty notes file is what is reported first.
struct UnusableMoment {
  std::string_view message;
};

// The moment the header names: SOURCE_DATE_EPOCH (in UTC, as reproducible builds have it), or
// the current local time.
DateTimeText HeaderDateTime() {
  constexpr UnusableMoment kOutOfRange{"SOURCE_DATE_EPOCH is out of range"};
  const char* epoch = std::getenv("SOURCE_DATE_EPOCH");
  if (epoch == nullptr) {
    if (auto now = FormatDateTime(std::time(nullptr), TimeZone::kLocal)) return *now;
    throw UnusableMoment{"the current time cannot be written as a date"};
  }
  const std::string_view text = epoch;
  std::time_t seconds{};
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), seconds);
  if (error == std::errc::result_out_of_range) throw kOutOfRange;
  if (text.empty() || error != std::errc{} || end != text.data() + text.size() || seconds < 0) {
    throw UnusableMoment{"SOURCE_DATE_EPOCH is not a whole number of seconds"};
  }
  if (auto moment = FormatDateTime(seconds, TimeZone::kUtc)) return *moment;
  throw kOutOfRange;
}

int Run(const Arguments& arguments) {
  const std::u16string output = arguments.output ? PathToText(*arguments.output) : u"";
  ExportResult result;
  try {
    result = ExportNotesFile(PathToText(arguments.notes), FileKinds::kAny, SystemCodePage(),
                             {HeaderDateTime, [&output](const std::u16string&) { return output; }});
  } catch (const UnusableMoment& moment) {
    return Fail(moment.message);
  } catch (const std::bad_alloc&) {
    // What was held is freed by now, which leaves room for the message. An earlier file at the
    // output is as it was: the export replaces it only once complete.
    return Fail("cannot export " + Shown(arguments.notes) + ": out of memory");
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
  if (!result.notesFound) {
    Print(stderr, std::string(kProgram) + ": no notes found in " + Shown(arguments.notes) +
                      "; the export holds only its header\n");
  }
  return 0;
}

// As coreutils do, what was printed counts only once it has reached its file: stdout is closed,
// not only flushed, so that what only the close finds (a full disk over NFS) is reported too.
// It is flushed first all the same: the Windows C runtime's close does not report a failed
// flush. A failure of stderr itself can only be told by the status.
int Finish(int status) {
  errno = 0;
  if (std::fflush(stdout) != 0 && stdoutError == 0) stdoutError = WriteError();
  const bool failed = std::ferror(stdout) != 0;
  errno = 0;
  if (std::fclose(stdout) != 0 || failed) {
    if (stdoutError == 0) stdoutError = WriteError();
    const std::string reason =
        stdoutError != 0 ? ": " + std::string(std::strerror(stdoutError)) : "";
    status = Fail("cannot write to standard output" + reason);
  }
  if (std::fflush(stderr) != 0 || std::ferror(stderr) != 0) status = kFailed;
  return status;
}

template <typename Char>
int Main(int argc, Char** argv) {
  std::setlocale(LC_ALL, "");
#ifdef SIGPIPE
  // A reader that has gone away is a write that fails, reported as such, not a silent death.
  std::signal(SIGPIPE, SIG_IGN);
#endif
  Arguments arguments;
  if (const std::optional<int> status = ParseArguments(argc, argv, arguments)) {
    return Finish(*status);
  }
  int status = kFailed;
  try {
    status = Run(arguments);
  } catch (const std::exception& error) {
    status = Fail(error.what());
  }
  return Finish(status);
}

}  // namespace

#ifdef _WIN32
// Linked with -municode: the arguments in UTF-16, as the command line holds them.
extern "C" int wmain(int argc, wchar_t** argv) { return Main(argc, argv); }
#else
int main(int argc, char** argv) { return Main(argc, argv); }
#endif
