#include "tests/notes_export/oracle.h"

#include <cstddef>
#include <vector>

namespace brackwater::oracle {
namespace {

constexpr std::u16string_view kCrLf = u"\r\n";
constexpr std::u16string_view kLinkLabel = u"Линк: ";
constexpr char16_t kReplacement = u'\uFFFD';

// Text helpers with 1-based positions. Each one is the plainest loop that does the job, so that
// none of them can hide a fault of its own.

// The position of the first occurrence of `what` in `text`, or 0 when there is none.
std::size_t InStr(std::u16string_view text, std::u16string_view what) {
  for (std::size_t start = 1; start + what.size() <= text.size() + 1; ++start) {
    bool match = true;
    for (std::size_t k = 0; k < what.size(); ++k) {
      if (text[start - 1 + k] != what[k]) {
        match = false;
        break;
      }
    }
    if (match) return start;
  }
  return 0;
}

// The characters from position `from` to the end; empty when `from` is past the end.
std::u16string Mid(std::u16string_view text, std::size_t from) {
  std::u16string result;
  for (std::size_t position = from; position <= text.size(); ++position) {
    result += text[position - 1];
  }
  return result;
}

// The first `count` characters.
std::u16string Left(std::u16string_view text, std::size_t count) {
  std::u16string result;
  for (std::size_t position = 1; position <= count && position <= text.size(); ++position) {
    result += text[position - 1];
  }
  return result;
}

bool IsHigh(char16_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool IsLow(char16_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

void AppendCodePoint(char32_t codePoint, std::u16string& text) {
  if (codePoint < 0x10000) {
    text += static_cast<char16_t>(codePoint);
    return;
  }
  const char32_t offset = codePoint - 0x10000;
  text += static_cast<char16_t>(0xD800 + (offset >> 10));
  text += static_cast<char16_t>(0xDC00 + (offset & 0x3FF));
}

// Every line end becomes CR LF: an LF that does not follow a CR, and a CR that no LF follows.
std::u16string LineEndsAsCrLf(std::u16string_view text) {
  std::u16string result;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == u'\n' && (i == 0 || text[i - 1] != u'\r')) result += u'\r';
    result += text[i];
    if (text[i] == u'\r' && (i + 1 == text.size() || text[i + 1] != u'\n')) result += u'\n';
  }
  return result;
}

// Cuts the text before every line that begins with "#". Lines end with CR LF.
std::vector<std::u16string> CutIntoPieces(std::u16string_view text) {
  std::vector<std::u16string> pieces(1);
  for (std::size_t i = 0; i < text.size(); ++i) {
    const bool lineStart = i >= 2 && text[i - 2] == u'\r' && text[i - 1] == u'\n';
    if (lineStart && text[i] == u'#') pieces.emplace_back();
    pieces.back() += text[i];
  }
  return pieces;
}

// The address with the CR of its line end: the first c characters, c being the position of
// CR LF. An address that ends the text without a line end is read as if the text ended with
// CR LF.
std::u16string AddressSlice(std::u16string_view workText) {
  const std::size_t c = InStr(workText, kCrLf);
  if (c == 0) return std::u16string(workText) + u"\r";
  return Left(workText, c);
}

// One note's block in the export.
std::u16string NoteBlock(std::u16string_view noteText, std::u16string_view addressSlice) {
  std::u16string block(noteText);
  block += kCrLf;
  block += kLinkLabel;
  block += addressSlice;
  block += std::u16string(52, u'-');
  block += kCrLf;
  return block;
}

// A note's text: the first u - 2 characters, the one at position u - 1, just before "URL=", being
// dropped. It is a whole character: a low surrogate after a high one takes the high one with it.
std::u16string TextBeforeUrl(std::u16string_view workText, std::size_t u) {
  if (u <= 1) return u"";
  if (u >= 3 && IsHigh(workText[u - 3]) && IsLow(workText[u - 2])) return Left(workText, u - 3);
  return Left(workText, u - 2);
}

// The notes of one piece, a record of the file: each "NAME=" begins one; without any, the first
// "URL=" makes a note with empty text.
void ExtractPiece(std::u16string workText, std::u16string& notesPart) {
  if (InStr(workText, u"NAME=") == 0) {
    const std::size_t u = InStr(workText, u"URL=");
    if (u != 0) notesPart += NoteBlock(u"", AddressSlice(Mid(workText, u + 4)));
    return;
  }
  while (InStr(workText, u"NAME=") != 0) {
    const std::size_t n = InStr(workText, u"NAME=");
    workText = Mid(workText, n + 5);
    const std::size_t u = InStr(workText, u"URL=");
    if (u == 0) {
      // No address follows: the note is the rest of its line, line end included.
      const std::size_t c = InStr(workText, kCrLf);
      const std::u16string noteText = c == 0 ? workText : Left(workText, c + 1);
      workText = c == 0 ? u"" : Mid(workText, c + 2);
      notesPart += NoteBlock(noteText, u"");
      continue;
    }
    const std::u16string noteText = TextBeforeUrl(workText, u);
    workText = Mid(workText, u + 4);
    // workText keeps the address: the next "NAME=" is searched from its first character.
    notesPart += NoteBlock(noteText, AddressSlice(workText));
  }
}

// After extraction, each pair U+0002 U+0002 becomes CR LF, left to right, pairs not overlapping.
std::u16string ReplaceLineBreakPairs(std::u16string_view text) {
  std::u16string result;
  std::size_t position = 1;
  while (position <= text.size()) {
    if (text[position - 1] == u'\x02' && position < text.size() && text[position] == u'\x02') {
      result += kCrLf;
      position += 2;
    } else {
      result += text[position - 1];
      position += 1;
    }
  }
  return result;
}

}  // namespace

std::u16string DecodeUtf8(std::string_view bytes) {
  std::u16string text;
  std::size_t i = 0;
  while (i < bytes.size()) {
    const unsigned lead = static_cast<unsigned char>(bytes[i]);
    if (lead <= 0x7F) {
      text += static_cast<char16_t>(lead);
      ++i;
      continue;
    }
    // The number of bytes that follow the lead byte, and the range allowed for the first of
    // them (the later ones are always 80..BF).
    int following = 0;
    unsigned low = 0x80;
    unsigned high = 0xBF;
    char32_t codePoint = 0;
    if (lead >= 0xC2 && lead <= 0xDF) {
      following = 1;
      codePoint = lead & 0x1F;
    } else if (lead == 0xE0) {
      following = 2;
      low = 0xA0;
      codePoint = lead & 0x0F;
    } else if ((lead >= 0xE1 && lead <= 0xEC) || lead == 0xEE || lead == 0xEF) {
      following = 2;
      codePoint = lead & 0x0F;
    } else if (lead == 0xED) {
      following = 2;
      high = 0x9F;
      codePoint = lead & 0x0F;
    } else if (lead == 0xF0) {
      following = 3;
      low = 0x90;
      codePoint = lead & 0x07;
    } else if (lead >= 0xF1 && lead <= 0xF3) {
      following = 3;
      codePoint = lead & 0x07;
    } else if (lead == 0xF4) {
      following = 3;
      high = 0x8F;
      codePoint = lead & 0x07;
    } else {
      // 80..C1 and F5..FF never begin a character.
      text += kReplacement;
      ++i;
      continue;
    }
    ++i;
    bool complete = true;
    for (int k = 0; k < following; ++k) {
      if (i == bytes.size()) {
        complete = false;
        break;
      }
      const unsigned byte = static_cast<unsigned char>(bytes[i]);
      if (byte < low || byte > high) {
        // The byte that does not fit is not part of the ill-formed sequence: it is read anew.
        complete = false;
        break;
      }
      codePoint = (codePoint << 6) | (byte & 0x3F);
      low = 0x80;
      high = 0xBF;
      ++i;
    }
    if (complete) {
      AppendCodePoint(codePoint, text);
    } else {
      text += kReplacement;
    }
  }
  return text;
}

std::u16string ExtractNotes(std::u16string_view workText) {
  std::u16string notesPart;
  for (const std::u16string& piece : CutIntoPieces(LineEndsAsCrLf(workText))) {
    ExtractPiece(piece, notesPart);
  }
  return ReplaceLineBreakPairs(notesPart);
}

std::optional<std::u16string> ExportNotesText(std::string_view notesBytes,
                                              std::u16string_view inputPath,
                                              std::u16string_view dateText,
                                              std::u16string_view timeText) {
  if (notesBytes.empty()) return std::nullopt;
  std::size_t decodingStart = 0;
  if (notesBytes.size() >= 3 && notesBytes[0] == '\xEF' && notesBytes[1] == '\xBB' &&
      notesBytes[2] == '\xBF') {
    decodingStart = 3;
  }
  std::u16string exportText = u"Экспорт заметок из Опера (";
  exportText += inputPath;
  exportText += u"). Файл создан: ";
  exportText += dateText;
  exportText += u" в ";
  exportText += timeText;
  exportText += kCrLf;
  exportText += u"=====";
  exportText += kCrLf;
  exportText += ExtractNotes(DecodeUtf8(notesBytes.substr(decodingStart)));
  return exportText;
}

}  // namespace brackwater::oracle
