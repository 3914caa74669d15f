#include "tests/notes_export/oracle.h"

#include <vector>

namespace brackwater::oracle {
namespace {

constexpr std::size_t npos = std::u16string::npos;

// One note's block in the export.
std::u16string Block(std::u16string_view text, std::u16string_view address) {
  return std::u16string(text) + u"\r\nЛинк: " + std::u16string(address) + std::u16string(52, u'-') +
         u"\r\n";
}

// The address runs to the end of its line and keeps the CR of its line end; one that ends the
// text is read as if the text ended with CR LF.
std::u16string Address(std::u16string_view rest) {
  return std::u16string(rest.substr(0, rest.find(u"\r\n"))) + u"\r";
}

bool IsHigh(char16_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool IsLow(char16_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

// The notes of one record: each "NAME=" begins one. A record without any gives one note of
// empty text for its first "URL=", as if the name's marker stood right before it.
void ExtractRecord(std::u16string work, std::u16string& notes) {
  const std::size_t url = work.find(u"URL=");
  if (work.find(u"NAME=") == npos && url != npos) work = u"NAME=" + work.substr(url);
  for (std::size_t n; (n = work.find(u"NAME=")) != npos;) {
    work = work.substr(n + 5);
    const std::size_t u = work.find(u"URL=");
    if (u == npos) {
      // No address follows: the note is the rest of its line, line end included.
      const std::size_t c = work.find(u"\r\n");
      notes += Block(work.substr(0, c == npos ? c : c + 2), u"");
      work = c == npos ? u"" : work.substr(c + 2);
      continue;
    }
    // The one character before "URL=" is dropped: both halves of a surrogate pair.
    const bool pair = u >= 2 && IsHigh(work[u - 2]) && IsLow(work[u - 1]);
    notes += Block(work.substr(0, u == 0 ? 0 : u - (pair ? 2 : 1)), Address(work.substr(u + 4)));
    // The address stays: the next "NAME=" is searched from its first character.
    work = work.substr(u + 4);
  }
}

}  // namespace

std::u16string DecodeUtf8(std::string_view bytes) {
  std::u16string text;
  for (std::size_t i = 0; i < bytes.size();) {
    const unsigned lead = static_cast<unsigned char>(bytes[i++]);
    // How many bytes follow the lead byte (-1: it begins nothing), and the range of the first of
    // them; the later ones are 80..BF.
    int following = lead < 0xC2 || lead > 0xF4 ? -1 : 1 + (lead >= 0xE0) + (lead >= 0xF0);
    if (lead < 0x80) following = 0;
    const unsigned low = lead == 0xE0 ? 0xA0 : lead == 0xF0 ? 0x90 : 0x80;
    const unsigned high = lead == 0xED ? 0x9F : lead == 0xF4 ? 0x8F : 0xBF;
    char32_t code = following <= 0 ? lead : lead & (0x3F >> following);
    int k = 0;
    for (; k < following && i < bytes.size(); ++k, ++i) {
      const unsigned byte = static_cast<unsigned char>(bytes[i]);
      // A byte that does not fit ends the ill-formed sequence and is read anew.
      if (byte < (k == 0 ? low : 0x80) || byte > (k == 0 ? high : 0xBF)) break;
      code = code << 6 | (byte & 0x3F);
    }
    if (k != following) code = 0xFFFD;
    if (code >= 0x10000) {
      text += static_cast<char16_t>(0xD800 + ((code - 0x10000) >> 10));
      code = 0xDC00 + (code & 0x3FF);
    }
    text += static_cast<char16_t>(code);
  }
  return text;
}

std::u16string ExtractNotes(std::u16string_view workText) {
  // Every line end becomes CR LF (an LF after no CR, a CR before no LF), and the text is cut
  // before every line that begins with "#".
  std::vector<std::u16string> records(1);
  for (std::size_t i = 0; i < workText.size(); ++i) {
    const char16_t c = workText[i];
    const char16_t before = i > 0 ? workText[i - 1] : u'\0';
    const char16_t after = i + 1 < workText.size() ? workText[i + 1] : u'\0';
    if (c == u'#' && records.back().ends_with(u'\n')) records.emplace_back();
    if (c == u'\n' && before != u'\r') records.back() += u'\r';
    records.back() += c;
    if (c == u'\r' && after != u'\n') records.back() += u'\n';
  }
  std::u16string notes;
  for (const std::u16string& record : records) ExtractRecord(record, notes);
  // Each pair U+0002 U+0002 becomes CR LF, left to right, pairs not overlapping.
  std::u16string result;
  for (std::size_t i = 0; i < notes.size(); ++i) {
    const bool pair = notes[i] == u'\x02' && i + 1 < notes.size() && notes[i + 1] == u'\x02';
    result += pair ? u"\r\n" : notes.substr(i, 1);
    i += pair ? 1 : 0;
  }
  return result;
}

std::optional<std::u16string> ExportNotesText(std::string_view notesBytes,
                                              std::u16string_view inputPath,
                                              std::u16string_view dateText,
                                              std::u16string_view timeText) {
  if (notesBytes.empty()) return std::nullopt;
  const bool mark = notesBytes.size() >= 3 && notesBytes.substr(0, 3) == "\xEF\xBB\xBF";
  return u"Экспорт заметок из Опера (" + std::u16string(inputPath) + u"). Файл создан: " +
         std::u16string(dateText) + u" в " + std::u16string(timeText) + u"\r\n=====\r\n" +
         ExtractNotes(DecodeUtf8(notesBytes.substr(mark ? 3 : 0)));
}

}  // namespace brackwater::oracle
