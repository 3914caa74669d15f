// The conversion in every format: whole notes files against the bytes their exports must hold,
// the rules those files do not show, and many random texts against the step-by-step conversion
// (the oracle).

#include "notes_export/notes_conversion.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <random>
#include <string>
#include <vector>

#include "notes_export/export_paths.h"
#include "notes_export/structured_export.h"
#include "platform/system/files.h"
#include "platform/system/text_codec.h"
#include "tests/notes_export/oracle.h"
#include "tests/notes_export/streamed.h"
#include "tests/support/temp_dir.h"

namespace brackwater {
namespace {

std::string Data(const std::string& name) {
  return testing::ReadBytes(std::string(BRACKWATER_TEST_DATA) + "/" + name);
}

std::u16string Block(std::u16string_view name, std::u16string_view address) {
  return std::u16string(name) + u"\r\nЛинк: " + std::u16string(address) + std::u16string(52, u'-') +
         u"\r\n";
}

TEST(ExportNotesText, RulesTheGoldenFilesDoNotShow) {
  const struct {
    const char* what;
    std::string_view bytes;
    std::u16string notes;
  } cases[] = {
      {"a lone CR inside LF lines", "NAME=a\rb\n\tURL=c\rd\n", Block(u"a\r\nb\r\n", u"c\r")},
      {"three U+0002 before the address", "NAME=a\x02\x02\x02URL=u\r\n", Block(u"a\r\n", u"u\r")},
      {"an address right after the name's marker", "NAME=URL=b\r\n", Block(u"", u"b\r")},
      {"an empty address at the end", "NAME=a\r\n\tURL=", Block(u"a\r\n", u"\r")},
      {"a # not at a line start", "NAME=a #NOTE\n\tURL=b\n", Block(u"a #NOTE\r\n", u"b\r")},
      {"names after an address", "#NOTE\n\tURL=http://x/\n\tNAME=after\n\tNAME=again",
       Block(u"after\r\n", u"") + Block(u"again", u"")},
      {"a byte-order mark inside the text", "NAME=\xEF\xBB\xBF\r\n\tURL=b\r\n",
       Block(u"\xFEFF\r\n", u"b\r")},
      {"a file of two bytes", "\xEF\xBB", u""},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ExportNotesText(c.bytes, u"C:\\notes.adr", u"06.12.2026", u"20:05:04"),
              u"Экспорт заметок из Опера (C:\\notes.adr). Файл создан: 06.12.2026 в "
              u"20:05:04\r\n=====\r\n" +
                  c.notes)
        << c.what;
  }
}

TEST(OracleComparisonTest, ExportOfRandomFilesMatches) {
  // Markers, line ends, record starts, line-break characters, characters of one to four bytes,
  // and UTF-8 that is cut short or never valid.
  const std::string_view tokens[] = {
      "NAME=",    "URL=", "\r",       "\n",   "\r\n",     "\x02",     "\x02\x02", "#",   "\n#",
      "\t",       "a",    "Ж",        "中",   "😀",        "=",        "N",        "U",   "URL",
      "\xE2\x82", "\xFF", "\xF0\x9F", "\xED", "\xA0\x80", "\xE0\x80", "\xF4\x90", "\xC1"};
  constexpr std::size_t kPieceSizes[] = {1, 2, 3, 5, 8, 13, 64, kExportPieceSize};
  // A plain remainder, not a standard distribution, keeps the inputs the same everywhere.
  std::mt19937 random(20240611);
  for (int i = 0; i < 3000; ++i) {
    // A byte-order mark, the start of one only, or neither, and up to 30 tokens.
    constexpr const char* kStarts[] = {"\xEF\xBB\xBF", "\xEF\xBB", "", ""};
    std::string file = kStarts[random() % 4];
    for (auto n = random() % 31; n > 0; --n) file += tokens[random() % std::size(tokens)];
    const auto expected = oracle::ExportNotesText(file, kNotesPath, u"d", u"t");
    ASSERT_EQ(ExportNotesText(file, kNotesPath, u"d", u"t"), expected)
        << ::testing::PrintToString(file);
    const std::size_t pieceSize = kPieceSizes[i % std::size(kPieceSizes)];
    ASSERT_TRUE(StreamsAs(file, pieceSize, expected.value_or(u"")))
        << "pieces of " << pieceSize << ": " << ::testing::PrintToString(file);
    // The same as decoded text, with a half of a surrogate pair put in at random.
    std::u16string text = oracle::DecodeUtf8(file);
    text.insert(random() % (text.size() + 1), 1, static_cast<char16_t>(0xD800 + random() % 0x800));
    ASSERT_EQ(ExtractNotes(text), oracle::ExtractNotes(text)) << ::testing::PrintToString(text);
  }
}

TEST(ExportPaths, EveryAdrBecomesTxtAndTheFinalPathEndsInTxt) {
  EXPECT_EQ(DefaultExportPath(u"/me/old.adr/notes.adr.ADR"), u"/me/old.txt/notes.txt.ADR");
  EXPECT_EQ(FinalExportPath(std::u16string(u"D:\\out\0", 7), u"C:\\notes.txt"), u"D:\\out.txt");
  EXPECT_EQ(FinalExportPath(u"D:\\OUT.TXT", u"C:\\notes.txt"), u"D:\\OUT.TXT.txt");
}

constexpr std::int64_t kExported = 1700000000;

// The Markdown folder as one text: each file's path and modification time, then its bytes.
std::string Listing(const std::vector<MarkdownFile>& files) {
  std::string listing;
  for (const MarkdownFile& file : files) {
    listing += "=== " + file.path + " @ " +
               (file.created ? IsoUtc(*file.created).value_or("?") : "now") + "\n" + file.bytes;
  }
  return listing;
}

// The text export of each notes file, as its file holds it when the code page is UTF-8, and the
// notes file made for the other formats in each, with every record and without the trash, which
// the text export cuts out of the notes file's bytes.
TEST(GoldenFileTest, WritesTheExpectedFileBytes) {
  std::vector<std::pair<std::string, std::string>> made;
  for (const std::string name :
       {"crlf_records", "lf_records", "cr_records", "folders_and_strays", "malformed"}) {
    const std::string adr = name + ".adr";
    const auto text = ExportNotesText(Data(adr), Utf8ToUtf16(adr), u"01/02/70", u"03:04:05");
    made.emplace_back(name + ".txt", Utf16ToUtf8(text.value() + u"\r\n"));
  }
  const std::string notes = Data("structured.adr");
  const NotesRecords records = ReadNotesRecords(notes);
  for (const bool skip : {false, true}) {
    const std::string name = skip ? "structured-without-trash." : "structured.";
    made.emplace_back(name + "json", NotesJson(records, "structured.adr", kExported, skip));
    made.emplace_back(name + "enex", NotesEnex(records, kExported, skip));
    made.emplace_back(name + "md.txt", Listing(NotesMarkdown(records, skip)));
    const std::string kept = skip ? WithoutTrash(notes, records) : notes;
    made.emplace_back(name + "txt",
                      Utf16ToUtf8(*ExportNotesText(kept, u"structured.adr", u"d", u"t")));
  }
  for (const auto& [file, bytes] : made) EXPECT_EQ(bytes, Data(file)) << file;
}

// The JSON string at the start of `in`, unescaped, after a quote mark that tells it from a
// literal. The export escapes only ASCII with "\u".
std::string String(std::string_view& in) {
  std::string out = "\"";
  for (in.remove_prefix(1); in[0] != '"'; in.remove_prefix(1)) {
    if (in[0] != '\\') {
      out += in[0];
    } else if (in.remove_prefix(1); in[0] == 'u') {
      out += static_cast<char>(std::stoi(std::string(in.substr(1, 4)), nullptr, 16));
      in.remove_prefix(4);
    } else {
      out += std::string_view("\"\\/\b\f\n\r\t").at(std::string_view("\"\\/bfnrt").find(in[0]));
    }
  }
  in.remove_prefix(1);
  return out;
}

// The strings and literals of a JSON text, in their order.
std::vector<std::string> Values(std::string_view in) {
  std::vector<std::string> values;
  while (!(in = in.substr(std::min(in.find_first_not_of(" \n,:[]{}"), in.size()))).empty()) {
    values.push_back(in[0] == '"' ? String(in)
                                  : std::string(in.substr(0, in.find_first_of(",]}"))));
    if (values.back()[0] != '"') in.remove_prefix(values.back().size());
  }
  return values;
}

// Every string read back is the field it came from, and each key and literal stands where it
// belongs.
TEST(StructuredExport, JsonReadsBackAsTheRecords) {
  const NotesRecords records = ReadNotesRecords(Data("structured.adr"));
  std::vector<std::string> expected = {"\"source", "\"structured.adr", "\"exported",
                                       "\"2023-11-14T22:13:20Z", "\"notes"};
  auto add = [&expected](std::string key, const std::optional<std::string>& value) {
    expected.push_back('"' + key);
    expected.push_back(value ? '"' + *value : "null");
  };
  for (const NoteRecord& note : records.notes) {
    add("text", note.text);
    add("url", note.url);
    add("created", note.created ? IsoUtc(*note.created) : std::nullopt);
    expected.push_back("\"folder");
    for (const std::string_view name : FolderPath(records, note.folder)) {
      expected.push_back('"' + std::string(name));
    }
    expected.push_back("\"trash");
    expected.push_back(note.trash ? "true" : "false");
    add("id", note.id);
    add("uniqueid", note.uniqueId);
  }
  EXPECT_EQ(Values(NotesJson(records, "structured.adr", kExported, false)), expected);
}

// Built beside the target and put in place whole, each file dated by its note; never into a
// folder that holds something.
TEST(StructuredExport, MarkdownFolderAppearsWhole) {
  testing::TempDir dir;
  const std::vector<MarkdownFile> files = {{"a.md", "A", 1390839233}, {"F/b.md", "B", {}}};
  WriteMarkdownFolder(dir / "out", files);
  EXPECT_EQ(testing::ReadBytes(dir / "out" / "F" / "b.md"), "B");
  EXPECT_EQ(std::chrono::file_clock::to_sys(std::filesystem::last_write_time(dir / "out" / "a.md")),
            std::chrono::sys_seconds(std::chrono::seconds(1390839233)));
  EXPECT_THROW(WriteMarkdownFolder(dir / "out", files), FileError);
  EXPECT_EQ(dir.Names(), std::vector<std::string>{"out"});
}

}  // namespace
}  // namespace brackwater
