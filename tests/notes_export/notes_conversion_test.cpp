// The conversion rules that the golden files do not show; the rest is checked against the
// step-by-step conversion and the golden files.

#include "notes_export/notes_conversion.h"

#include <gtest/gtest.h>

#include <string>

namespace brackwater {
namespace {

const std::u16string kHeader =
    u"Экспорт заметок из Опера (C:\\Opera\\notes.adr). Файл создан: "
    u"06.12.2026 в 20:05:04\r\n=====\r\n";

std::u16string Block(std::u16string_view name, std::u16string_view address) {
  return std::u16string(name) + u"\r\nЛинк: " + std::u16string(address) + std::u16string(52, u'-') +
         u"\r\n";
}

TEST(ExportNotesText, RulesTheGoldenFilesDoNotShow) {
  EXPECT_EQ(ExportNotesText("", u"notes.adr", u"d", u"t"), std::nullopt);
  const struct {
    const char* what;
    std::string_view bytes;
    std::u16string notes;
  } cases[] = {
      {"a lone CR inside LF lines", "NAME=a\rb\n\tURL=c\rd\n", Block(u"a\r\nb\r\n", u"c\r")},
      {"three U+0002 before the address", "NAME=a\x02\x02\x02URL=u\r\n", Block(u"a\r\n", u"u\r")},
      {"two U+0002 before the address", "NAME=a\x02\x02URL=u\r\n", Block(u"a\x02", u"u\r")},
      {"an address right after the name's marker", "NAME=URL=b\r\n", Block(u"", u"b\r")},
      {"an empty address at the end", "NAME=a\r\n\tURL=", Block(u"a\r\n", u"\r")},
      {"a # not at a line start", "NAME=a #NOTE\n\tURL=b\n", Block(u"a #NOTE\r\n", u"b\r")},
      {"names after an address", "#NOTE\n\tURL=http://x/\n\tNAME=after\n\tNAME=again",
       Block(u"after\r\n", u"") + Block(u"again", u"")},
      {"a byte-order mark inside the text",
       "NAME=\xEF\xBB\xBF"
       "a\r\n\tURL=b\r\n",
       Block(u"\xFEFF"
             u"a\r\n",
             u"b\r")},
      {"a file of two bytes", "\xEF\xBB", u""},
      {"a malformed sequence cut by a line end", "NAME=a\xE2\r\n\tURL=b\xF0\x9F\r\n",
       Block(u"a\xFFFD\r\n", u"b\xFFFD\r")},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ExportNotesText(c.bytes, u"C:\\Opera\\notes.adr", u"06.12.2026", u"20:05:04"),
              kHeader + c.notes)
        << c.what;
  }
}

}  // namespace
}  // namespace brackwater
