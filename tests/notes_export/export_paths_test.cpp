#include "notes_export/export_paths.h"

#include <gtest/gtest.h>

namespace brackwater {
namespace {

TEST(DefaultExportPath, TurnsEveryAdrIntoTxt) {
  EXPECT_EQ(DefaultExportPath(u"C:\\Opera\\notes.adr"), u"C:\\Opera\\notes.txt");
  EXPECT_EQ(DefaultExportPath(u"/home/me/old.adr/notes.adr"), u"/home/me/old.txt/notes.txt");
  EXPECT_EQ(DefaultExportPath(u"notes.adr.adr"), u"notes.txt.txt");
  // Case matters, and a file without ".adr" keeps its name.
  EXPECT_EQ(DefaultExportPath(u"NOTES.ADR"), u"NOTES.ADR");
  EXPECT_EQ(DefaultExportPath(u"notes"), u"notes");
}

TEST(FinalExportPath, TakesTheChoiceOrTheDefaultAndEndsInTxt) {
  const std::u16string defaultPath = u"C:\\Opera\\notes.txt";
  EXPECT_EQ(FinalExportPath(u"", defaultPath), defaultPath);
  EXPECT_EQ(FinalExportPath(std::u16string(u"D:\\out.txt\0", 11), defaultPath), u"D:\\out.txt");
  EXPECT_EQ(FinalExportPath(u"D:\\out", defaultPath), u"D:\\out.txt");
  EXPECT_EQ(FinalExportPath(u"D:\\OUT.TXT", defaultPath), u"D:\\OUT.TXT.txt");
  EXPECT_EQ(FinalExportPath(u"txt", defaultPath), u"txt.txt");
  EXPECT_EQ(FinalExportPath(u"", u"notes"), u"notes.txt");
}

}  // namespace
}  // namespace brackwater
