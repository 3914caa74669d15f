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
#include "notes_export/export_paths.h"
#include "notes_export/notes_records.h"
#include "notes_export/structured_export.h"
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
constexpr std::string_view kUsage =
    "usage: brackwater-export NOTES [-o OUTPUT] [--format FORMAT] [--skip-trash]\n";
constexpr std::string_view kHelp =
    "\n"
    "Exports every note of an Opera notes file (notes.adr) into one plain text file.\n"
    "\n"
    "  -o OUTPUT   write the export to OUTPUT, with \".txt\" appended unless it ends in it;\n"
    "              without -o, the export goes beside NOTES, with \".adr\" turned into \".txt\"\n"
    "  --format FORMAT\n"
    "              text      the plain text file above (the default)\n"
    "              json      one JSON document: {\"source\", \"exported\", \"notes\": [{\"text\",\n"
    "                        \"url\", \"created\", \"folder\", \"trash\", \"id\", "
    "\"uniqueid\"}]},\n"
    "                        in UTF-8, named as above with \".json\" for \".txt\"\n"
    "              markdown  a new folder (NOTES without \".adr\", or OUTPUT) of Markdown files,\n"
    "                        one per note, named after its first line, in subfolders named\n"
    "                        after its folders, the trash as \"Trash\"; each file dated when\n"
    "                        its note was made; an existing folder must be empty\n"
    "              enex      one ENEX file, as note programs import it, with \".enex\"\n"
    "  --skip-trash  leave out the notes in the trash\n"
    "  --help      show this help and exit\n"
    "  --version   show the version and exit\n"
    "\n"
    "The export is written in the character set of the locale, or in UTF-8 with a byte-order\n"
    "mark when that cannot hold every character. It replaces an earlier file only once it is\n"
    "complete, and never the notes file itself. The header carries the current date and time,\n"
    "or those of SOURCE_DATE_EPOCH when that is set.\n";

constexpr int kFailed = 1;
constexpr int kBadUsage = 2;

enum class Format { kText, kJson, kMarkdown, kEnex };

struct Arguments {
  std::filesystem::path notes;
  std::optional<std::filesystem::path> output;
  Format format = Format::kText;
  bool skipTrash = false;
};

template <typename Char>
std::optional<Format> FormatNamed(std::basic_string_view<Char> name);

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
    } else if (options && Is(arg, "--format") && i + 1 < argc &&
               FormatNamed(std::basic_string_view<Char>(argv[i + 1]))) {
      arguments.format = *FormatNamed(std::basic_string_view<Char>(argv[++i]));
    } else if (options && Is(arg, "--skip-trash")) {
      arguments.skipTrash = true;
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

template <typename Char>
std::optional<Format> FormatNamed(std::basic_string_view<Char> name) {
  if (Is(name, "text")) return Format::kText;
  if (Is(name, "json")) return Format::kJson;
  if (Is(name, "markdown")) return Format::kMarkdown;
  if (Is(name, "enex")) return Format::kEnex;
  return std::nullopt;
}

// A moment that the header cannot name; noticed only once the notes file is known to hold
// notes, so that a missing or empty notes file is what is reported first.
struct UnusableMoment {
  std::string_view message;
};

constexpr UnusableMoment kOutOfRange{"SOURCE_DATE_EPOCH is out of range"};

// SOURCE_DATE_EPOCH, when it is set.
std::optional<std::time_t> SourceDateEpoch() {
  const char* epoch = std::getenv("SOURCE_DATE_EPOCH");
  if (epoch == nullptr) return std::nullopt;
  const std::string_view text = epoch;
  std::time_t seconds{};
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), seconds);
  if (error == std::errc::result_out_of_range) throw kOutOfRange;
  if (text.empty() || error != std::errc{} || end != text.data() + text.size() || seconds < 0) {
    throw UnusableMoment{"SOURCE_DATE_EPOCH is not a whole number of seconds"};
  }
  return seconds;
}

