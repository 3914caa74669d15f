// brackwater-export run as a user runs it, from a command line, in a folder of its own.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <tuple>

#include "platform/system/code_page.h"
#include "platform/system/text_codec.h"
#include "tests/support/temp_dir.h"

#ifndef _WIN32
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace brackwater {
namespace {

const std::string kFolder = std::filesystem::absolute(BRACKWATER_EXPORT).parent_path().string();

// Runs a command line that names the program, in the C locale, with SOURCE_DATE_EPOCH=97445 and
// a zone 5:30 behind UTC (on POSIX: after the environment entries that the line begins with);
// gives the status, stdout and stderr.
std::tuple<int, std::string, std::string> Spawn(const std::string& line,
                                                const std::filesystem::path& folder) {
  const testing::TempDir streams;
  const std::string out = (streams / "out").string(), err = (streams / "err").string();
#ifdef _WIN32
  // Through the command interpreter, which hands the program its arguments in UTF-16.
  const std::u16string command =
      Utf8ToUtf16("cd /d " + folder.string() + "&& set PATH=" + kFolder +
                  ";%PATH%&& set SOURCE_DATE_EPOCH=97445&& " + line + " >" + out + " 2>" + err);
  const int status = _wsystem(std::wstring(command.begin(), command.end()).c_str());
#else
  // Through the shell, where what the line redirects itself comes last and wins.
  // The shell's own status: the program's, or 128 and the signal that ended it.
  const int status = WEXITSTATUS(std::system(
      ("cd " + folder.string() + " && >" + out + " 2>" + err + " env -i PATH=" + kFolder +
       " LC_ALL=C SOURCE_DATE_EPOCH=97445 TZ=XYZ+5:30 " + line)
          .c_str()));
#endif
  return {status, testing::ReadBytes(out), testing::ReadBytes(err)};
}

// A name given in UTF-8, which Windows would read in its ANSI code page.
std::filesystem::path Name(const std::string& name) {
  return std::u8string(name.begin(), name.end());
}

// Whatever goes wrong is told in one line on stderr, and the status says so; told on stderr
// after a success, it is a warning. The output is named after the notes file or as asked.
TEST(ExportCommand, EachCommandLineGivesItsStatusMessagesAndFiles) {
  const testing::TempDir dir;
  auto check = [&](const std::string& line, int status, const std::string& out,
                   const std::string& err = "", const std::string& written = "",
                   const std::string& contents = "") {
    SCOPED_TRACE(line);
    auto [gotStatus, gotOut, gotErr] = Spawn(line, dir.Path());
    // Text streams of the Windows C runtime end their lines in CR LF.
    for (std::string* text : {&gotOut, &gotErr}) std::erase(*text, '\r');
    EXPECT_EQ(gotStatus, status);
    EXPECT_TRUE(gotOut.starts_with(out) && gotOut.empty() == out.empty()) << gotOut;
    // The system's reason may follow.
    EXPECT_TRUE(gotErr.starts_with(err) && gotErr.find('\n') + 1 == gotErr.size()) << gotErr;
    EXPECT_TRUE(written.empty() || std::filesystem::exists(dir.Path() / Name(written)));
    EXPECT_TRUE(contents.empty() || testing::ReadBytes(dir.Path() / Name(written)) == contents);
  };
  for (const char* name : {"crlf_records.adr", "structured.adr"}) {
    std::filesystem::copy_file(std::string(BRACKWATER_TEST_DATA "/") + name, dir / name);
  }
  for (const char* name : {"notes.adr", "Привет中.adr", "-n.adr", "kept.txt"}) {
    testing::WriteBytes(dir.Path() / Name(name), "NAME=a\r\n\tURL=b\r\n");
  }
  testing::WriteBytes(dir / "empty.adr", "");
  testing::WriteBytes(dir / "header.adr", "Opera Hotlist version 2.0\r\n");
  const std::string me = "brackwater-export: ";
  const std::string usage =
      "usage: brackwater-export NOTES [-o OUTPUT] [--format FORMAT] [--skip-trash]\n";
  check("brackwater-export notes.adr -o out.TXT", 0, "File saved as out.TXT.txt\n", "",
        "out.TXT.txt");
  // On Windows, a name that the ANSI code page cannot hold.
  check("brackwater-export Привет中.adr", 0, "File saved as Привет中.txt\n", "", "Привет中.txt");
  // After "--", a name that looks like an option is a file.
  check("brackwater-export -- -n.adr", 0, "File saved as -n.txt\n", "", "-n.txt");
  check("brackwater-export --help", 0, usage);
  check("brackwater-export structured.adr --format json", 0, "File saved as structured.json\n", "",
        "structured.json");
  check("brackwater-export structured.adr --skip-trash --format markdown", 0,
        "Folder saved as structured\n", "", "structured/Top note.md");
  check("brackwater-export structured.adr --format markdown", 1, "",
        me + "cannot write structured: it is a folder that is not empty\n");
  check("brackwater-export missing.adr", 1, "", me + "cannot read missing.adr: ");
  check("brackwater-export notes.adr -o nowhere/out", 1, "", me + "cannot write nowhere/out.txt: ");
  check("brackwater-export header.adr", 0, "File saved as header.txt\n",
        me + "no notes found in header.adr; the export holds only its header\n");
  for (const char* args : {"", " a.adr b.adr", " --frobnicate a.adr", " a.adr -o",
                           " a.adr -o x -o y", " a.adr --format pdf"}) {
    check(std::string("brackwater-export") + args, 2, "", usage);
  }
#ifndef _WIN32
  check("SOURCE_DATE_EPOCH=1700000000 brackwater-export structured.adr --format enex -o s.enex", 0,
        "File saved as s.enex\n", "", "s.enex",
        testing::ReadBytes(BRACKWATER_TEST_DATA "/structured.enex"));
  // Before the moment is looked at.
  check("SOURCE_DATE_EPOCH=soon brackwater-export empty.adr", 1, "",
        me + "cannot export empty.adr: the notes file is empty, so it holds no notes\n");
  check("SOURCE_DATE_EPOCH=soon brackwater-export notes.adr", 1, "",
        me + "SOURCE_DATE_EPOCH is not a whole number of seconds\n");
  check("SOURCE_DATE_EPOCH=99999999999999999 brackwater-export notes.adr", 1, "",
        me + "SOURCE_DATE_EPOCH is out of range\n");
  // The moment of SOURCE_DATE_EPOCH in UTC, whatever the zone; the date and the text in the
  // locale's own forms and character set; names that are not UTF-8; a failed read.
  check("brackwater-export crlf_records.adr", 0, "File saved as crlf_records.txt\n", "",
        "crlf_records.txt", testing::ReadBytes(BRACKWATER_TEST_DATA "/crlf_records.txt"));
  std::string russian;
  CodePageEncoder("CP1251").Append(
      u"Экспорт заметок из Опера (notes.adr). Файл создан: 02.01.1970 "
      u"в 03:04:05\r\n=====\r\na\r\n\r\nЛинк: b\r" +
          std::u16string(52, u'-') + u"\r\n\r\n",
      russian);
  // Without the package locales, the build could not make the locale.
  if (std::filesystem::exists(BRACKWATER_TEST_LOCALES "/ru_RU.CP1251")) {
    check("LC_ALL=ru_RU.CP1251 LOCPATH=" BRACKWATER_TEST_LOCALES
          " brackwater-export notes.adr -o ru",
          0, "File saved as ru.txt\n", "", "ru.txt", russian);
  }
  testing::WriteBytes(dir / "n\xFF.adr", "NAME=a\r\n\tURL=b\r\n");
  check("brackwater-export n\xFF.adr", 0, "File saved as n\xFF.txt\n", "", "n\xFF.txt");
  check("brackwater-export /proc/self/mem", 1, "",
        me + "cannot read /proc/self/mem: Input/output error\n");
  // Pipes whose reader is gone (descriptor 9), a full device, and endless input under a memory
  // limit, which leaves an earlier file at the output as it was.
  int ends[2] = {-1, -1};
  ASSERT_EQ(::pipe(ends), 0);
  ::dup2(ends[1], 9);
  ::close(ends[0]);
  ::close(ends[1]);
  check("brackwater-export notes.adr >&9", 1, "",
        me + "cannot write to standard output: Broken pipe\n");
  check("brackwater-export header.adr 2>&9", 1, "File saved as header.txt\n");
  check("brackwater-export --version >/dev/full", 1, "",
        me + "cannot write to standard output: No space left on device\n");
  ::close(9);
  // The address sanitizer reserves more address space than the limit leaves.
  if (!BRACKWATER_SANITIZE) {
    check("/usr/bin/prlimit --as=33554432 brackwater-export /dev/zero -o kept.txt", 1, "",
          me + "cannot export /dev/zero: out of memory\n");
  }
  EXPECT_EQ(testing::ReadBytes(dir / "kept.txt"), "NAME=a\r\n\tURL=b\r\n");
#endif
}

}  // namespace
}  // namespace brackwater
