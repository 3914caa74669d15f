// The structured exports of one notes file made for them, each against the bytes it must give,
// and the JSON read back against the records it came from.

#include "notes_export/structured_export.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "notes_export/notes_conversion.h"
#include "notes_export/notes_records.h"
#include "platform/system/files.h"
#include "tests/support/temp_dir.h"

namespace brackwater {
namespace {

constexpr std::int64_t kExported = 1700000000;

std::string ReadData(const std::string& name) {
  std::ifstream file(std::string(BRACKWATER_TEST_DATA) + "/" + name, std::ios::binary);
  EXPECT_TRUE(file) << "cannot open " << name;
  return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

// The Markdown folder as one text: each file's path and modification time, then its bytes.
std::string Listing(const std::vector<MarkdownFile>& files) {
  std::string listing;
  for (const MarkdownFile& file : files) {
    listing += "=== " + file.path + " @ " +
               (file.created ? IsoUtc(*file.created).value_or("?") : "now") + "\n" + file.bytes;
  }
  return listing;
}

struct Format {
  const char* name;
  const char* expected;
  std::string (*make)(const NotesRecords&, bool skipTrash);
};

void PrintTo(const Format& format, std::ostream* out) { *out << format.name; }

const Format kFormats[] = {
    {"json", "structured.json",
     [](const NotesRecords& r, bool skip) {
       return NotesJson(r, "structured.adr", kExported, skip);
     }},
    {"enex", "structured.enex",
     [](const NotesRecords& r, bool skip) { return NotesEnex(r, kExported, skip); }},
    {"markdown", "structured.md.txt",
     [](const NotesRecords& r, bool skip) { return Listing(NotesMarkdown(r, skip)); }},
};

class StructuredFormats : public ::testing::TestWithParam<Format> {};

TEST_P(StructuredFormats, GivesTheExpectedBytes) {
  const NotesRecords records = ReadNotesRecords(ReadData("structured.adr"));
  const Format& format = GetParam();
  EXPECT_EQ(format.make(records, false), ReadData(format.expected));
  const std::string withoutTrash = format.make(records, true);
  for (const std::string_view trashed : {"Deleted", "Deep in the trash"}) {
    EXPECT_EQ(withoutTrash.find(trashed), std::string::npos) << trashed;
  }
  EXPECT_NE(withoutTrash.find("Same title"), std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(Formats, StructuredFormats, ::testing::ValuesIn(kFormats),
                         [](const auto& row) { return std::string(row.param.name); });

// Just enough JSON to read the export back: strings with their escapes, arrays, objects,
// literals. Numbers never occur in it.
struct Json {
  std::variant<std::nullptr_t, bool, std::string, std::vector<Json>, std::map<std::string, Json>>
      value;
  bool operator==(const Json&) const = default;
  const Json& operator[](const std::string& key) const {
    return std::get<std::map<std::string, Json>>(value).at(key);
  }
};

Json Parse(std::string_view& in) {
  auto skip = [&in] { in.remove_prefix(std::min(in.find_first_not_of(" \n"), in.size())); };
  auto string = [&in] {
    std::string out;
    for (in.remove_prefix(1); in.front() != '"'; in.remove_prefix(1)) {
      if (in.front() != '\\') {
        out += in.front();
        continue;
      }
      in.remove_prefix(1);
      const char c = in.front();
      if (c == 'u') {
        out += static_cast<char>(std::stoi(std::string(in.substr(1, 4)), nullptr, 16));
        in.remove_prefix(4);
      } else {
        out += c == 'n' ? '\n' : c == 't' ? '\t' : c == 'r' ? '\r' : c;
      }
    }
    in.remove_prefix(1);
    return out;
  };
  skip();
  Json json;
  if (in.front() == '"') {
    json.value = string();
  } else if (in.front() == '[' || in.front() == '{') {
    const char close = in.front() == '[' ? ']' : '}';
    std::vector<Json> items;
    std::map<std::string, Json> members;
    for (in.remove_prefix(1), skip(); in.front() != close; skip()) {
      if (in.front() == ',') in.remove_prefix(1), skip();
      if (close == ']') {
        items.push_back(Parse(in));
        continue;
      }
      const std::string key = string();
      skip();
      in.remove_prefix(1);  // the colon
      members[key] = Parse(in);
    }
    in.remove_prefix(1);
    if (close == ']')
      json.value = items;
    else
      json.value = members;
  } else {
    for (const auto& [word, value] : {std::pair<std::string_view, Json>{"null", {nullptr}},
                                      {"true", {true}},
                                      {"false", {false}}}) {
      if (in.starts_with(word)) json = value, in.remove_prefix(word.size());
    }
  }
  return json;
}

Json Optional(const std::optional<std::string>& text) { return text ? Json{*text} : Json{nullptr}; }

TEST(StructuredExport, JsonReadsBackAsTheRecords) {
  const NotesRecords records = ReadNotesRecords(ReadData("structured.adr"));
  const std::string text = NotesJson(records, "structured.adr", kExported, false);
  std::string_view in = text;
  const Json document = Parse(in);
  EXPECT_EQ(in, "\n");
  EXPECT_EQ(std::get<std::string>(document["exported"].value), "2023-11-14T22:13:20Z");
  const auto& notes = std::get<std::vector<Json>>(document["notes"].value);
  ASSERT_EQ(notes.size(), records.notes.size());
  for (std::size_t i = 0; i < notes.size(); ++i) {
    const NoteRecord& note = records.notes[i];
    std::vector<Json> folder;
    for (const std::string_view name : FolderPath(records, note.folder)) {
      folder.push_back({std::string(name)});
    }
    const std::map<std::string, Json> expected = {
        {"text", {note.text}},
        {"url", Optional(note.url)},
        {"created", Optional(note.created ? IsoUtc(*note.created) : std::nullopt)},
        {"folder", {folder}},
        {"trash", {note.trash}},
        {"id", Optional(note.id)},
        {"uniqueid", Optional(note.uniqueId)},
    };
    EXPECT_TRUE(notes[i] == Json{expected}) << i;
  }
}

// The same records whatever the line ends, with a byte-order mark or not, and every fault the
// text conversion tolerates in one file.
TEST(NotesRecords, ReadsTheShapesTheConversionTolerates) {
  const std::string lf =
      "Opera Hotlist version 2.0\n-\n#FOLDER\n\tNAME=F\xC3\n#NOTE\n\tNAME=a\x02\x02\x02"
      "b\n"
      "\tCREATED=12x\n#NOTE\n\tURL=u\n-\n-\n#WHATEVER\n\tNAME=skipped\n#NOTE\n\tNAME=c";
  for (const std::string_view end : {"\r\n", "\r"}) {
    std::string other = "\xEF\xBB\xBF" + lf;
    for (std::size_t at = 0; (at = other.find('\n', at)) != other.npos; at += end.size()) {
      other.replace(at, 1, end);
    }
    const NotesRecords a = ReadNotesRecords(lf), b = ReadNotesRecords(other);
    ASSERT_EQ(b.notes.size(), a.notes.size());
    for (std::size_t i = 0; i < a.notes.size(); ++i) EXPECT_EQ(b.notes[i].text, a.notes[i].text);
  }
  const NotesRecords records = ReadNotesRecords(lf);
  EXPECT_EQ(records.header, std::vector<std::string>{"Opera Hotlist version 2.0"});
  ASSERT_EQ(records.folders.size(), 1u);
  EXPECT_EQ(records.folders[0].name, "F\uFFFD");
  ASSERT_EQ(records.notes.size(), 3u);
  EXPECT_EQ(records.notes[0].text,
            "a\n\x02"
            "b");
  EXPECT_EQ(records.notes[0].created, std::nullopt);
  EXPECT_EQ(records.notes[1].folder, 0u);
  EXPECT_EQ(records.notes[1].url, "u");
  EXPECT_EQ(records.notes[2].folder, kTopLevel);
}

TEST(StructuredExport, SafeFileNames) {
  EXPECT_EQ(SafeFileName("a/b\\c:d*e?f\"g<h>i|j\x01. ."), "a_b_c_d_e_f_g_h_i_j_");
  EXPECT_EQ(SafeFileName(" ..."), "Untitled");
  EXPECT_EQ(SafeFileName("com1.txt"), "com1_.txt");
  EXPECT_EQ(SafeFileName("Aux"), "Aux_");
  EXPECT_EQ(SafeFileName(std::string(30, 'x') + "Жизнь🎉", 32), std::string(30, 'x') + "Жи");
  // Windows takes names that differ only in case for one name, in every script notes use.
  const auto files = NotesMarkdown(ReadNotesRecords("#NOTE\n\tNAME=Ёж\n#NOTE\n\tNAME=ёЖ\n"), false);
  ASSERT_EQ(files.size(), 2u);
  EXPECT_EQ(files[1].path, "ёЖ 2.md");
}

// The trash left out of the text export is cut before the conversion, at the records it cuts.
TEST(StructuredExport, TextWithoutTrash) {
  const std::string bytes = ReadData("structured.adr");
  const std::string kept = WithoutTrash(bytes, ReadNotesRecords(bytes));
  const std::u16string all = *ExportNotesText(bytes, u"n", u"d", u"t");
  const std::u16string text = *ExportNotesText(kept, u"n", u"d", u"t");
  EXPECT_NE(all.find(u"Deleted"), std::u16string::npos);
  EXPECT_EQ(text.find(u"Deleted"), std::u16string::npos);
  EXPECT_EQ(text.find(u"Trash"), std::u16string::npos);
  EXPECT_EQ(all.substr(0, all.find(u"Trash")), text.substr(0, all.find(u"Trash")));
}

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
