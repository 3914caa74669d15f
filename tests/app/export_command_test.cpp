// brackwater-export run as a user runs it: a separate process with its own arguments,
// environment, working folder and limits.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <string>
#include <vector>

#include "tests/support/temp_dir.h"

namespace brackwater {
namespace {

using testing::ReadBytes;
using testing::TempDir;
using testing::WriteBytes;

struct Outcome {
  int status = -1;
  std::string out;
  std::string err;
};

struct Launch {
  std::vector<std::string> args;
  std::filesystem::path folder;
  std::vector<std::string> environment = {"LC_ALL=C", "SOURCE_DATE_EPOCH=97445"};
  rlim_t fileSizeLimit = RLIM_INFINITY;
};

Outcome Spawn(const Launch& launch) {
  TempDir streams;
  const std::string outPath = streams / "out", errPath = streams / "err";
  const pid_t child = ::fork();
  if (child == 0) {
    ::chdir(launch.folder.c_str());
    ::dup2(::open(outPath.c_str(), O_WRONLY | O_CREAT, 0600), 1);
    ::dup2(::open(errPath.c_str(), O_WRONLY | O_CREAT, 0600), 2);
    if (launch.fileSizeLimit != RLIM_INFINITY) {
      std::signal(SIGXFSZ, SIG_IGN);
      const rlimit limit{launch.fileSizeLimit, launch.fileSizeLimit};
      ::setrlimit(RLIMIT_FSIZE, &limit);
    }
    std::vector<char*> argv{const_cast<char*>(BRACKWATER_EXPORT)};
    for (const auto& arg : launch.args) argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    std::vector<char*> envp;
    for (const auto& entry : launch.environment) envp.push_back(const_cast<char*>(entry.c_str()));
    envp.push_back(nullptr);
    ::execve(argv[0], argv.data(), envp.data());
    ::_exit(127);
  }
  int status = 0;
  ::waitpid(child, &status, 0);
  return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, ReadBytes(outPath), ReadBytes(errPath)};
}

bool OneLine(const std::string& text) {
  return !text.empty() && text.find('\n') == text.size() - 1;
}

const std::string kGoldenFolder = BRACKWATER_TEST_DATA;

TEST(ExportCommand, WritesBesideTheNotesFileByDefault) {
  TempDir dir;
  std::filesystem::copy_file(kGoldenFolder + "/crlf_records.adr", dir / "crlf_records.adr");
  const Outcome outcome = Spawn({{"crlf_records.adr"}, dir.Path()});
  EXPECT_EQ(outcome.status, 0) << outcome.err;
  EXPECT_EQ(outcome.out, "File saved as crlf_records.txt\n");
  EXPECT_EQ(outcome.err, "");
  EXPECT_EQ(ReadBytes(dir / "crlf_records.txt"), ReadBytes(kGoldenFolder + "/crlf_records.txt"));
}

TEST(ExportCommand, OutputNamesEndInTxt) {
  TempDir dir;
  WriteBytes(dir / "notes.adr", "NAME=a\r\n\tURL=b\r\n");
  for (const auto& [given, written] :
       {std::pair{"out", "out.txt"}, {"out.TXT", "out.TXT.txt"}, {"sub.adr.txt", "sub.adr.txt"}}) {
    const Outcome outcome = Spawn({{"notes.adr", "-o", given}, dir.Path()});
    EXPECT_EQ(outcome.status, 0) << outcome.err;
    EXPECT_EQ(outcome.out, std::string("File saved as ") + written + "\n");
    EXPECT_TRUE(std::filesystem::exists(dir / written)) << written;
  }
  // The header names the notes file as given, with its ".adr".
  EXPECT_TRUE(ReadBytes(dir / "out.txt").find("(notes.adr). ") != std::string::npos);
}

TEST(ExportCommand, SourceDateEpochMakesTheExportReproducible) {
  TempDir dir;
  WriteBytes(dir / "notes.adr", "NAME=a\r\n\tURL=b\r\n");
  ASSERT_EQ(Spawn({{"notes.adr", "-o", "first"}, dir.Path()}).status, 0);
  ASSERT_EQ(Spawn({{"notes.adr", "-o", "second"}, dir.Path()}).status, 0);
  const std::string first = ReadBytes(dir / "first.txt");
  EXPECT_EQ(first, ReadBytes(dir / "second.txt"));
  EXPECT_TRUE(first.find("01/02/70 \xD0\xB2 03:04:05\r\n") != std::string::npos) << first;

  const Outcome bad = Spawn({{"notes.adr"}, dir.Path(), {"LC_ALL=C", "SOURCE_DATE_EPOCH=soon"}});
  EXPECT_EQ(bad.status, 1);
  EXPECT_TRUE(OneLine(bad.err)) << bad.err;
}

TEST(ExportCommand, RefusesWhatWouldLoseOrInventData) {
  TempDir dir;
  WriteBytes(dir / "empty.adr", "");
  WriteBytes(dir / "notes.txt", "NAME=a\r\n\tURL=b\r\n");

  const Outcome empty = Spawn({{"empty.adr"}, dir.Path()});
  EXPECT_EQ(empty.status, 1);
  EXPECT_TRUE(OneLine(empty.err)) << empty.err;
  EXPECT_NE(empty.err.find("empty.adr"), std::string::npos);
  EXPECT_FALSE(std::filesystem::exists(dir / "empty.txt"));

  // Without ".adr" in its name, the notes file is its own default output.
  const Outcome itself = Spawn({{"notes.txt"}, dir.Path()});
  EXPECT_EQ(itself.status, 1);
  EXPECT_TRUE(OneLine(itself.err)) << itself.err;
  EXPECT_NE(itself.err.find("notes.txt"), std::string::npos);
  EXPECT_EQ(ReadBytes(dir / "notes.txt"), "NAME=a\r\n\tURL=b\r\n");
  EXPECT_EQ(itself.out, "");
}

TEST(ExportCommand, ReportsFilesThatCannotBeReadOrWritten) {
  TempDir dir;
  std::string notes;
  for (int i = 0; i < 20; ++i) notes += "#NOTE\r\n\tNAME=a\r\n\tURL=b\r\n";
  WriteBytes(dir / "notes.adr", notes);
  WriteBytes(dir / "kept.txt", "an earlier export");
  std::filesystem::create_symlink("/dev/full", dir / "full.txt");

  struct Case {
    Launch launch;
    std::string name;
    std::string reason;
  };
  const Case cases[] = {
      {{{"missing.adr"}, dir.Path()}, "missing.adr", "No such file or directory"},
      {{{"notes.adr", "-o", "nowhere/out"}, dir.Path()},
       "nowhere/out.txt",
       "No such file or directory"},
      {{{"notes.adr", "-o", "full.txt"}, dir.Path()}, "full.txt", "No space left on device"},
      // Enough for the message, not for the export.
      {{{"notes.adr", "-o", "kept"}, dir.Path(), {"LC_ALL=C"}, 512}, "kept.txt", "File too large"},
  };
  for (const Case& c : cases) {
    const Outcome outcome = Spawn(c.launch);
    EXPECT_EQ(outcome.status, 1) << c.name;
    EXPECT_TRUE(OneLine(outcome.err)) << outcome.err;
    EXPECT_NE(outcome.err.find(c.name + ": " + c.reason), std::string::npos) << outcome.err;
    EXPECT_EQ(outcome.out, "");
  }
  EXPECT_EQ(ReadBytes(dir / "kept.txt"), "an earlier export");
  EXPECT_EQ(dir.Names(), (std::vector<std::string>{"full.txt", "kept.txt", "notes.adr"}));
}

TEST(ExportCommand, NamesThatAreNotUtf8AreKept) {
  TempDir dir;
  WriteBytes(dir / "n\xFF.adr", "NAME=a\r\n\tURL=b\r\n");
  const Outcome outcome = Spawn({{"n\xFF.adr"}, dir.Path()});
  EXPECT_EQ(outcome.status, 0) << outcome.err;
  EXPECT_EQ(outcome.out, "File saved as n\xFF.txt\n");
  EXPECT_TRUE(std::filesystem::exists(dir / "n\xFF.txt"));
}

TEST(ExportCommand, UsageHelpAndVersion) {
  TempDir dir;
  for (const std::vector<std::string>& args : {std::vector<std::string>{},
                                               {"a.adr", "b.adr"},
                                               {"--frobnicate", "a.adr"},
                                               {"a.adr", "-o"},
                                               {"a.adr", "-o", "x", "-o", "y"}}) {
    const Outcome outcome = Spawn({args, dir.Path()});
    EXPECT_EQ(outcome.status, 2);
    EXPECT_EQ(outcome.err, "usage: brackwater-export NOTES [-o OUTPUT]\n");
  }
  const Outcome help = Spawn({{"--help"}, dir.Path()});
  EXPECT_EQ(help.status, 0);
  EXPECT_TRUE(help.out.starts_with("usage: brackwater-export NOTES [-o OUTPUT]\n"));
  const Outcome version = Spawn({{"--version"}, dir.Path()});
  EXPECT_EQ(version.status, 0);
  EXPECT_EQ(version.out, "brackwater-export 1.00\n");
  // After "--", a name that looks like an option is a file.
  WriteBytes(dir / "-n.adr", "NAME=a\r\n\tURL=b\r\n");
  EXPECT_EQ(Spawn({{"--", "-n.adr"}, dir.Path()}).out, "File saved as -n.txt\n");
}

}  // namespace
}  // namespace brackwater
