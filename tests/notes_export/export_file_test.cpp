#include "notes_export/export_file.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstddef>
#include <cstdlib>
#include <functional>
#include <new>
#include <thread>

#include "platform/system/code_page.h"
#include "platform/system/files.h"
#include "platform/system/text_codec.h"
#include "tests/notes_export/oracle.h"
#include "tests/support/temp_dir.h"

#ifndef _WIN32
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace brackwater {
namespace {

// The bytes that this program holds through operator new, and the most it has held since the
// count was last reset: the memory a conversion takes, without timing anything. The notes
// file's own bytes are held apart, through malloc, just their size.
std::atomic<std::size_t> heldBytes{0};
std::atomic<std::size_t> mostHeldBytes{0};
constexpr std::size_t kCountSize = alignof(std::max_align_t);

}  // namespace
}  // namespace brackwater

void* operator new(std::size_t size) {
  using namespace brackwater;
  auto* block = static_cast<char*>(std::malloc(size + kCountSize));
  if (block == nullptr) throw std::bad_alloc();
  *reinterpret_cast<std::size_t*>(block) = size;
  const std::size_t held = heldBytes.fetch_add(size) + size;
  for (std::size_t most = mostHeldBytes.load();
       held > most && !mostHeldBytes.compare_exchange_weak(most, held);) {
  }
  return block + kCountSize;
}

void operator delete(void* data) noexcept {
  if (data == nullptr) return;
  char* const block = static_cast<char*>(data) - brackwater::kCountSize;
  brackwater::heldBytes.fetch_sub(*reinterpret_cast<std::size_t*>(block));
  std::free(block);
}

void operator delete(void* data, std::size_t) noexcept { operator delete(data); }

