#include "notes_export/export_file.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstddef>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <new>
#include <thread>

#include "platform/system/code_page.h"
#include "platform/system/files.h"
#include "platform/system/text_codec.h"
#include "tests/notes_export/oracle.h"
#include "tests/support/temp_dir.h"

#ifndef _WIN32
#include <sys/stat.h>
#endif

namespace {

// The bytes that this program holds through operator new, and the most it has held since the
// count was last reset: the memory a conversion takes, without timing anything. The notes
// file's own bytes are held apart, through malloc, just their size.
std::atomic<std::size_t> heldBytes{0};
std::atomic<std::size_t> mostHeldBytes{0};
constexpr std::size_t kCountSize = alignof(std::max_align_t);

}  // namespace

void* operator new(std::size_t size) {
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
  char* const block = static_cast<char*>(data) - kCountSize;
  heldBytes.fetch_sub(*reinterpret_cast<std::size_t*>(block));
  std::free(block);
}

void operator delete(void* data, std::size_t) noexcept { operator delete(data); }

namespace brackwater {
namespace {

using testing::ReadBytes;
using testing::WriteBytes;

std::string Repeated(std::string_view text, std::size_t times) {
  std::string repeated;
  while (times-- > 0) repeated += text;
  return repeated;
}

// The export file's bytes for `notes`, as the step-by-step conversion makes them.
std::string ExpectedExport(std::string_view notes, const std::filesystem::path& notesFile,
                           const std::string& codePage = "UTF-8") {
  const std::u16string text =
      oracle::ExportNotesText(notes, PathToText(notesFile), u"d", u"t").value() + u"\r\n";
  std::string bytes;
  EXPECT_TRUE(CodePageEncoder(codePage).Append(text, bytes));
  return bytes;
}

// Every way an export of a notes file ends, in the kinds of result that the window and the
// converter each word. An export is made from what was read, though the file is emptied
// meanwhile, in memory of the file's size and at most this much more, and the moment and the
// output are asked for, in this order, only when the file holds something to export.
constexpr std::size_t kExportMemory = std::size_t{12} << 20;

TEST(ExportNotesFile, HostileNotesFilesExportWhatWasReadInBoundedMemory) {
  testing::TempDir dir;
  struct Case {
    const char* what;
    std::function<std::filesystem::path()> arrange;  // makes the notes file
    std::string expected;  // the export's bytes, or the reason given (empty: any)
    ExportFailure failure = ExportFailure::kNone;
    const char* output = "out.txt";  // the choice in the notes file's folder, or none
    std::string codePage = "UTF-8";
    FileKinds kinds = FileKinds::kRegularOnly;
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
  // One note of 16 MB, with every kind of line end, U+0002 alone and in pairs, malformed bytes.
  const std::string huge =
      "#NOTE\r\n\tNAME=" +
      Repeated("Заметка 中文 😀 a\x02\x02 b \x02 c\rd\ne\r\nf \xFF\xE2\x82 g ", 16 << 14) +
      "\r\n\tURL=http://a/\r\n";
  // The same in the letters of one code page.
  const std::string cyrillic =
      "#NOTE\r\n\tNAME=" + Repeated("Привет мир a\x02\x02 b\rc\nd ", 16 << 15) +
      "\r\n\tURL=http://a/\r\n";
  const std::string wide = "#NOTE\n\tNAME=Заметка\x02\x02中\n";
#ifdef _WIN32
  // Symbolic links there need an administrator; another spelling reaches the same file.
  const char* const otherName = "OWN.txt";
#else
  const char* const otherName = "link.txt";
  std::filesystem::create_symlink("own.txt", dir / otherName);
#endif
  std::thread writer;
  std::vector<Case> cases = {
      {"lone CR line ends", file("cr.adr", cr), ExpectedExport(crlf, dir / "cr.adr")},
      {"one huge note", file("huge.adr", huge), ExpectedExport(huge, dir / "huge.adr")},
      {"one huge note in a code page", file("cyrillic.adr", cyrillic),
       ExpectedExport(cyrillic, dir / "cyrillic.adr", "CP1251"), ExportFailure::kNone, "out.txt",
       "CP1251"},
      {"characters the code page cannot hold, in UTF-8 after a mark", file("wide.adr", wide),
       "\xEF\xBB\xBF" + ExpectedExport(wide, dir / "wide.adr"), ExportFailure::kNone, "out.txt",
       "CP1251"},
      {"no notes file", [&] { return dir / "missing.adr"; }, "", ExportFailure::kCannotRead},
      {"an empty notes file", file("empty.adr", ""), "", ExportFailure::kNoNotes},
      {"an output that cannot be written", file("notes.adr", crlf), "", ExportFailure::kCannotWrite,
       "no/out.txt"},
      // Without ".adr", the notes file is its own default output.
      {"the notes file as its own output", file("own.txt", crlf), "the notes file being exported",
       ExportFailure::kCannotWrite, nullptr},
      {"the notes file by another name", file("own.txt", crlf), "the notes file being exported",
       ExportFailure::kCannotWrite, otherName},
  };
#ifndef _WIN32
  const std::filesystem::path fifo = dir / "fifo.adr";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  // Without a writer, opening it to read would wait for good.
  cases.push_back({"a pipe, for the window", [&] { return fifo; }, std::string(kNotRegularFile),
                   ExportFailure::kCannotRead});
  auto fed = [&] {
    writer = std::thread([&] { std::ofstream(fifo, std::ios::binary) << crlf; });
    return fifo;
  };
  cases.push_back({"a pipe, for the converter", fed, ExpectedExport(crlf, fifo),
                   ExportFailure::kNone, "out.txt", "UTF-8", FileKinds::kAny});
#endif
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const std::filesystem::path notes = c.arrange();
    std::string asked;
    auto moment = [&] {
      asked += 'm';
      std::error_code ignored;
      std::filesystem::resize_file(dir.Path() / notes.filename(), 0, ignored);
      return DateTimeText{u"d", u"t"};
    };
    auto output = [&](const std::u16string&) {
      asked += 'o';
      return c.output ? PathToText(dir / c.output) : u"";
    };
    const std::size_t before = heldBytes;
    mostHeldBytes = before;
    const ExportResult result =
        ExportNotesFile(PathToText(notes), c.kinds, c.codePage, {moment, output});
    EXPECT_LE(mostHeldBytes - before, kExportMemory);
    if (writer.joinable()) writer.join();
    EXPECT_EQ(result.failure, c.failure);
    EXPECT_EQ(asked, c.failure == ExportFailure::kCannotRead || c.failure == ExportFailure::kNoNotes
                         ? ""
                         : "mo");
    if (c.failure == ExportFailure::kNone) {
      EXPECT_EQ(result.exportPath, PathToText(dir / "out.txt"));
      EXPECT_TRUE(ReadBytes(dir / "out.txt") == c.expected);
      continue;
    }
    EXPECT_EQ(result.file,
              c.failure == ExportFailure::kCannotWrite && c.output ? dir / c.output : notes);
    EXPECT_EQ(result.reason.empty(), c.failure == ExportFailure::kNoNotes);
    EXPECT_NE(result.reason.find(c.expected), std::string::npos) << result.reason;
  }
}

}  // namespace
}  // namespace brackwater
