#include "notes_export/structured_export.h"

#include <array>
#include <chrono>
#include <random>
#include <system_error>
#include <unordered_set>

#include "platform/system/files.h"
#include "platform/system/replacing_file.h"
#include "platform/system/text_codec.h"

namespace brackwater {
namespace {

struct Civil {
  std::int64_t year;
  int month, day, hour, minute, second;
};

// Days since 1970 to a proleptic Gregorian date (Howard Hinnant's days_from_civil, reversed),
// done here so that no system's time_t or calendar limits which notes get a date.
std::optional<Civil> CivilOf(std::int64_t seconds) {
  constexpr std::int64_t kDay = 86400;
  if (seconds < -62167219200 || seconds > 253402300799) return {};  // 0000-01-01 to 9999-12-31
  std::int64_t days = seconds / kDay, rest = seconds % kDay;
  if (rest < 0) rest += kDay, --days;
  days += 719468;
  const std::int64_t era = (days >= 0 ? days : days - 146096) / 146097;
  const std::int64_t dayOfEra = days - era * 146097;
  const std::int64_t yearOfEra =
      (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
  const std::int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
  const std::int64_t shifted = (5 * dayOfYear + 2) / 153;
  const int day = static_cast<int>(dayOfYear - (153 * shifted + 2) / 5 + 1);
  const int month = static_cast<int>(shifted < 10 ? shifted + 3 : shifted - 9);
  const std::int64_t year = yearOfEra + era * 400 + (month <= 2);
  return Civil{year,
               month,
               day,
               static_cast<int>(rest / 3600),
               static_cast<int>(rest / 60 % 60),
               static_cast<int>(rest % 60)};
}

void Digits(std::string& out, std::int64_t value, int width) {
  std::string digits = std::to_string(value);
  if (digits.size() < static_cast<std::size_t>(width)) out.append(width - digits.size(), '0');
  out += digits;
}

// ENEX writes its dates without separators: 20140127T161353Z.
std::optional<std::string> CompactUtc(std::int64_t seconds) {
  const auto civil = CivilOf(seconds);
  if (!civil) return {};
  std::string text;
  Digits(text, civil->year, 4);
  Digits(text, civil->month, 2);
  Digits(text, civil->day, 2);
  text += 'T';
  Digits(text, civil->hour, 2);
  Digits(text, civil->minute, 2);
  Digits(text, civil->second, 2);
  return text + 'Z';
}

// Calls `each` with every character of well-formed UTF-8, as its code point and its bytes.
template <typename Each>
void ForEachCharacter(std::string_view text, Each each) {
  while (!text.empty()) {
    const std::size_t length = Utf8CharacterLength(text);
    const auto lead = static_cast<unsigned char>(text[0]);
    char32_t code = length == 1 ? lead : lead & (0x7F >> length);
    for (std::size_t i = 1; i < length; ++i) code = code << 6 | (text[i] & 0x3F);
    each(code, text.substr(0, length));
    text.remove_prefix(length);
  }
}

void AppendJsonString(std::string& out, std::string_view text) {
  out += '"';
  for (const char c : text) {
    switch (c) {
      case '"':
        out += "\\\"";
        break;
      case '\\':
        out += "\\\\";
        break;
      case '\n':
        out += "\\n";
        break;
      case '\r':
        out += "\\r";
        break;
      case '\t':
        out += "\\t";
        break;
      default:
        if (static_cast<unsigned char>(c) < 0x20) {
          constexpr std::string_view kHex = "0123456789abcdef";
          out += "\\u00";
          out += kHex[c >> 4];
          out += kHex[c & 0xF];
        } else {
          out += c;
        }
    }
  }
  out += '"';
}

void AppendJsonOptional(std::string& out, const std::optional<std::string>& text) {
  if (text) {
    AppendJsonString(out, *text);
  } else {
    out += "null";
  }
}

bool XmlAllows(char32_t code) {
  return code == 0x9 || code == 0xA || code == 0xD || (code >= 0x20 && code < 0xD800) ||
         (code >= 0xE000 && code < 0xFFFE) || code >= 0x10000;
}

// Text as XML holds it: escaped, and without the characters XML has no place for.
void AppendXmlText(std::string& out, std::string_view text) {
  ForEachCharacter(text, [&out](char32_t code, std::string_view bytes) {
    if (code == '&')
      out += "&amp;";
    else if (code == '<')
      out += "&lt;";
    else if (code == '>')
      out += "&gt;";
    else if (code == '"')
      out += "&quot;";
    else if (XmlAllows(code))
      out += bytes;
  });
}

std::string_view FirstLine(std::string_view text) { return text.substr(0, text.find('\n')); }

std::string_view Trimmed(std::string_view text) {
  const std::size_t first = text.find_first_not_of(" \t");
  if (first == text.npos) return {};
  return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

std::string Lowered(std::string_view text) {
  std::string lowered(text);
  for (char& c : lowered) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return lowered;
}

// A name as Windows compares names, without regard to case: the capitals of the scripts notes
// are written in (Latin, Greek, Cyrillic) folded to small letters, rarer ones kept as they are.
std::u32string Folded(std::string_view text) {
  std::u32string folded;
  ForEachCharacter(text, [&folded](char32_t c, std::string_view) {
    if ((c >= U'A' && c <= U'Z') || (c >= 0xC0 && c <= 0xDE && c != 0xD7) ||
        (c >= 0x391 && c <= 0x3AB && c != 0x3A2) || (c >= 0x410 && c <= 0x42F)) {
      c += 0x20;
    } else if (c >= 0x400 && c <= 0x40F) {
      c += 0x50;
    } else if ((c >= 0x100 && c <= 0x137) || (c >= 0x14A && c <= 0x177)) {
      c |= 1;
    } else if (c >= 0x139 && c <= 0x148 && (c & 1) != 0) {
      c += 1;
    }
    folded += c;
  });
  return folded;
}

bool IsReservedWindowsName(std::string_view base) {
  const std::string name = Lowered(base);
  if (name == "con" || name == "prn" || name == "aux" || name == "nul") return true;
  return name.size() == 4 && (name.starts_with("com") || name.starts_with("lpt")) &&
         name[3] >= '1' && name[3] <= '9';
}

std::string CharactersAtMost(std::string_view text, std::size_t limit) {
  std::string kept;
  std::size_t count = 0;
  ForEachCharacter(text, [&](char32_t, std::string_view bytes) {
    if (count++ < limit) kept += bytes;
  });
  return kept;
}

template <typename Each>
void ForEachKept(const NotesRecords& records, bool skipTrash, Each each) {
  for (const NoteRecord& note : records.notes) {
    if (!(skipTrash && note.trash)) each(note);
  }
}

// The Markdown folders of the notes' folders: the trash as "Trash", the others by safe names,
// each made once.
class MarkdownFolders {
 public:
  explicit MarkdownFolders(const NotesRecords& records)
      : records_(records), paths_(records.folders.size()) {}

  const std::string& Of(std::size_t folder) {
    static const std::string kTop;
    if (folder == kTopLevel) return kTop;
    if (!paths_[folder]) {
      const NotesFolder& it = records_.folders[folder];
      const std::string& parent = Of(it.parent);
      paths_[folder] = (parent.empty() ? "" : parent + "/") +
                       (it.isTrashFolder ? std::string("Trash") : SafeFileName(it.name));
    }
    return *paths_[folder];
  }

 private:
  const NotesRecords& records_;
  std::vector<std::optional<std::string>> paths_;
};

// A Markdown link to the address, whatever characters it holds.
std::string MarkdownLink(std::string_view url) {
  std::string text, target;
  for (const char c : url) {
    if (std::string_view("\\[]*_`<>&").find(c) != std::string_view::npos) text += '\\';
    text += c;
    if (c == ' ')
      target += "%20";
    else if (c == '<')
      target += "%3C";
    else if (c == '>')
      target += "%3E";
    else
      target += c;
  }
  return "[" + text + "](<" + target + ">)";
}

}  // namespace

std::optional<std::string> IsoUtc(std::int64_t seconds) {
  const auto civil = CivilOf(seconds);
  if (!civil) return {};
  std::string text;
  Digits(text, civil->year, 4);
  text += '-';
  Digits(text, civil->month, 2);
  text += '-';
  Digits(text, civil->day, 2);
  text += 'T';
  Digits(text, civil->hour, 2);
  text += ':';
  Digits(text, civil->minute, 2);
  text += ':';
  Digits(text, civil->second, 2);
  return text + 'Z';
}

std::string NotesJson(const NotesRecords& records, std::string_view source, std::int64_t exported,
                      bool skipTrash) {
  std::string out = "{\n  \"source\": ";
  AppendJsonString(out, Utf16ToUtf8(Utf8ToUtf16(source)));
  out += ",\n  \"exported\": ";
  AppendJsonOptional(out, IsoUtc(exported));
  out += ",\n  \"notes\": [";
  const char* separator = "\n";
  ForEachKept(records, skipTrash, [&](const NoteRecord& note) {
    out += separator;
    separator = ",\n";
    out += "    {\"text\": ";
    AppendJsonString(out, note.text);
    out += ", \"url\": ";
    AppendJsonOptional(out, note.url);
    out += ", \"created\": ";
    AppendJsonOptional(out, note.created ? IsoUtc(*note.created) : std::nullopt);
    out += ", \"folder\": [";
    const char* comma = "";
    for (const std::string_view name : FolderPath(records, note.folder)) {
      out += comma;
      comma = ", ";
      AppendJsonString(out, name);
    }
    out += "], \"trash\": ";
    out += note.trash ? "true" : "false";
    out += ", \"id\": ";
    AppendJsonOptional(out, note.id);
    out += ", \"uniqueid\": ";
    AppendJsonOptional(out, note.uniqueId);
    out += "}";
  });
  out += separator[0] == ',' ? "\n  ]\n}\n" : "]\n}\n";
  return out;
}

std::string NotesEnex(const NotesRecords& records, std::int64_t exported, bool skipTrash) {
  std::string out =
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
      "<!DOCTYPE en-export SYSTEM \"http://xml.evernote.com/pub/evernote-export3.dtd\">\n"
      "<en-export";
  if (const auto date = CompactUtc(exported)) out += " export-date=\"" + *date + "\"";
  out += " application=\"Brackwater\">\n";
  ForEachKept(records, skipTrash, [&](const NoteRecord& note) {
    out += "  <note>\n    <title>";
    const std::string_view title = Trimmed(FirstLine(note.text));
    AppendXmlText(out, title.empty() ? "Untitled" : title);
    out +=
        "</title>\n    <content><![CDATA[<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        "<!DOCTYPE en-note SYSTEM \"http://xml.evernote.com/pub/enml2.dtd\">\n<en-note>";
    // Paragraphs end at an empty line; the other line breaks stay breaks inside them. Escaping
    // leaves no ">" in the content, so no "]]>" can end the section early.
    std::string_view rest = note.text;
    while (!rest.empty()) {
      const std::size_t end = rest.find("\n\n");
      std::string_view paragraph = rest.substr(0, end);
      rest = end == rest.npos ? std::string_view() : rest.substr(end + 2);
      out += "<div>";
      for (std::size_t line; (line = paragraph.find('\n')) != paragraph.npos;
           paragraph.remove_prefix(line + 1)) {
        AppendXmlText(out, paragraph.substr(0, line));
        out += "<br/>";
      }
      AppendXmlText(out, paragraph);
      out += "</div>";
    }
    out += "</en-note>]]></content>\n";
    if (const auto created = note.created ? CompactUtc(*note.created) : std::nullopt) {
      out += "    <created>" + *created + "</created>\n";
    }
    if (note.folder != kTopLevel) {
      std::string tag;
      for (const std::string_view name : FolderPath(records, note.folder)) {
        tag += tag.empty() ? "" : "/";
        tag += name;
      }
      out += "    <tag>";
      AppendXmlText(out, tag);
      out += "</tag>\n";
    }
    if (note.url) {
      out += "    <note-attributes><source-url>";
      AppendXmlText(out, *note.url);
      out += "</source-url></note-attributes>\n";
    }
    out += "  </note>\n";
  });
  return out + "</en-export>\n";
}

std::string SafeFileName(std::string_view text, std::size_t limit) {
  std::string safe;
  ForEachCharacter(text, [&safe](char32_t code, std::string_view bytes) {
    const bool refused = code < 0x20 || code == 0x7F ||
                         std::u32string_view(U"/\\:*?\"<>|").find(code) != std::u32string::npos;
    if (refused) {
      safe += '_';
    } else {
      safe += bytes;
    }
  });
  safe = CharactersAtMost(
      safe.substr(safe.find_first_not_of(' ') == safe.npos ? safe.size()
                                                           : safe.find_first_not_of(' ')),
      limit);
  // Windows drops trailing dots and spaces, so "a." and "a" would be one file there.
  while (!safe.empty() && (safe.back() == '.' || safe.back() == ' ')) safe.pop_back();
  if (safe.empty()) return "Untitled";
  const std::size_t dot = safe.find('.');
  const std::string_view base = std::string_view(safe).substr(0, dot);
  if (IsReservedWindowsName(Trimmed(base))) safe.insert(base.size(), "_");
  return safe;
}

std::vector<MarkdownFile> NotesMarkdown(const NotesRecords& records, bool skipTrash) {
  std::vector<MarkdownFile> files;
  MarkdownFolders folders(records);
  std::unordered_set<std::u32string> taken;
  ForEachKept(records, skipTrash, [&](const NoteRecord& note) {
    const std::string& folder = folders.Of(note.folder);
    const std::string prefix = folder.empty() ? "" : folder + "/";
    std::string name = SafeFileName(FirstLine(note.text));
    for (int number = 2; !taken.insert(Folded(prefix + name)).second; ++number) {
      const std::string suffix = " " + std::to_string(number);
      name = SafeFileName(FirstLine(note.text), 80 - suffix.size()) + suffix;
    }
    MarkdownFile file{prefix + name + ".md", "---\ncreated: ", note.created};
    std::string& out = file.bytes;
    AppendJsonOptional(out, note.created ? IsoUtc(*note.created) : std::nullopt);
    out += "\nsource: ";
    AppendJsonOptional(out, note.url);
    out += "\nid: ";
    AppendJsonOptional(out, note.id);
    out += "\n---\n";
    if (!note.text.empty()) out += "\n" + note.text + "\n";
    if (note.url) out += "\n" + MarkdownLink(*note.url) + "\n";
    files.push_back(std::move(file));
  });
  return files;
}

void WriteStructuredFile(const std::filesystem::path& path, std::string_view bytes,
                         const std::filesystem::path& notesFile) {
  if (SameFile(path, notesFile)) {
    throw FileError(path, "it is the notes file being exported, which must stay as it is");
  }
  ReplacingFile file(path);
  file.Write(bytes);
  file.Commit();
}

void WriteMarkdownFolder(const std::filesystem::path& target,
                         const std::vector<MarkdownFile>& files) {
  const std::filesystem::path folder = target.has_filename() ? target : target.parent_path();
  std::error_code error;
  const auto status = std::filesystem::status(folder, error);
  if (std::filesystem::exists(status)) {
    if (!std::filesystem::is_directory(status)) throw FileError(target, "it is not a folder");
    if (!std::filesystem::is_empty(folder, error) || error) {
      throw FileError(target, "it is a folder that is not empty");
    }
  }
  // Built under a hidden name beside the target, on the same file system, so that one rename
  // puts it all in place.
  std::filesystem::path building;
  std::random_device random;
  for (int attempt = 0; attempt < 100 && building.empty(); ++attempt) {
    std::filesystem::path candidate = folder;
    candidate.replace_filename(TextToPath(u"." + PathToText(folder.filename()) + u".part-" +
                                          Utf8ToUtf16(std::to_string(random() % 1000000))));
    if (std::filesystem::create_directory(candidate, error)) building = candidate;
    if (error) throw FileError(target, error.message());
  }
  if (building.empty()) throw FileError(target, "no free name beside it to build the folder in");
  try {
    for (const MarkdownFile& file : files) {
      const std::filesystem::path path = building / TextToPath(Utf8ToUtf16(file.path));
      std::filesystem::create_directories(path.parent_path());
      ReplacingFile written(path);
      written.Write(file.bytes);
      written.Commit();
      if (file.created) {
        using namespace std::chrono;
        std::filesystem::last_write_time(path,
                                         file_clock::from_sys(sys_seconds(seconds(*file.created))));
      }
    }
    if (std::filesystem::exists(status)) std::filesystem::remove(folder);
    std::filesystem::rename(building, folder);
  } catch (...) {
    std::filesystem::remove_all(building, error);
    try {
      throw;
    } catch (const std::filesystem::filesystem_error& failure) {
      throw FileError(target, failure.code().message());
    }
  }
}

}  // namespace brackwater