namespace brackwater {
namespace {

using testing::ReadBytes;
using testing::TempDir;
using testing::WriteBytes;

// The code page's own bytes are checked with the hostile notes files below.
TEST(WriteExportFile, FallsBackToUtf8WithAMarkRatherThanLoseCharacters) {
  TempDir dir;
  const std::string wide = "#NOTE\n\tNAME=Заметка\x02\x02中\n";
  WriteExportFile(dir / "out.txt", NotesExport(wide, u"notes.adr", u"d", u"t"), dir / "notes.adr",
                  "CP1251");
  EXPECT_EQ(
      ReadBytes(dir / "out.txt"),
      "\xEF\xBB\xBF" + Utf16ToUtf8(*ExportNotesText(wide, u"notes.adr", u"d", u"t") + u"\r\n"));
}

TEST(WriteExportFile, NeverReplacesTheNotesFile) {
  TempDir dir;
  WriteBytes(dir / "notes.txt", "NAME=a\r\nURL=b\r\n");
#ifdef _WIN32
  // Symbolic links there need an administrator; another spelling of the name is the way to
  // the same file that everyone has.
  for (const char* name : {"notes.txt", "NOTES.TXT"}) {
#else
  std::filesystem::create_symlink("notes.txt", dir / "link.txt");
  for (const char* name : {"notes.txt", "link.txt"}) {
#endif
    try {
      WriteExportFile(dir / name, NotesExport("NAME=a", u"n", u"d", u"t"), dir / "notes.txt",
                      "UTF-8");
      FAIL() << "wrote over the notes file as " << name;
    } catch (const FileError& error) {
      EXPECT_EQ(error.Path(), dir / name);
      EXPECT_NE(error.Reason().find("notes file"), std::string::npos);
    }
  }
  EXPECT_EQ(ReadBytes(dir / "notes.txt"), "NAME=a\r\nURL=b\r\n");
}

TEST(WriteExportFile, AFailureLeavesTheEarlierExport) {
  TempDir dir;
  WriteBytes(dir / "out.txt", "earlier export");
  // Fails after a first piece has been written.
  class Failing final : public ExportSource {
   public:
    void Produce(const ExportSink& sink) const override {
      sink(u"the first part");
      throw FileError("notes.adr", "Input/output error");
    }
    void ProduceUtf8(const Utf8Sink& sink) const override {
      sink("the first part");
      throw FileError("notes.adr", "Input/output error");
    }
  };
  for (const char* codePage : {"UTF-8", "CP1251"}) {
    EXPECT_THROW(WriteExportFile(dir / "out.txt", Failing(), dir / "notes.adr", codePage),
                 FileError);
  }
  EXPECT_EQ(ReadBytes(dir / "out.txt"), "earlier export");
  EXPECT_EQ(dir.Names(), std::vector<std::string>{"out.txt"});
}

TEST(ExportNotesFile, AsksForTheMomentAndOutputOnlyForNotesItCanExport) {
  TempDir dir;
  const std::string notes = "#NOTE\r\n\tNAME=a\r\n\tURL=b\r\n";
  WriteBytes(dir / "notes.adr", notes);
  WriteBytes(dir / "own.txt", notes);
  WriteBytes(dir / "empty.adr", "");
  std::vector<std::u16string> asked;
  auto exportFrom = [&](const char* name, const std::u16string& output) {
    asked.clear();
    auto moment = [&] {
      asked.push_back(u"moment");
      return DateTimeText{u"d", u"t"};
    };
    auto choose = [&](const std::u16string& defaultPath) {
      asked.push_back(defaultPath);
      return output;
    };
    return ExportNotesFile(PathToText(dir / name), FileKinds::kRegularOnly, "UTF-8",
                           {moment, choose});
  };
  const struct {
    const char* notesFile;
    std::u16string output;
    ExportFailure failure;
    std::filesystem::path file;
    std::size_t questions;
  } cases[] = {
      {"missing.adr", u"", ExportFailure::kCannotRead, dir / "missing.adr", 0},
      {"empty.adr", u"", ExportFailure::kNoNotes, dir / "empty.adr", 0},
      {"notes.adr", PathToText(dir / "no" / "out"), ExportFailure::kCannotWrite,
       dir / "no" / "out.txt", 2},
      // Without ".adr", the notes file is its own default output.
      {"own.txt", u"", ExportFailure::kCannotWrite, dir / "own.txt", 2},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.notesFile);
    const ExportResult result = exportFrom(c.notesFile, c.output);
    EXPECT_EQ(result.failure, c.failure);
    EXPECT_EQ(result.file, c.file);
    EXPECT_EQ(result.reason.empty(), c.failure == ExportFailure::kNoNotes);
    EXPECT_EQ(asked.size(), c.questions);
  }
  const ExportResult saved = exportFrom("notes.adr", u"");
  EXPECT_EQ(saved.failure, ExportFailure::kNone);
  EXPECT_EQ(saved.exportPath, PathToText(dir / "notes.txt"));
  EXPECT_EQ(asked, (std::vector<std::u16string>{u"moment", PathToText(dir / "notes.txt")}));
  EXPECT_EQ(
      ReadBytes(dir / "notes.txt"),
      Utf16ToUtf8(*ExportNotesText(notes, PathToText(dir / "notes.adr"), u"d", u"t") + u"\r\n"));
  EXPECT_EQ(ReadBytes(dir / "own.txt"), notes);
  EXPECT_EQ(dir.Names(),
            (std::vector<std::string>{"empty.adr", "notes.adr", "notes.txt", "own.txt"}));
}

// What an export costs does not grow with the notes file, whatever it holds: the file is read
// whole (its size), the export made and written in pieces (this much at most).
constexpr std::size_t kExportMemory = std::size_t{12} << 20;

std::string Repeated(std::string_view text, std::size_t times) {
  std::string repeated;
  repeated.reserve(text.size() * times);
  for (std::size_t i = 0; i < times; ++i) repeated += text;
  return repeated;
}

// The export file's bytes for `notes`, as the step-by-step conversion makes them.
std::string ExpectedExport(std::string_view notes, const std::filesystem::path& notesFile,
                           const std::string& codePage = "UTF-8") {
  const std::u16string text =
      oracle::ExportNotesText(notes, PathToText(notesFile), u"d", u"t").value() + u"\r\n";
  if (IsUtf8CodePage(codePage)) return Utf16ToUtf8(text);
  std::string bytes;
  EXPECT_TRUE(CodePageEncoder(codePage).Append(text, bytes));
  return bytes;
}

TEST(ExportNotesFile, HostileNotesFilesExportWhatWasReadInBoundedMemory) {
  TempDir dir;
  struct Case {
    const char* what;
    std::function<std::filesystem::path()> arrange;  // makes the notes file
    std::string expected;  // the export file, or the reason the notes file was refused
    FileKinds kinds = FileKinds::kAny;
    std::string codePage = "UTF-8";
    std::function<void()> meanwhile = [] {};  // once the notes file is read, before the export
  };
  auto file = [&dir](const char* name, std::string bytes) {
    return [&dir, name, bytes] {
      WriteBytes(dir / name, bytes);
      return dir / name;
    };
  };
  const std::string crlf =
      "#NOTE\r\n\tNAME=Привет\x02\x02мир\r\n\tURL=http://a/\r\n\r\n#FOLDER\r\n\tNAME=F\r\n"
      "#NOTE\r\n\tNAME=no address\r\n\r\n#NOTE\r\n\tURL=http://only/\r\n";
  std::string cr = crlf;
  std::erase(cr, '\n');
  // Each address runs to the end of the line, so that the export is the square of the line.
  const std::string pairs = Repeated("NAME=n URL=http://x/", 1400) + "\r\n";
  // One note of 16 MB, with every kind of line end, pairs of U+0002 and malformed bytes.
  const std::string huge = "#NOTE\r\n\tNAME=" +
                           Repeated(
                               "Заметка 中文 😀 a\x02\x02"
                               "b \x02"
                               "c\rd\ne\r\nf \xFF\xE2\x82 g ",
                               16 << 14) +
                           "\r\n\tURL=http://a/\r\n";
  // The same in the letters of one code page.
  const std::string cyrillic = "#NOTE\r\n\tNAME=" +
                               Repeated(
                                   "Привет мир a\x02\x02"
                                   "b\rc\nd ",
                                   16 << 15) +
                               "\r\n\tURL=http://a/\r\n";
  const std::string shortened = Repeated(crlf, 1000);
  std::thread writer;
  std::vector<Case> cases = {
      {"lone CR line ends", file("cr.adr", cr), ExpectedExport(crlf, dir / "cr.adr")},
      {"one line of many names and addresses", file("pairs.adr", pairs),
       ExpectedExport(pairs, dir / "pairs.adr")},
      {"one huge note", file("huge.adr", huge), ExpectedExport(huge, dir / "huge.adr")},
      {"one huge note in a code page", file("cyrillic.adr", cyrillic),
       ExpectedExport(cyrillic, dir / "cyrillic.adr", "CP1251"), FileKinds::kAny, "CP1251"},
      // The export is made from what was read, not from the file as it is now.
      {"a notes file cut short during the export", file("shortened.adr", shortened),
       ExpectedExport(shortened, dir / "shortened.adr"), FileKinds::kRegularOnly, "UTF-8",
       [&] { std::filesystem::resize_file(dir / "shortened.adr", 0); }},
  };
#ifndef _WIN32
  // Reads to its end, not to its size, which says 4096.
  const std::filesystem::path sys = "/sys/devices/system/cpu/online";
  if (std::filesystem::exists(sys)) {
    cases.push_back({"a file that holds less than its size says", [&] { return sys; },
                     ExpectedExport(ReadBytes(sys), sys), FileKinds::kRegularOnly});
  }
  const std::filesystem::path fifo = dir / "fifo.adr";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  cases.push_back({"a pipe, for the converter",
                   [&] {
                     writer = std::thread([&] {
                       const int fd = ::open(fifo.c_str(), O_WRONLY);
                       for (std::string_view rest = shortened; fd >= 0 && !rest.empty();) {
                         const ssize_t put = ::write(fd, rest.data(), rest.size());
                         if (put <= 0) break;
                         rest.remove_prefix(static_cast<std::size_t>(put));
                       }
                       ::close(fd);
                     });
                     return fifo;
                   },
                   ExpectedExport(shortened, fifo)});
  // Without a writer, opening it to read would wait for good.
  cases.push_back({"a pipe, for the window", [&] { return fifo; }, std::string(kNotRegularFile),
                   FileKinds::kRegularOnly});
#endif
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const std::filesystem::path notes = c.arrange();
    auto moment = [&c] {
      c.meanwhile();
      return DateTimeText{u"d", u"t"};
    };
    auto output = [&dir](const std::u16string&) { return PathToText(dir / "out"); };
    const std::size_t before = heldBytes;
    mostHeldBytes = before;
    const ExportResult result =
        ExportNotesFile(PathToText(notes), c.kinds, c.codePage, {moment, output});
    EXPECT_LE(mostHeldBytes - before, kExportMemory);
    if (writer.joinable()) writer.join();
    if (result.failure == ExportFailure::kNone) {
      EXPECT_TRUE(ReadBytes(dir / "out.txt") == c.expected);
    } else {
      EXPECT_EQ(result.reason, c.expected);
    }
  }
}

}  // namespace
}  // namespace brackwater
