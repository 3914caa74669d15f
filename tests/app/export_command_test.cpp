// brackwater-export run as a user runs it: a separate process with its own arguments,
// environment, working folder and limits.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/system/clock.h"
#include "platform/system/code_page.h"
#include "platform/system/text_codec.h"
#include "tests/support/temp_dir.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace brackwater {
namespace {

// The address sanitizer reserves more address space than a memory limit leaves.
#if defined(__SANITIZE_ADDRESS__)
constexpr bool kAddressSanitizer = true;
#elif defined(__has_feature)
constexpr bool kAddressSanitizer = __has_feature(address_sanitizer);
#else
constexpr bool kAddressSanitizer = false;
#endif

using testing::ReadBytes;
using testing::TempDir;
using testing::WriteBytes;

struct Outcome {
  int status = -1;
  std::string out;
  std::string err;
};

// Where a standard stream of the program goes: a file that the test reads afterwards, a device
// that refuses every write, or a pipe whose reader is gone before the program starts.
enum class Stream { kFile, kFull, kClosedPipe };

struct Launch {
  std::vector<std::string> args;
  std::filesystem::path folder;
  std::vector<std::string> environment = {"LC_ALL=C", "SOURCE_DATE_EPOCH=97445"};
  Stream out = Stream::kFile;
  Stream err = Stream::kFile;
  bool littleMemory = false;
};

#ifdef _WIN32
std::wstring Wide(const std::string& utf8) {
  const std::u16string text = Utf8ToUtf16(utf8);
  return std::wstring(text.begin(), text.end());
}

// As the C runtime splits a command line; no argument here holds a quote or ends in a
// backslash, which would take escaping.
std::wstring Quoted(const std::wstring& arg) { return L"\"" + arg + L"\""; }

// Text streams of the C runtime end their lines in CR LF.
std::string WithoutCarriageReturns(std::string text) {
  std::erase(text, '\r');
  return text;
}

Outcome Spawn(const Launch& launch) {
  TempDir streams;
  SECURITY_ATTRIBUTES inherited{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
  auto create = [&](const char* name) {
    return CreateFileW((streams / name).c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherited,
                       CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  };
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  startup.dwFlags = STARTF_USESTDHANDLES;
  auto stream = [&](Stream kind, const char* name) {
    HANDLE reader = nullptr, writer = nullptr;
    if (kind == Stream::kFile || !CreatePipe(&reader, &writer, &inherited, 0)) return create(name);
    CloseHandle(reader);
    return writer;
  };
  startup.hStdOutput = stream(launch.out, "out");
  startup.hStdError = stream(launch.err, "err");
  const std::wstring program = std::filesystem::absolute(BRACKWATER_EXPORT).native();
  std::wstring commandLine = Quoted(program);
  for (const auto& arg : launch.args) commandLine += L" " + Quoted(Wide(arg));
  std::wstring environment;
  for (const auto& entry : launch.environment) environment += Wide(entry) + L'\0';
  PROCESS_INFORMATION process{};
  DWORD status = static_cast<DWORD>(-1);
  if (CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, TRUE,
                     CREATE_UNICODE_ENVIRONMENT, environment.data(), launch.folder.c_str(),
                     &startup, &process)) {
    WaitForSingleObject(process.hProcess, INFINITE);
    GetExitCodeProcess(process.hProcess, &status);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
  }
  CloseHandle(startup.hStdOutput);
  CloseHandle(startup.hStdError);
  return {static_cast<int>(status), WithoutCarriageReturns(ReadBytes(streams / "out")),
          WithoutCarriageReturns(ReadBytes(streams / "err"))};
}
#else
Outcome Spawn(const Launch& launch) {
  TempDir streams;
  const std::string outPath = streams / "out", errPath = streams / "err";
  int pipeEnds[2] = {-1, -1};
  if (::pipe(pipeEnds) == 0) ::close(pipeEnds[0]);
  auto descriptor = [&](Stream kind, const std::string& path) {
    if (kind == Stream::kClosedPipe) return pipeEnds[1];
    return kind == Stream::kFull ? ::open("/dev/full", O_WRONLY)
                                 : ::open(path.c_str(), O_WRONLY | O_CREAT, 0600);
  };
  const pid_t child = ::fork();
  if (child == 0) {
    ::chdir(launch.folder.c_str());
    ::dup2(descriptor(launch.out, outPath), 1);
    ::dup2(descriptor(launch.err, errPath), 2);
    if (launch.littleMemory) {
      const rlimit limit{32 << 20, 32 << 20};
      ::setrlimit(RLIMIT_AS, &limit);
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
  ::close(pipeEnds[1]);
  int status = 0;
  ::waitpid(child, &status, 0);
  return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, ReadBytes(outPath), ReadBytes(errPath)};
}
#endif

bool OneLine(const std::string& text) {
  return !text.empty() && text.find('\n') == text.size() - 1;
}

const std::string kGoldenFolder = BRACKWATER_TEST_DATA;

// A name given in UTF-8, which Windows would read in its ANSI code page.
std::filesystem::path Name(const std::string& name) {
#ifdef _WIN32
  return std::u8string(name.begin(), name.end());
#else
  return name;
#endif
}

const std::string kUsage =
    "usage: brackwater-export NOTES [-o OUTPUT] [--format FORMAT] [--skip-trash]\n";

// What it writes where, and what it says: the output beside the notes file, or as given, ending
// in ".txt".
TEST(ExportCommand, WritesWhereAskedAndSaysSo) {
  TempDir dir;
  std::filesystem::copy_file(kGoldenFolder + "/crlf_records.adr", dir / "crlf_records.adr");
  const std::string notes = "NAME=a\r\n\tURL=b\r\n";
  for (const char* name : {"notes.adr", "Привет中.adr", "-n.adr"})
    WriteBytes(dir.Path() / Name(name), notes);
  struct Case {
    std::vector<std::string> args;
    std::string out;      // as it begins
    std::string written;  // the file it writes, if any
  };
  std::vector<Case> cases = {
      {{"crlf_records.adr"}, "File saved as crlf_records.txt\n", "crlf_records.txt"},
      {{"notes.adr", "-o", "out"}, "File saved as out.txt\n", "out.txt"},
      {{"notes.adr", "-o", "out.TXT"}, "File saved as out.TXT.txt\n", "out.TXT.txt"},
      {{"notes.adr", "-o", "sub.adr.txt"}, "File saved as sub.adr.txt\n", "sub.adr.txt"},
      // On Windows, a name that the ANSI code page cannot hold.
      {{"Привет中.adr"}, "File saved as Привет中.txt\n", "Привет中.txt"},
      // After "--", a name that looks like an option is a file.
      {{"--", "-n.adr"}, "File saved as -n.txt\n", "-n.txt"},
      {{"--version"}, "brackwater-export 1.00\n", ""},
      {{"--help"}, kUsage, ""},
  };
#ifndef _WIN32
  WriteBytes(dir / "n\xFF.adr", notes);
  cases.push_back({{"n\xFF.adr"}, "File saved as n\xFF.txt\n", "n\xFF.txt"});
#endif
  for (const Case& c : cases) {
    SCOPED_TRACE(c.args.back());
    const Outcome outcome = Spawn({c.args, dir.Path()});
    EXPECT_EQ(outcome.status, 0);
    EXPECT_TRUE(outcome.out.starts_with(c.out)) << outcome.out;
    EXPECT_EQ(outcome.err, "");
    if (!c.written.empty()) {
      EXPECT_TRUE(std::filesystem::exists(dir.Path() / Name(c.written)));
    }
  }
  std::string expected = ReadBytes(kGoldenFolder + "/crlf_records.txt");
#ifdef _WIN32
  // The golden export is the C locale's: its date, and UTF-8 as the code page. An ANSI code
  // page cannot hold all of its text, which then comes in UTF-8 marked as such.
  constexpr std::string_view kMomentInC = "01/02/70 \xD0\xB2 03:04:05";
  const DateTimeText moment = FormatDateTime(97445, TimeZone::kUtc).value();
  expected.replace(expected.find(kMomentInC), kMomentInC.size(),
                   Utf16ToUtf8(moment.date + u" в " + moment.time));
  if (!IsUtf8CodePage(SystemCodePage())) expected.insert(0, "\xEF\xBB\xBF");
#endif
  EXPECT_EQ(ReadBytes(dir / "crlf_records.txt"), expected);
}

// The structured formats with their default names, the trash left out, and a Markdown folder
// that is never written into an existing one.
TEST(ExportCommand, StructuredFormats) {
  TempDir dir;
  std::filesystem::copy_file(kGoldenFolder + "/structured.adr", dir / "structured.adr");
  const std::vector<std::string> environment = {"LC_ALL=C", "SOURCE_DATE_EPOCH=1700000000"};
  for (const std::string format : {"json", "enex"}) {
    const Outcome outcome =
        Spawn({{"structured.adr", "--format", format}, dir.Path(), environment});
    EXPECT_EQ(outcome.status, 0);
    EXPECT_EQ(outcome.out, "File saved as structured." + format + "\n");
    EXPECT_EQ(ReadBytes(dir / ("structured." + format)),
              ReadBytes(kGoldenFolder + "/structured." + format));
  }
  const Launch markdown{{"structured.adr", "--skip-trash", "--format", "markdown"}, dir.Path()};
  EXPECT_EQ(Spawn(markdown).out, "Folder saved as structured\n");
  EXPECT_TRUE(std::filesystem::exists(dir / "structured" / "Top note.md"));
  EXPECT_FALSE(std::filesystem::exists(dir / "structured" / "Trash"));
  const Outcome again = Spawn(markdown);
  EXPECT_EQ(again.status, 1);
  EXPECT_EQ(again.err,
            "brackwater-export: cannot write structured: it is a folder that is not empty\n");
}

// Whatever goes wrong is told in one line on stderr, and the status says so; told on stderr
// after a success, it is a warning.
TEST(ExportCommand, ReportsWhatWentWrongInOneLine) {
  struct Case {
    Launch launch;
    std::string err;  // as it begins: the system's reason may follow
    int status = 1;
    std::string out = "";
  };
  TempDir dir;
  const std::filesystem::path& in = dir.Path();
  WriteBytes(dir / "notes.adr", "NAME=a\r\n\tURL=b\r\n");
  WriteBytes(dir / "empty.adr", "");
  WriteBytes(dir / "header.adr", "Opera Hotlist version 2.0\r\nOptions: encoding = utf8\r\n");
  WriteBytes(dir / "kept.txt", "kept");
#ifdef _WIN32
  const std::string noFile;  // the system's words, in the user's language
#else
  const std::string noFile = "No such file or directory";
#endif
  const std::string me = "brackwater-export: ";
  const std::vector<std::string> unreadableMoment = {"LC_ALL=C", "SOURCE_DATE_EPOCH=soon"};
  const std::string saved = "File saved as header.txt\n";
  std::vector<Case> cases = {
      {{{"missing.adr"}, in}, me + "cannot read missing.adr: " + noFile},
      {{{"notes.adr", "-o", "nowhere/out"}, in}, me + "cannot write nowhere/out.txt: " + noFile},
      // Before the moment is looked at.
      {{{"empty.adr"}, in, unreadableMoment},
       me + "cannot export empty.adr: the notes file is empty, so it holds no notes\n"},
      {{{"header.adr"}, in},
       me + "no notes found in header.adr; the export holds only its header\n",
       0,
       saved},
      {{{"notes.adr"}, in, unreadableMoment},
       me + "SOURCE_DATE_EPOCH is not a whole number of seconds\n"},
      {{{"notes.adr"}, in, {"LC_ALL=C", "SOURCE_DATE_EPOCH=99999999999999999"}},
       me + "SOURCE_DATE_EPOCH is out of range\n"},
      {{.args = {"notes.adr"}, .folder = in, .out = Stream::kClosedPipe},
       me + "cannot write to standard output: Broken pipe\n"},
      {{.args = {"header.adr"}, .folder = in, .err = Stream::kClosedPipe}, "", 1, saved},
#ifndef _WIN32
      {{.args = {"--version"}, .folder = in, .out = Stream::kFull},
       me + "cannot write to standard output: No space left on device\n"},
#endif
  };
  for (const std::vector<std::string>& args : {std::vector<std::string>{},
                                               {"a.adr", "b.adr"},
                                               {"--frobnicate", "a.adr"},
                                               {"a.adr", "-o"},
                                               {"a.adr", "-o", "x", "-o", "y"},
                                               {"a.adr", "--format", "pdf"}}) {
    cases.push_back({{args, in}, kUsage, 2});
  }
#ifndef _WIN32
  if (!kAddressSanitizer) {
    // Endless input; the earlier file at the output stays as it was.
    cases.push_back({{.args = {"/dev/zero", "-o", "kept.txt"}, .folder = in, .littleMemory = true},
                     me + "cannot export /dev/zero: out of memory\n"});
  }
#endif
  for (const Case& c : cases) {
    SCOPED_TRACE(c.err);
    const Outcome outcome = Spawn(c.launch);
    EXPECT_EQ(outcome.status, c.status);
    EXPECT_EQ(outcome.out, c.out);
    EXPECT_TRUE(outcome.err.starts_with(c.err)) << outcome.err;
    if (c.launch.err == Stream::kFile) {
      EXPECT_TRUE(OneLine(outcome.err)) << outcome.err;
    }
  }
  EXPECT_EQ(ReadBytes(dir / "kept.txt"), "kept");
}

}  // namespace
}  // namespace brackwater