// The moment the header names: SOURCE_DATE_EPOCH (in UTC, as reproducible builds have it), or
// the current local time.
DateTimeText HeaderDateTime() {
  const std::optional<std::time_t> epoch = SourceDateEpoch();
  if (!epoch) {
    if (auto now = FormatDateTime(std::time(nullptr), TimeZone::kLocal)) return *now;
    throw UnusableMoment{"the current time cannot be written as a date"};
  }
  if (auto moment = FormatDateTime(*epoch, TimeZone::kUtc)) return *moment;
  throw kOutOfRange;
}

// The export moment the structured formats name, always in UTC.
std::int64_t ExportMoment() {
  const std::time_t moment = SourceDateEpoch().value_or(std::time(nullptr));
  if (!IsoUtc(moment)) throw kOutOfRange;
  return moment;
}

// The structured formats, and the text export without the trash: made from the records, which
// the text conversion of ExportNotesFile does not read.
int RunFromRecords(const Arguments& arguments) {
  const std::u16string notesPath = PathToText(arguments.notes);
  FileBytes bytes;
  try {
    bytes = ReadWholeFile(arguments.notes, FileKinds::kAny);
  } catch (const FileError& error) {
    return Fail("cannot read " + Shown(error.Path()) + ": " + error.Reason());
  }
  if (bytes.View().empty()) {
    return Fail("cannot export " + Shown(arguments.notes) +
                ": the notes file is empty, so it holds no notes");
  }
  const NotesRecords records = ReadNotesRecords(bytes.View());
  const std::u16string output = arguments.output ? PathToText(*arguments.output) : u"";
  std::filesystem::path written;
  bool notesFound = false;
  try {
    switch (arguments.format) {
      case Format::kText: {
        const std::string kept = WithoutTrash(bytes.View(), records);
        const DateTimeText moment = HeaderDateTime();
        written = TextToPath(FinalExportPath(output, DefaultExportPath(notesPath)));
        WriteExportFile(written, NotesExport(kept, notesPath, moment.date, moment.time),
                        arguments.notes, SystemCodePage());
        notesFound = HoldsNotes(kept);
        break;
      }
      case Format::kJson:
      case Format::kEnex: {
        const bool json = arguments.format == Format::kJson;
        const std::u16string extension = json ? u".json" : u".enex";
        const std::int64_t moment = ExportMoment();
        written =
            TextToPath(FinalExportPath(output, DefaultExportPath(notesPath, extension), extension));
        WriteStructuredFile(
            written,
            json ? NotesJson(records, Shown(arguments.notes), moment, arguments.skipTrash)
                 : NotesEnex(records, moment, arguments.skipTrash),
            arguments.notes);
        break;
      }
      case Format::kMarkdown:
        written = TextToPath(FinalExportPath(output, DefaultExportPath(notesPath, u""), u""));
        WriteMarkdownFolder(written, NotesMarkdown(records, arguments.skipTrash));
        break;
    }
  } catch (const FileError& error) {
    return Fail("cannot write " + Shown(error.Path()) + ": " + error.Reason());
  }
  if (arguments.format != Format::kText) {
    notesFound =
        std::any_of(records.notes.begin(), records.notes.end(),
                    [&](const NoteRecord& note) { return !(arguments.skipTrash && note.trash); });
  }
  Print(stdout, std::string(arguments.format == Format::kMarkdown ? "Folder" : "File") +
                    " saved as " + Shown(written) + "\n");
  if (!notesFound) {
    Print(stderr, std::string(kProgram) + ": no notes found in " + Shown(arguments.notes) +
                      "; the export holds none\n");
  }
  return 0;
}

int Run(const Arguments& arguments) {
  if (arguments.format != Format::kText || arguments.skipTrash) {
    try {
      return RunFromRecords(arguments);
    } catch (const UnusableMoment& moment) {
      return Fail(moment.message);
    } catch (const std::bad_alloc&) {
      return Fail("cannot export " + Shown(arguments.notes) + ": out of memory");
    }
  }
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
