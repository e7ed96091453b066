// The command line of the finished program: the unattended share (/quiet) with its output, log and
// exit codes, and the dialog filled in from /path and /name. The netapi32 double stands in for the
// server, so every answer of the share call can be had.
#include <aclapi.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <functional>
#include <memory>
#include <optional>
#include <regex>
#include <string>
#include <vector>

#include "e2e_support.h"
#include "netapi_double_support.h"
#include "unix_link.h"

namespace qv::e2e {
namespace {

const std::wstring kShared = L"共有フォルダを設定しました。";

std::string Encode(const std::wstring& text, UINT codePage) {
  if (text.empty()) return {};
  int n = WideCharToMultiByte(codePage, 0, text.data(), static_cast<int>(text.size()), nullptr, 0,
                              nullptr, nullptr);
  std::string out(static_cast<std::size_t>(n), '\0');
  WideCharToMultiByte(codePage, 0, text.data(), static_cast<int>(text.size()), out.data(), n,
                      nullptr, nullptr);
  return out;
}

std::wstring Decode(const std::string& bytes, UINT codePage) {
  if (bytes.empty()) return {};
  int n =
      MultiByteToWideChar(codePage, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
  std::wstring out(static_cast<std::size_t>(n), L'\0');
  MultiByteToWideChar(codePage, 0, bytes.data(), static_cast<int>(bytes.size()), out.data(), n);
  return out;
}

// Lines split at \r\n; a last line break ends the last line and does not start another.
std::vector<std::wstring> CrlfLines(const std::wstring& text) {
  std::vector<std::wstring> lines;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find(L"\r\n", start);
    if (end == std::wstring::npos) end = text.size();
    lines.push_back(text.substr(start, end - start));
    start = end + 2;
  }
  return lines;
}

// A system text as the program prints it: its lines without the last line break.
std::vector<std::wstring> SystemTextLines(DWORD code, const std::wstring& appended) {
  return CrlfLines(SystemText(code) + appended);
}

std::wstring LocalStamp() {
  SYSTEMTIME now;
  GetLocalTime(&now);
  wchar_t buf[32];
  swprintf(buf, 32, L"%04u-%02u-%02u %02u:%02u:%02u", now.wYear, now.wMonth, now.wDay, now.wHour,
           now.wMinute, now.wSecond);
  return buf;
}

// One unattended run: its exit code, what it wrote to standard output (a file) and whether a
// window of it was ever seen.
struct QuietRun {
  DWORD exitCode = 0xFFFFFFFF;
  std::string output;
  std::vector<std::wstring> visibleWindows;  // class names of visible top-level windows seen
  int hiddenWindowsSeen = 0;
  std::wstring startStamp, endStamp;
};

// Runs the tool with standard output in a file (or the NUL device, as `> nul` gives it), looking
// for its windows every few milliseconds until it ends.
QuietRun RunRedirected(const std::vector<std::wstring>& arguments, bool toNul = false) {
  QuietRun run;
  std::wstring dir = BuildPath("e2e-cli");
  CreateDirectoryW(dir.c_str(), nullptr);
  std::wstring outPath = toNul ? L"NUL" : dir + L"\\stdout.txt";
  SECURITY_ATTRIBUTES inherit{sizeof(inherit), nullptr, TRUE};
  {
    UniqueHandle out(CreateFileW(outPath.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                 &inherit, toNul ? OPEN_EXISTING : CREATE_ALWAYS,
                                 FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!out || out.get() == INVALID_HANDLE_VALUE) {
      ADD_FAILURE() << "cannot make " << WideToUtf8(outPath);
      return run;
    }
    run.startStamp = LocalStamp();
    Process process = Process::Start(ToolPath(), arguments, {}, out.get());
    out.reset();
    WindowQuery own;
    own.processId = process.Id();
    own.visibleOnly = false;
    bool ended = false;
    for (int i = 0; i < 3000 && !ended; ++i) {
      ended = process.WaitForExit(5);
      for (HWND w : FindTopWindows(own)) {
        if (IsWindowVisible(w)) {
          run.visibleWindows.push_back(ClassNameOf(w));
        } else {
          ++run.hiddenWindowsSeen;
        }
      }
    }
    if (!ended) {
      ADD_FAILURE() << "the tool did not end";
      process.Terminate(99);
      process.WaitForExit(5000);
      return run;
    }
    run.exitCode = process.ExitCode();
    run.endStamp = LocalStamp();
  }
  if (!toNul) run.output = FileBytes(outPath).value_or("");
  return run;
}

// The output as lines, read in code page 932.
std::vector<std::wstring> OutputLines(const QuietRun& run) {
  return CrlfLines(Decode(run.output, 932));
}

struct LogLine {
  std::wstring stamp, text;
};

constexpr char kByteOrderMark[] = "\xEF\xBB\xBF";

// The log's lines; a line not of the form "YYYY-MM-DD HH:MM:SS text\r\n" fails the test, and so
// does a log the program made (startsEmpty) without the UTF-8 byte-order mark before its first
// line, or a mark anywhere else.
std::vector<LogLine> ReadLog(const std::wstring& path, bool startsEmpty = true) {
  std::vector<LogLine> lines;
  std::optional<std::string> bytes = FileBytes(path);
  if (!bytes) return lines;
  if (startsEmpty) {
    EXPECT_TRUE(bytes->starts_with(kByteOrderMark)) << "the new log has no byte-order mark";
    if (bytes->starts_with(kByteOrderMark)) bytes->erase(0, 3);
  }
  EXPECT_EQ(bytes->find(kByteOrderMark), std::string::npos) << "a byte-order mark inside the log";
  const std::wregex form(L"(\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d) (.*)");
  std::wstring text = Utf8ToWide(*bytes);
  EXPECT_TRUE(text.empty() || text.ends_with(L"\r\n")) << "the log's last line is not ended";
  for (const std::wstring& line : CrlfLines(text)) {
    std::wsmatch m;
    if (!std::regex_match(line, m, form)) {
      ADD_FAILURE() << "not a log line: " << WideToUtf8(line);
      continue;
    }
    lines.push_back({m[1], m[2]});
  }
  return lines;
}

bool IsHeader(const std::wstring& text) { return text.starts_with(L"qvsetshare "); }

// The texts of the lines after each run's header line; every run of the log has one.
// The reachability report follows a share and a check; it opens with the Server service's line.
bool OpensReach(const std::wstring& line) { return line.starts_with(L"サーバー サービス: "); }

// The lines before the reachability report.
std::vector<std::wstring> BeforeReach(std::vector<std::wstring> lines) {
  lines.erase(std::find_if(lines.begin(), lines.end(), OpensReach), lines.end());
  return lines;
}

// The report's lines, from the Server service's line on.
std::vector<std::wstring> ReachLines(const std::vector<std::wstring>& lines) {
  return {std::find_if(lines.begin(), lines.end(), OpensReach), lines.end()};
}

std::vector<std::wstring> Texts(const std::vector<LogLine>& lines) {
  std::vector<std::wstring> texts;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    const bool runStarts = i == 0 || lines[i - 1].text.starts_with(L"終了コード: ");
    if (runStarts && lines[i].text != L"earlier") {
      EXPECT_TRUE(IsHeader(lines[i].text)) << "a run without its header line";
    }
    if (!IsHeader(lines[i].text)) texts.push_back(lines[i].text);
  }
  return texts;
}

void RemoveTree(const std::wstring& folder, const std::wstring& child) {
  DeleteFileW((folder + L"\\" + child).c_str());
  RemoveDirectoryW((folder + L"\\" + child).c_str());
  RemoveDirectoryW(folder.c_str());
}

class CommandLineE2E : public ::testing::Test {
 protected:
  void SetUp() override {
    RemoveNativeNetapiOverride();
    RemoveTree(kFolder, L"quarnelvelto");
    std::wstring dir = BuildPath("e2e-cli");
    CreateDirectoryW(dir.c_str(), nullptr);
    log_ = dir + L"\\run.log";
    DeleteFileW(log_.c_str());
    session_.emplace("e2e-cli-netapi");
  }
  void TearDown() override {
    session_.reset();
    RemoveTree(kFolder, L"quarnelvelto");
  }

  std::vector<std::wstring> Quiet(const std::wstring& path, const std::wstring& name) const {
    return {L"/quiet", L"/path", path, L"/name", name, L"/log", log_};
  }

  std::wstring log_;
  std::optional<NetapiDoubleSession> session_;
};

TEST_F(CommandLineE2E, QuietShareSucceedsWithoutAnyWindow) {
  session_->Answer(0);
  // Long enough for the window search to look many times while the share is being made.
  session_->Delay(400);
  // The log is appended to, never replaced.
  {
    std::ofstream earlier(WideToUtf8(log_).c_str(), std::ios::binary);
    earlier << "2000-01-01 00:00:00 earlier\r\n";
  }
  QuietRun run = RunRedirected(Quiet(kFolder, L"VeltoData"));
  EXPECT_EQ(run.exitCode, 0u);
  EXPECT_TRUE(run.visibleWindows.empty())
      << "a window of the program appeared: " << WideToUtf8(run.visibleWindows.front());
  RecordProperty("hidden_top_level_windows_seen", run.hiddenWindowsSeen);
  // Standard output is a file and there is no console: Wine gives 0 as the console's output code
  // page, so the text comes in the OEM code page, 932 under the Japanese locale.
  const std::string first = Encode(kShared + L"\r\n", 932);
  EXPECT_EQ(run.output.substr(0, first.size()), first);
  // The reachability report follows, here as Wine answers: its Server service is installed
  // disabled, and \\localhost\VeltoData reaches C:\VeltoData (scripts/wine-env.sh).
  const std::vector<std::wstring> reach = ReachLines(OutputLines(run));
  ASSERT_FALSE(reach.empty());
  EXPECT_EQ(reach.front(), L"サーバー サービス: 停止 (スタートアップの種類: 無効)");
  EXPECT_NE(
      std::find(reach.begin(), reach.end(),
                L"このパソコン自身からの保存 (\\\\localhost\\VeltoData): できました (共有と"
                L"フォルダのアクセス許可を確かめました。ファイアウォールと他のパソコンのユーザ"
                L"ーは確かめていません)"),
      reach.end());

  auto call = session_->LastCall();
  EXPECT_EQ(call["calls"], L"1");
  EXPECT_EQ(call["level"], L"502");
  EXPECT_EQ(call["netname"], L"VeltoData");
  EXPECT_EQ(call["remark"], L"Quarnel財務 共有フォルダ:VeltoData");
  EXPECT_EQ(call["path"], kFolder);
  EXPECT_EQ(call["max_uses"], L"-1");
  EXPECT_EQ(call["security_descriptor"], kEveryoneFullControlHex);
  EXPECT_TRUE(IsDirectory(kFolder));
  EXPECT_TRUE(IsDirectory(kSubfolder));

  std::vector<LogLine> log = ReadLog(log_, false);
  EXPECT_EQ(BeforeReach(Texts(log)), (std::vector<std::wstring>{L"earlier", kShared}));
  ASSERT_FALSE(log.empty());
  EXPECT_EQ(log.back().text, L"終了コード: 0") << "what the report finds does not change the code";
  for (std::size_t i = 1; i < log.size(); ++i) {
    EXPECT_GE(log[i].stamp, run.startStamp);
    EXPECT_LE(log[i].stamp, run.endStamp);
  }
}

TEST_F(CommandLineE2E, QuietAnswersEachRefusalAndFailureWithItsCodeAndText) {
  const std::vector<std::wstring> unsuitable = {
      L"管理する場所が適正ではありません。",
      L"管理する場所には、このコンピュータ内の場所を指定して下さい。"};
  const std::vector<std::wstring> systemLocation = {
      L"選択した場所には、ドライブ全体またはシステムのフォルダが含まれています。",
      L"この場所を共有するには /yes を指定してください。"};
  const struct {
    const char* what;
    std::wstring path, name;
    DWORD answer;  // the double's answer to the share call
    DWORD exitCode;
    std::vector<std::wstring> lines;
    bool shareCalled;
    DWORD refusedField = 0;  // the index the double hands back with a failure
  } cases[] = {
      {"empty name", kFolder, L"", 0, 2, {L"共有名を入力してください。"}, false},
      {"name outside code page 932",
       kFolder,
       L"M\u00FCller",
       0,
       2,
       {L"共有名に使用できない文字が含まれています。"},
       false},
      {"name with a slash",
       kFolder,
       L"a/b",
       0,
       2,
       {L"共有名に使用できない文字が含まれています。"},
       false},
      {"empty path", L"", L"VeltoData", 0, 2, {L"管理する場所を参照してください。"}, false},
      {"network path", L"\\\\server\\VeltoData", L"VeltoData", 0, 2, unsuitable, false},
      {"drive root without /yes", L"C:\\", L"VeltoData", 0, 2, systemLocation, false},
      {"system folder without /yes", L"C:\\windows", L"VeltoData", 0, 2, systemLocation, false},
      {"name in use",
       kFolder,
       L"VeltoData",
       2118,
       3,
       {L"指定した共有名は、既に使われています。"},
       true},
      {"access denied",
       kFolder,
       L"VeltoData",
       5,
       4,
       {L"管理者権限を持つユーザーで実行して下さい。"},
       true},
      {"folder cannot be shared", kFolder, L"VeltoData", 2116, 5, unsuitable, true},
      {"other failure", kFolder, L"VeltoData", 87, 6, SystemTextLines(87, L"(code=87)"), true},
      {"other failure naming the path field", kFolder, L"VeltoData", 87, 6,
       SystemTextLines(87, L"(code=87, parm_err=8)"), true, 8},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    session_->ClearLog();
    session_->Answer(c.answer);
    session_->AnswerRefusedField(c.refusedField);
    DeleteFileW(log_.c_str());
    QuietRun run = RunRedirected(Quiet(c.path, c.name));
    EXPECT_EQ(run.exitCode, c.exitCode);
    EXPECT_TRUE(run.visibleWindows.empty());
    EXPECT_EQ(OutputLines(run), c.lines);
    std::vector<std::wstring> logged = c.lines;
    logged.push_back(L"終了コード: " + std::to_wstring(c.exitCode));
    EXPECT_EQ(Texts(ReadLog(log_)), logged);
    EXPECT_EQ(session_->LastCall()["calls"], c.shareCalled ? L"1" : L"0");
    // A refused run makes no folder; a failed share call leaves the folders it made.
    EXPECT_EQ(IsDirectory(kSubfolder), c.shareCalled);
    RemoveTree(kFolder, L"quarnelvelto");
  }
}

TEST_F(CommandLineE2E, QuietWithYesSharesADriveRoot) {
  session_->Answer(0);
  const std::wstring rootSubfolder = L"C:\\quarnelvelto";
  RemoveDirectoryW(rootSubfolder.c_str());
  // The grant reaches the whole drive, and every folder made on it later would inherit it: the
  // drive's list is put back afterwards, so that no other test meets Everyone there.
  PACL rootDacl = nullptr;
  PSECURITY_DESCRIPTOR rootDescriptor = nullptr;
  ASSERT_EQ(GetNamedSecurityInfoW(L"C:\\", SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr,
                                  nullptr, &rootDacl, nullptr, &rootDescriptor),
            static_cast<DWORD>(ERROR_SUCCESS));
  const std::unique_ptr<void, decltype(&LocalFree)> heldRoot(rootDescriptor, &LocalFree);
  std::vector<std::wstring> args = Quiet(L"C:\\", L"DriveC");
  args.push_back(L"/yes");
  QuietRun run = RunRedirected(args);
  EXPECT_EQ(run.exitCode, 0u);
  EXPECT_EQ(BeforeReach(OutputLines(run)), std::vector<std::wstring>{kShared});
  auto call = session_->LastCall();
  EXPECT_EQ(call["path"], L"C:\\");
  EXPECT_EQ(call["netname"], L"DriveC");
  EXPECT_TRUE(IsDirectory(rootSubfolder));
  RemoveDirectoryW(rootSubfolder.c_str());
  EXPECT_EQ(SetNamedSecurityInfoW(const_cast<wchar_t*>(L"C:\\"), SE_FILE_OBJECT,
                                  DACL_SECURITY_INFORMATION | PROTECTED_DACL_SECURITY_INFORMATION,
                                  nullptr, nullptr, rootDacl, nullptr),
            static_cast<DWORD>(ERROR_SUCCESS));
}

TEST_F(CommandLineE2E, QuietStopsWhenTheSubfolderCannotBeMade) {
  ASSERT_TRUE(CreateDirectoryW(kFolder.c_str(), nullptr));
  HANDLE file = CreateFileW(kSubfolder.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  CloseHandle(file);
  session_->Answer(0);
  QuietRun run = RunRedirected(Quiet(kFolder, L"VeltoData"));
  EXPECT_EQ(run.exitCode, 5u);
  std::vector<std::wstring> lines = {L"フォルダを作成できませんでした。", kSubfolder};
  lines.push_back(CrlfLines(SystemText(ERROR_ALREADY_EXISTS)).at(0));
  EXPECT_EQ(OutputLines(run), lines);
  lines.push_back(L"終了コード: 5");
  EXPECT_EQ(Texts(ReadLog(log_)), lines);
  EXPECT_EQ(session_->LastCall()["calls"], L"0");
}

TEST_F(CommandLineE2E, WithoutTheDoubleWinesOwnLibraryAnswers50) {
  session_.reset();  // Wine's own netapi32: the share call cannot succeed
  RemoveNativeNetapiOverride();
  QuietRun run = RunRedirected(Quiet(kFolder, L"VeltoData"));
  EXPECT_EQ(run.exitCode, 6u);
  EXPECT_EQ(OutputLines(run), SystemTextLines(50, L"(code=50)"));
  EXPECT_TRUE(IsDirectory(kSubfolder));
}

TEST_F(CommandLineE2E, QuietWhileTheDialogIsOpenEndsWithCode8) {
  Tool dialogCopy;
  HWND dialog = dialogCopy.WaitForDialog();
  ASSERT_NE(dialog, nullptr);
  session_->Answer(0);
  QuietRun run = RunRedirected(Quiet(kFolder, L"VeltoData"));
  EXPECT_EQ(run.exitCode, 8u);
  EXPECT_EQ(OutputLines(run), std::vector<std::wstring>{L"アプリケーションは既に起動しています。"});
  EXPECT_EQ(
      Texts(ReadLog(log_)),
      (std::vector<std::wstring>{L"アプリケーションは既に起動しています。", L"終了コード: 8"}));
  EXPECT_EQ(session_->LastCall()["calls"], L"0");
  EXPECT_FALSE(IsDirectory(kFolder));
  dialogCopy.CloseDialog(dialog);
}

TEST_F(CommandLineE2E, UsageErrorsEndWithCode1AndTheUsage) {
  // An argument not understood: the run does not trust the rest either, so no log is written.
  std::vector<std::wstring> args = Quiet(kFolder, L"VeltoData");
  args.push_back(L"/bogus");
  QuietRun run = RunRedirected(args);
  EXPECT_EQ(run.exitCode, 1u);
  std::vector<std::wstring> lines = OutputLines(run);
  ASSERT_GE(lines.size(), 4u);
  EXPECT_EQ(lines[0], L"不明な引数があります。");
  EXPECT_EQ(lines[1], L"引数: /bogus");
  EXPECT_EQ(lines[2], L"");
  EXPECT_EQ(lines[3], L"使い方:");
  EXPECT_TRUE(run.visibleWindows.empty()) << "the usage was shown in a box beside the output";
  EXPECT_FALSE(FileExists(log_));

  // A log that cannot be opened (a folder of that name) is found before anything is done.
  std::wstring folderAsLog = BuildPath("e2e-cli\\log-is-a-folder");
  CreateDirectoryW(folderAsLog.c_str(), nullptr);
  args = {L"/quiet", L"/path", kFolder, L"/name", L"VeltoData", L"/log", folderAsLog};
  run = RunRedirected(args);
  EXPECT_EQ(run.exitCode, 1u);
  lines = OutputLines(run);
  ASSERT_GE(lines.size(), 3u);
  EXPECT_EQ(lines[0], L"ログファイルを開けません。");
  EXPECT_EQ(lines[2], L"使い方:");
  EXPECT_EQ(session_->LastCall()["calls"], L"0");
  EXPECT_FALSE(IsDirectory(kFolder));
}

TEST_F(CommandLineE2E, WithNoOutputTheUsageComesInABox) {
  const struct {
    std::wstring argument;
    DWORD exitCode;
    std::wstring firstLine;
  } cases[] = {
      {L"/bogus", 1, L"不明な引数があります。"},
      {L"/?", 0, L"使い方:"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(WideToUtf8(c.argument));
    // No standard handles and no console to attach to: Wine otherwise hands the test's own
    // standard output to a program started without any.
    Tool tool(ToolPath(), {c.argument}, kNoStandardHandles);
    auto box = tool.WaitForBox();
    ASSERT_TRUE(box.has_value());
    EXPECT_EQ(CrlfLines(box->text).at(0), c.firstLine);
    EXPECT_NE(box->text.find(L"終了コード:"), std::wstring::npos);
    ASSERT_TRUE(AnswerBox(*box, L"OK"));
    EXPECT_EQ(tool.WaitForExitCode(), c.exitCode);
  }
}

// A script that asks for the usage gets it on its output and is not held up by a box, whether
// the output is a file or the NUL device; an option where a value belongs is an error, never
// a share of that name.
TEST_F(CommandLineE2E, RedirectedRunsNeverWaitOnABox) {
  const struct {
    std::vector<std::wstring> arguments;
    bool toNul;
    DWORD exitCode;
    std::vector<std::wstring> firstLines;
  } cases[] = {
      {{L"/?"}, false, 0, {L"使い方:"}},
      {{L"/help"}, false, 0, {L"使い方:"}},
      {{L"-h"}, false, 0, {L"使い方:"}},
      {{L"/?"}, true, 0, {}},
      {{L"/bogus"}, true, 1, {}},
      {{L"/name", L"/quiet"}, false, 1, {L"/name の値がありません。", L"引数: /quiet"}},
      {{L"/quiet", L"/path", kFolder, L"/name", L"/yes"},
       false,
       1,
       {L"/name の値がありません。", L"引数: /yes"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(WideToUtf8(c.arguments.front() + L" " + c.arguments.back()));
    session_->ClearLog();
    QuietRun run = RunRedirected(c.arguments, c.toNul);
    EXPECT_EQ(run.exitCode, c.exitCode);
    EXPECT_TRUE(run.visibleWindows.empty()) << "a box held up a redirected run";
    std::vector<std::wstring> lines = OutputLines(run);
    ASSERT_GE(lines.size(), c.firstLines.size());
    EXPECT_EQ(std::vector<std::wstring>(lines.begin(), lines.begin() + c.firstLines.size()),
              c.firstLines);
    EXPECT_EQ(session_->LastCall()["calls"], L"0");
    EXPECT_FALSE(IsDirectory(kFolder));
  }
}

// Each run's log starts with one line that tells support staff how it was started and where; a
// new or empty log starts with the UTF-8 mark, and only once.
TEST_F(CommandLineE2E, TheLogStartsWithTheMarkAndEachRunWithItsHeader) {
  { std::ofstream empty(WideToUtf8(log_).c_str(), std::ios::binary); }
  const std::vector<std::wstring> args = {L"/check", L"/name", L"Velto Data", L"/log", log_};
  ASSERT_EQ(RunRedirected(args).exitCode, 9u);
  ASSERT_EQ(RunRedirected(args).exitCode, 9u);
  std::vector<LogLine> log = ReadLog(log_);
  std::vector<std::wstring> headers;
  for (const LogLine& line : log) {
    if (IsHeader(line.text)) headers.push_back(line.text);
  }
  ASSERT_EQ(headers.size(), 2u);
  EXPECT_TRUE(IsHeader(log.front().text));
  // Local time minus UTC as this process sees it, to the quarter hour.
  SYSTEMTIME local, utc;
  GetLocalTime(&local);
  GetSystemTime(&utc);
  FILETIME localFile, utcFile;
  SystemTimeToFileTime(&local, &localFile);
  SystemTimeToFileTime(&utc, &utcFile);
  auto ticks = [](FILETIME f) {
    return static_cast<long long>((static_cast<unsigned long long>(f.dwHighDateTime) << 32) |
                                  f.dwLowDateTime);
  };
  const long long minutes = (ticks(localFile) - ticks(utcFile)) / 600000000LL;
  const long long offset = (minutes + (minutes < 0 ? -7 : 7)) / 15 * 15;
  wchar_t zone[16];
  swprintf(zone, 16, L"UTC%c%02lld:%02lld", offset < 0 ? L'-' : L'+', std::llabs(offset) / 60,
           std::llabs(offset) % 60);
  wchar_t user[257] = {}, computer[64] = {};
  DWORD userSize = 257, computerSize = 64;
  GetUserNameW(user, &userSize);
  GetComputerNameW(computer, &computerSize);
  const std::wstring expected =
      std::wstring(L"qvsetshare 1.0.1.0 引数: /check /name \"Velto Data\" /log ") +
      (log_.find(L' ') == std::wstring::npos ? log_ : L"\"" + log_ + L"\"") + L" ユーザー: " +
      user + L" コンピュータ: " + computer + L" 管理者として実行: ";
  for (const std::wstring& header : headers) {
    EXPECT_TRUE(header.starts_with(expected)) << WideToUtf8(header) << "\n" << WideToUtf8(expected);
    EXPECT_TRUE(header.ends_with(L"はい " + std::wstring(zone)) ||
                header.ends_with(L"いいえ " + std::wstring(zone)))
        << WideToUtf8(header);
  }
}

TEST_F(CommandLineE2E, PathAndNameFillTheDialog) {
  const std::wstring path = L"D:\\Daten\\売上表", name = L"売上表";
  Tool tool(ToolPath(), {L"/path", path, L"/name", name});
  HWND dialog = tool.WaitForDialog();
  ASSERT_NE(dialog, nullptr);
  EXPECT_EQ(TextOf(PathField(dialog)), path);
  EXPECT_EQ(TextOf(NameField(dialog)), name);
  tool.CloseDialog(dialog);
  EXPECT_EQ(session_->LastCall()["calls"], L"0");
}

TEST_F(CommandLineE2E, ANameTheFieldCannotHoldLeavesItEmpty) {
  // 41 double-byte characters: 82 bytes, two more than the field holds.
  const std::wstring name(41, L'表');
  Tool tool(ToolPath(), {L"/path", L"C:\\VeltoData", L"/name", name});
  HWND dialog = tool.WaitForDialog();
  ASSERT_NE(dialog, nullptr);
  EXPECT_EQ(TextOf(NameField(dialog)), L"") << "no other name stands in for the one given";
  tool.CloseDialog(dialog);
  EXPECT_EQ(session_->LastCall()["calls"], L"0");
}

TEST_F(CommandLineE2E, JapaneseFolderAndNameOnTheCommandLineAreShared) {
  // 表 is 0x95 0x5C in code page 932: its trail byte is a backslash to a byte-wise reader.
  const std::wstring parent = L"C:\\経理", folder = parent + L"\\売上表", name = L"売上表";
  session_->Answer(0);
  QuietRun run = RunRedirected(Quiet(folder, name));
  EXPECT_EQ(run.exitCode, 0u);
  EXPECT_EQ(BeforeReach(OutputLines(run)), std::vector<std::wstring>{kShared});
  auto call = session_->LastCall();
  EXPECT_EQ(call["netname"], name);
  EXPECT_EQ(call["path"], folder);
  EXPECT_EQ(call["remark"], L"Quarnel財務 共有フォルダ:" + name);
  EXPECT_TRUE(IsDirectory(folder + L"\\quarnelvelto"));
  RemoveDirectoryW((folder + L"\\quarnelvelto").c_str());
  RemoveDirectoryW(folder.c_str());
  RemoveDirectoryW(parent.c_str());
}

// Whether a folder can be made and removed inside folder. chattr and mount act while this runs,
// so a probe made just before the folder was locked may be left behind; a later call removes it.
// Only the probe's absence afterwards counts: Wine answers a removal as done before it happens
// (when the handle closes), so in a folder locked meanwhile RemoveDirectoryW succeeds and the
// probe stays (measured).
bool CanMakeIn(const std::wstring& folder) {
  const std::wstring probe = folder + L"\\probe";
  const bool made =
      CreateDirectoryW(probe.c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS;
  RemoveDirectoryW(probe.c_str());
  return made && GetFileAttributesW(probe.c_str()) == INVALID_FILE_ATTRIBUTES;
}

// Sets or clears the Unix immutable flag of a folder with chattr (Wine starts a Unix program named
// by its Z: path) and waits until the folder shows it: the handle Wine gives for a Unix process
// cannot be waited on (WAIT_FAILED, measured).
bool SetImmutable(const std::wstring& folder, bool immutable) {
  const std::wstring chattr = L"Z:\\usr\\bin\\chattr";
  std::string unixFolder = UnixNameOf(folder);
  if (unixFolder.empty() || !FileExists(chattr)) return false;
  try {
    Process::Start(chattr, {immutable ? L"+i" : L"-i", Utf8ToWide(unixFolder)});
  } catch (const DriverError&) {
    return false;
  }
  for (int i = 0; i < 100; ++i) {
    if (CanMakeIn(folder) != immutable) return true;
    Sleep(20);
  }
  return false;
}

TEST_F(CommandLineE2E, AFolderWhosePermissionsCannotBeWrittenEndsWithCode7) {
  // Wine writes a folder's DACL as its Unix mode; an immutable folder refuses the change even to
  // root. The share folder and its subfolder exist beforehand, as nothing can be made inside.
  const std::wstring folder = L"C:\\VeltoLocked", sub = folder + L"\\quarnelvelto";
  CreateDirectoryW(folder.c_str(), nullptr);
  CreateDirectoryW(sub.c_str(), nullptr);
  if (!SetImmutable(folder, true)) {
    SetImmutable(folder, false);
    RemoveTree(folder, L"quarnelvelto");
    GTEST_SKIP() << "no immutable folders here (chattr +i)";
  }
  session_->Answer(0);
  QuietRun run = RunRedirected(Quiet(folder, L"VeltoLocked"));
  // Left immutable, the folder would stop the removal of the whole test prefix.
  ASSERT_TRUE(SetImmutable(folder, false)) << "C:\\VeltoLocked is still immutable";
  RemoveTree(folder, L"quarnelvelto");

  EXPECT_EQ(run.exitCode, 7u);
  EXPECT_EQ(OutputLines(run),
            std::vector<std::wstring>{L"フォルダへのEveryone権限の付与に失敗しました。"});
  // The log also keeps the system's code (and text, where it has one) of the failed write.
  const std::vector<std::wstring> logged = Texts(ReadLog(log_));
  ASSERT_EQ(logged.size(), 3u);
  EXPECT_EQ(logged[0], L"フォルダへのEveryone権限の付与に失敗しました。");
  EXPECT_TRUE(std::regex_search(logged[1], std::wregex(L"\\(code=[1-9][0-9]*\\)$")))
      << WideToUtf8(logged[1]);
  EXPECT_EQ(logged[2], L"終了コード: 7");
  EXPECT_EQ(session_->LastCall()["calls"], L"1") << "the share is made before the grant";
}

}  // namespace
}  // namespace qv::e2e

namespace qv::e2e {
namespace {

std::wstring FileSystemOf(const std::wstring& root) {
  wchar_t name[MAX_PATH + 1] = {};
  if (!GetVolumeInformationW(root.c_str(), nullptr, 0, nullptr, nullptr, nullptr, name, MAX_PATH)) {
    return L"不明";
  }
  return name;
}

// /check reads what the double's NetShareGetInfo answers from the shares it made.
class ShareCheckE2E : public CommandLineE2E {
 protected:
  DWORD ShareQuietly(const std::wstring& folder, const std::wstring& name) {
    return RunRedirected({L"/quiet", L"/path", folder, L"/name", name}).exitCode;
  }
  QuietRun Check(const std::wstring& name) {
    return RunRedirected({L"/check", L"/name", name, L"/log", log_});
  }
};

TEST_F(ShareCheckE2E, AShareMadeByQuietIsInOrder) {
  session_->Answer(0);
  ASSERT_EQ(ShareQuietly(kFolder, L"VeltoData"), 0u);
  // The share name is looked up without regard to case, as the server does.
  QuietRun run = Check(L"veltodata");
  EXPECT_TRUE(run.visibleWindows.empty());
  const std::vector<std::wstring> lines = {
      L"共有名: veltodata",
      L"共有のパス: C:\\VeltoData",
      L"共有のコメント: Quarnel財務 共有フォルダ:VeltoData",
      L"共有のアクセス許可 (Everyone): フル コントロール",
      L"フォルダ: あります",
      L"データのフォルダ: あります",
      L"ファイル システム: " + FileSystemOf(L"C:\\"),
      // Wine keeps the folder's list as Unix mode bits and reads Everyone back as 0x1301FF: all
      // but changing permissions and owner, which is Modify.
      L"フォルダのアクセス許可 (Everyone): 変更",
      L"判定: 問題ありません。",
  };
  EXPECT_EQ(BeforeReach(OutputLines(run)), lines);
  const std::vector<std::wstring> reach = ReachLines(OutputLines(run));
  std::string told;
  for (const std::wstring& line : reach) told += WideToUtf8(line) + "\n";
  // Everything of the share is in order, but Wine's Server service is installed disabled, and
  // the reachability report counts that as a clear reason no other computer gets in.
  EXPECT_EQ(run.exitCode, 9u) << told;
  ASSERT_FALSE(reach.empty());
  EXPECT_EQ(reach.front(), L"サーバー サービス: 停止 (スタートアップの種類: 無効)");
  EXPECT_EQ(reach.back(), L"判定 (他のパソコンから): 接続できない原因があります。");
  const std::vector<std::wstring> logged = Texts(ReadLog(log_));
  EXPECT_EQ(BeforeReach(logged), lines);
  ASSERT_FALSE(logged.empty());
  EXPECT_EQ(logged.back(), L"終了コード: 9");
  auto query = session_->LastQuery();
  EXPECT_EQ(query["calls"], L"1");
  EXPECT_EQ(query["level"], L"502");
  EXPECT_EQ(query["netname"], L"veltodata");
  EXPECT_EQ(session_->LastCall()["calls"], L"1") << "the check changed something";
}

TEST_F(ShareCheckE2E, MissingOrUnreadableSharesEndWithCode9) {
  const std::vector<std::wstring> missing = {L"共有: ありません",
                                             L"判定: 共有が設定されていません。"};
  const struct {
    const char* what;
    DWORD shareAnswer;  // the double's answer when the share was made; -1: not made at all
    DWORD queryAnswer;  // forced answer of NetShareGetInfo, 0 for none
    bool removeFolder;
    std::vector<std::wstring> lines;  // after the name line
    DWORD exitCode = 9;
    bool removeSubfolder = false;
  } cases[] = {
      {"never shared", 0xFFFFFFFF, 0, false, missing},
      {"the share call failed", 2118, 0, false, missing},
      {"the edition's subfolder is gone",
       0,
       0,
       false,
       {L"共有のパス: C:\\VeltoData", L"共有のコメント: Quarnel財務 共有フォルダ:VeltoData",
        L"共有のアクセス許可 (Everyone): フル コントロール", L"フォルダ: あります",
        L"データのフォルダ: ありません", L"ファイル システム: " + FileSystemOf(L"C:\\"),
        L"フォルダのアクセス許可 (Everyone): 変更", L"判定: 問題があります。"},
       9,
       true},
      // Not being allowed to look is the caller's to mend, as with /quiet.
      {"the server refuses to tell",
       0,
       5,
       false,
       {L"共有: 読み取れません " + CrlfLines(SystemText(5)).at(0) + L"(code=5)",
        L"判定: 共有の状態を確認できません。"},
       4},
      {"the folder is gone",
       0,
       0,
       true,
       {L"共有のパス: C:\\VeltoData", L"共有のコメント: Quarnel財務 共有フォルダ:VeltoData",
        L"共有のアクセス許可 (Everyone): フル コントロール", L"フォルダ: ありません",
        L"判定: 問題があります。"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    session_->ClearLog();
    DeleteFileW(log_.c_str());
    if (c.shareAnswer != 0xFFFFFFFF) {
      session_->Answer(c.shareAnswer);
      ShareQuietly(kFolder, L"VeltoData");
    }
    if (c.removeFolder) RemoveTree(kFolder, L"quarnelvelto");
    if (c.removeSubfolder) RemoveDirectoryW(kSubfolder.c_str());
    // A /quiet that found the name taken has read the share already.
    const int queriesBefore = std::stoi(session_->LastQuery()["calls"]);
    ScopedEnvironment forced(L"QV_NETAPI_GETINFO_RESULT", std::to_wstring(c.queryAnswer));
    QuietRun run = Check(L"VeltoData");
    EXPECT_EQ(run.exitCode, c.exitCode);
    std::vector<std::wstring> lines = {L"共有名: VeltoData"};
    lines.insert(lines.end(), c.lines.begin(), c.lines.end());
    EXPECT_EQ(BeforeReach(OutputLines(run)), lines);
    const std::vector<std::wstring> logged = Texts(ReadLog(log_));
    EXPECT_EQ(BeforeReach(logged), lines);
    ASSERT_FALSE(logged.empty());
    EXPECT_EQ(logged.back(), L"終了コード: " + std::to_wstring(c.exitCode));
    EXPECT_EQ(session_->LastQuery()["calls"], std::to_wstring(queriesBefore + 1));
    RemoveTree(kFolder, L"quarnelvelto");
  }
}

// A name the share step would refuse is refused without asking the server: the server would
// otherwise be asked about "M?ller", another name than the one given.
TEST_F(ShareCheckE2E, NamesTheShareStepRefusesEndWithCode2WithoutAQuery) {
  const struct {
    std::wstring name;
    std::wstring line;
  } cases[] = {
      {L"M\u00FCller", L"共有名に使用できない文字が含まれています。"},
      {L"a/b", L"共有名に使用できない文字が含まれています。"},
      {std::wstring(41, L'\u4F1A'), L"共有名が長すぎます。"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(WideToUtf8(c.name));
    session_->ClearLog();
    DeleteFileW(log_.c_str());
    QuietRun run = Check(c.name);
    EXPECT_EQ(run.exitCode, 2u);
    const std::vector<std::wstring> lines = OutputLines(run);
    ASSERT_GE(lines.size(), 2u);
    EXPECT_EQ(lines[1], c.line);
    EXPECT_EQ(session_->LastQuery()["calls"], L"0");
  }
}

}  // namespace
}  // namespace qv::e2e

namespace qv::e2e {
namespace {

// The folder's DACL as the system reads it back; Wine makes it up from the Unix mode.
std::string DaclBytes(const std::wstring& path) {
  PACL dacl = nullptr;
  PSECURITY_DESCRIPTOR sd = nullptr;
  if (GetNamedSecurityInfoW(path.c_str(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr,
                            nullptr, &dacl, nullptr, &sd) != ERROR_SUCCESS) {
    return {};
  }
  std::string bytes;
  if (dacl) bytes.assign(reinterpret_cast<const char*>(dacl), dacl->AclSize);
  LocalFree(sd);
  return bytes;
}

TEST_F(CommandLineE2E, ALinkToTheWindowsFolderIsRefusedAndNothingIsMadeOrGranted) {
  const std::wstring link = L"C:\\VeltoLink";
  UnixDirectoryLink planted(link, L"C:\\windows");
  if (!planted.Made()) GTEST_SKIP() << "no Unix ln here";
  const std::string windowsDacl = DaclBytes(L"C:\\windows");
  ASSERT_FALSE(windowsDacl.empty());
  session_->Answer(0);
  for (const std::wstring& path : {link, link + L"\\", link + L"\\Sub"}) {
    SCOPED_TRACE(WideToUtf8(path));
    DeleteFileW(log_.c_str());
    QuietRun run = RunRedirected(Quiet(path, L"VeltoLink"));
    const std::vector<std::wstring> lines = {
        L"選択したフォルダは別の場所へのリンクです。",
        L"リンク先のフォルダを直接選択してください。",
        path.ends_with(L"Sub") ? L"C:\\windows\\Sub" : L"C:\\windows"};
    EXPECT_EQ(run.exitCode, 2u);
    EXPECT_EQ(OutputLines(run), lines);
    std::vector<std::wstring> logged = lines;
    logged.push_back(L"終了コード: 2");
    EXPECT_EQ(Texts(ReadLog(log_)), logged);
  }
  EXPECT_EQ(session_->LastCall()["calls"], L"0");
  EXPECT_FALSE(IsDirectory(L"C:\\windows\\quarnelvelto"));
  EXPECT_FALSE(IsDirectory(L"C:\\windows\\Sub"));
  EXPECT_EQ(DaclBytes(L"C:\\windows"), windowsDacl) << "C:\\windows was opened to everyone";
}

TEST_F(CommandLineE2E, EverySpellingIsDecidedOnThePathTheSystemResolves) {
  const std::vector<std::wstring> systemLocation = {
      L"選択した場所には、ドライブ全体またはシステムのフォルダが含まれています。",
      L"この場所を共有するには /yes を指定してください。"};
  const struct {
    std::wstring typed;
    DWORD exitCode;
    std::vector<std::wstring> lines;
  } cases[] = {
      {L"C:\\VeltoUp\\..\\windows", 2, systemLocation}, {L"C:\\windows.", 2, systemLocation},
      {L"C:\\windows\\system32", 2, systemLocation},    {L"C:/VeltoData/./", 0, {kShared}},
      {L"C:\\VeltoUp\\..\\VeltoData. ", 0, {kShared}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(WideToUtf8(c.typed));
    session_->ClearLog();
    session_->Answer(0);
    QuietRun run = RunRedirected(Quiet(c.typed, L"VeltoData"));
    EXPECT_EQ(run.exitCode, c.exitCode);
    EXPECT_EQ(BeforeReach(OutputLines(run)), c.lines);
    if (c.exitCode == 0) {
      EXPECT_EQ(session_->LastCall()["path"], kFolder) << "the record shows the canonical path";
      EXPECT_TRUE(IsDirectory(kSubfolder));
    } else {
      EXPECT_EQ(session_->LastCall()["calls"], L"0");
    }
    EXPECT_FALSE(IsDirectory(L"C:\\VeltoUp"));
    RemoveTree(kFolder, L"quarnelvelto");
  }
}

}  // namespace
}  // namespace qv::e2e

namespace qv::e2e {
namespace {

TEST_F(CommandLineE2E, AFolderThatWasNotMadeIsNeverShared) {
  const std::wstring file = L"C:\\VeltoFile";
  {
    UniqueHandle made(CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_TRUE(made && made.get() != INVALID_HANDLE_VALUE);
  }
  for (const std::wstring& path : {file, std::wstring(L"Q:\\Nowhere")}) {
    SCOPED_TRACE(WideToUtf8(path));
    // The cause told is the system's own answer to making that folder.
    ASSERT_FALSE(CreateDirectoryW(path.c_str(), nullptr));
    const DWORD error = GetLastError();
    session_->ClearLog();
    session_->Answer(0);
    QuietRun run = RunRedirected(Quiet(path, L"VeltoData"));
    EXPECT_EQ(run.exitCode, 5u);
    std::vector<std::wstring> lines = {L"フォルダを作成できませんでした。", path};
    lines.push_back(CrlfLines(SystemText(error)).at(0));
    EXPECT_EQ(OutputLines(run), lines);
    EXPECT_EQ(session_->LastCall()["calls"], L"0");
  }
  DeleteFileW(file.c_str());
}

}  // namespace
}  // namespace qv::e2e

namespace qv::e2e {
namespace {

TEST_F(CommandLineE2E, NamesTheServerRefusesAreRefusedBeforeAnyFolderIsMade) {
  for (const std::wstring name : {L"[a]", L"C$", L"ipc$"}) {
    SCOPED_TRACE(WideToUtf8(name));
    session_->ClearLog();
    session_->Answer(0);
    QuietRun run = RunRedirected(Quiet(kFolder, name));
    EXPECT_EQ(run.exitCode, 2u);
    EXPECT_EQ(OutputLines(run),
              std::vector<std::wstring>{L"共有名に使用できない文字が含まれています。"});
    EXPECT_EQ(session_->LastCall()["calls"], L"0");
    EXPECT_FALSE(IsDirectory(kFolder));
  }
}

}  // namespace
}  // namespace qv::e2e

namespace qv::e2e {
namespace {

TEST_F(CommandLineE2E, AFortyFiveCharacterJapaneseNameIsRefusedNotCut) {
  std::wstring name;
  for (int i = 0; i < 45; ++i) name += L"共";
  session_->Answer(0);
  QuietRun run = RunRedirected(Quiet(kFolder, name));
  EXPECT_EQ(run.exitCode, 2u);
  EXPECT_EQ(OutputLines(run),
            (std::vector<std::wstring>{L"共有名が長すぎます。",
                                       L"全角40文字、半角80文字以内で入力してください。"}));
  EXPECT_EQ(session_->LastCall()["calls"], L"0");
  EXPECT_FALSE(IsDirectory(kFolder));
}

// /remove against the double: the share it made goes, the folder and its files stay.
class ShareRemovalE2E : public CommandLineE2E {
 protected:
  DWORD ShareQuietly() {
    session_->Answer(0);
    return RunRedirected({L"/quiet", L"/path", kFolder, L"/name", L"VeltoData"}).exitCode;
  }
  QuietRun Remove(const std::wstring& name) {
    return RunRedirected({L"/remove", L"/name", name, L"/yes", L"/log", log_});
  }
  // The line that tells the list before the change, without its label; "" when there is none.
  static std::wstring DaclLine(const std::vector<std::wstring>& lines) {
    const std::wstring label = L"変更前のフォルダのアクセス許可 (SDDL): ";
    for (const std::wstring& line : lines) {
      if (line.starts_with(label)) return line.substr(label.size());
    }
    return {};
  }
};

TEST_F(ShareRemovalE2E, TheShareGoesAndTheFolderWithItsFilesStays) {
  ASSERT_EQ(ShareQuietly(), 0u);
  const std::wstring kept = kFolder + L"\\keep.txt";
  {
    UniqueHandle made(CreateFileW(kept.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_TRUE(made && made.get() != INVALID_HANDLE_VALUE);
  }
  const std::string folderDacl = DaclBytes(kFolder);
  // The share name is found without regard to case, as the server does.
  QuietRun run = Remove(L"veltodata");
  EXPECT_EQ(run.exitCode, 0u);
  EXPECT_TRUE(run.visibleWindows.empty()) << "/yes asks nothing";
  const std::vector<std::wstring> lines = OutputLines(run);
  ASSERT_EQ(lines.size(), 6u);
  EXPECT_EQ(lines[0], L"共有名: veltodata");
  EXPECT_EQ(lines[1], L"共有のパス: C:\\VeltoData");
  // The system's own text form of the list as it was, Everyone among its entries.
  EXPECT_TRUE(std::regex_match(DaclLine(lines), std::wregex(L"D:[A-Z]*(\\([^)]*\\))+")))
      << WideToUtf8(lines[2]);
  EXPECT_NE(DaclLine(lines).find(L";;;WD)"), std::wstring::npos) << WideToUtf8(lines[2]);
  EXPECT_EQ(lines[3], L"共有を削除しました。");
  // Wine keeps the list as Unix mode bits and reads Everyone back as 0x1301FF, not as the entry
  // the share job writes: the folder is left as it is.
  EXPECT_EQ(
      lines[4],
      L"フォルダにはこのプログラムが付ける Everyone の許可がないため、フォルダはそのままです。");
  EXPECT_EQ(lines[5], L"フォルダとその中のファイルは削除していません。");
  std::vector<std::wstring> logged = lines;
  logged.push_back(L"終了コード: 0");
  EXPECT_EQ(Texts(ReadLog(log_)), logged);

  auto removed = session_->LastDelete();
  EXPECT_EQ(removed["calls"], L"1");
  EXPECT_EQ(removed["netname"], L"veltodata");
  EXPECT_EQ(removed["servername"], L"<null>");
  EXPECT_EQ(removed["result"], L"0");
  EXPECT_EQ(session_->LastQuery()["level"], L"502");
  EXPECT_TRUE(IsDirectory(kSubfolder));
  EXPECT_TRUE(FileExists(kept));
  EXPECT_EQ(DaclBytes(kFolder), folderDacl);
  DeleteFileW(kept.c_str());

  // Gone for the server too: a second removal finds nothing.
  EXPECT_EQ(Remove(L"VeltoData").exitCode, 3u);
}

TEST_F(ShareRemovalE2E, CodesOfAMissingShareAndOfRefusals) {
  const struct {
    const char* what;
    bool shared;
    const wchar_t* queryAnswer;   // forced NetShareGetInfo result
    const wchar_t* deleteAnswer;  // forced NetShareDel result
    DWORD exitCode;
    int deletes;
  } cases[] = {
      {"never shared", false, L"0", L"0", 3, 0},
      {"the server will not tell", true, L"5", L"0", 4, 0},
      {"the server will not remove it", true, L"0", L"5", 4, 1},
      {"the server fails otherwise", true, L"0", L"87", 6, 1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    session_->ClearLog();
    DeleteFileW(log_.c_str());
    if (c.shared) {
      ASSERT_EQ(ShareQuietly(), 0u);
    }
    const std::string folderDacl = DaclBytes(kFolder);
    ScopedEnvironment query(L"QV_NETAPI_GETINFO_RESULT", c.queryAnswer);
    ScopedEnvironment removal(L"QV_NETAPI_DEL_RESULT", c.deleteAnswer);
    QuietRun run = Remove(L"VeltoData");
    EXPECT_EQ(run.exitCode, c.exitCode);
    EXPECT_EQ(session_->LastDelete()["calls"], std::to_wstring(c.deletes));
    std::vector<std::wstring> lines = OutputLines(run);
    ASSERT_FALSE(lines.empty());
    EXPECT_NE(lines.back().find(L"何も変更していません。"), std::wstring::npos)
        << WideToUtf8(lines.back());
    if (c.shared) {
      EXPECT_TRUE(IsDirectory(kSubfolder));
      EXPECT_EQ(DaclBytes(kFolder), folderDacl);
    }
    RemoveTree(kFolder, L"quarnelvelto");
  }
}

TEST_F(ShareRemovalE2E, AShareWhoseFolderIsNowALinkIsRefused) {
  ASSERT_EQ(ShareQuietly(), 0u);
  RemoveTree(kFolder, L"quarnelvelto");
  ASSERT_FALSE(IsDirectory(kFolder));
  UnixDirectoryLink planted(kFolder, L"C:\\windows");
  if (!planted.Made()) GTEST_SKIP() << "no Unix ln here";
  const std::string windowsDacl = DaclBytes(L"C:\\windows");
  QuietRun run = Remove(L"VeltoData");
  EXPECT_EQ(run.exitCode, 6u);
  EXPECT_EQ(OutputLines(run), (std::vector<std::wstring>{
                                  L"共有名: VeltoData", L"共有のパス: C:\\VeltoData",
                                  L"共有のフォルダは別の場所へのリンクです。何も変更していません。",
                                  L"リンク先: C:\\windows"}));
  EXPECT_EQ(session_->LastDelete()["calls"], L"0") << "the share was removed all the same";
  EXPECT_EQ(DaclBytes(L"C:\\windows"), windowsDacl);
}

const std::wstring kAlreadyShared = L"共有フォルダは設定済みです。";

// A share of the name the double keeps as made earlier by someone else (a block of its log).
void RecordShareMadeElsewhere(const std::wstring& netapiLog, const std::wstring& name,
                              const std::wstring& path, const std::wstring& descriptorHex) {
  std::ofstream out(WideToUtf8(netapiLog).c_str(), std::ios::binary | std::ios::app);
  out << "call\nservername=<null>\nlevel=502\nnetname=" << WideToUtf8(name)
      << "\ntype=0\npath=" << WideToUtf8(path)
      << "\nsecurity_descriptor=" << WideToUtf8(descriptorHex) << "\nresult=0\n";
}

// The share's name is taken when /quiet runs again: a share of the same folder (the tool's own
// from an earlier run, or someone else's with less than full control) is taken over and the job
// finished; a share of another folder stays the name's refusal.
TEST_F(CommandLineE2E, ARerunFinishesTheJobOnAShareOfTheSameFolder) {
  std::wstring readOnlyHex = kEveryoneFullControlHex;
  readOnlyHex.replace(readOnlyHex.find(L"ff011f00"), 8, L"a9001200");
  const std::wstring other = L"C:\\VeltoOther";
  const struct {
    const char* what;
    std::wstring earlierPath;  // "" for an earlier /quiet of the tool itself
    std::wstring earlierDescriptor;
    DWORD exitCode;
    std::wstring told;
    bool permissionsSet, granted;
  } cases[] = {
      {"an earlier run of the tool", L"", L"", 0, kAlreadyShared, false, true},
      // Spelled as typed by hand: the folder is compared as the system resolves it.
      {"someone else's share, read only", L"c:\\veltodata\\", readOnlyHex, 0, kAlreadyShared, true,
       true},
      {"a share of another folder", other, kEveryoneFullControlHex, 3,
       L"指定した共有名は、既に使われています。", false, false},
  };
  CreateDirectoryW(other.c_str(), nullptr);
  session_->Answer(0);
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    session_->ClearLog();
    RemoveTree(kFolder, L"quarnelvelto");
    if (c.earlierPath.empty()) {
      ASSERT_EQ(RunRedirected(Quiet(kFolder, L"VeltoData")).exitCode, 0u);
    } else {
      CreateDirectoryW(kFolder.c_str(), nullptr);
      RecordShareMadeElsewhere(session_->Log(), L"VeltoData", c.earlierPath, c.earlierDescriptor);
    }
    const std::string daclBefore = DaclBytes(kFolder);
    DeleteFileW(log_.c_str());
    QuietRun run = RunRedirected(Quiet(kFolder, L"VeltoData"));
    EXPECT_EQ(run.exitCode, c.exitCode);
    EXPECT_EQ(BeforeReach(OutputLines(run)), std::vector<std::wstring>{c.told});
    auto call = session_->LastCall();
    EXPECT_EQ(call["calls"], L"2");
    EXPECT_EQ(call["result"], L"2118");
    auto query = session_->LastQuery();
    EXPECT_EQ(query["calls"], L"1");
    EXPECT_EQ(query["servername"], L"<null>");
    EXPECT_EQ(query["netname"], L"VeltoData");
    EXPECT_EQ(query["level"], L"502");
    auto permissions = session_->LastSetInfo();
    EXPECT_EQ(permissions["calls"], c.permissionsSet ? L"1" : L"0");
    if (c.permissionsSet) {
      EXPECT_EQ(permissions["servername"], L"<null>");
      EXPECT_EQ(permissions["netname"], L"VeltoData");
      EXPECT_EQ(permissions["level"], L"1501");
      EXPECT_EQ(permissions["reserved"], L"0");
      EXPECT_EQ(permissions["security_descriptor"], kEveryoneFullControlHex);
      EXPECT_EQ(permissions["result"], L"0");
    }
    // Wine keeps the folder's list as Unix mode bits: a folder made by the test reads Everyone
    // 0x1200A9 until the grant writes full control.
    if (!c.earlierPath.empty()) {
      EXPECT_EQ(DaclBytes(kFolder) != daclBefore, c.granted);
    }
  }
  RemoveDirectoryW(other.c_str());
}

// Runs a Unix program (Wine starts it by its Z: path) and waits until acted() says it has: Wine's
// handle of a Unix process cannot be waited on.
bool RunUnixUntil(const std::wstring& program, const std::vector<std::wstring>& arguments,
                  const std::function<bool()>& acted) {
  try {
    Process::Start(program, arguments);
  } catch (const DriverError&) {
    return false;
  }
  for (int i = 0; i < 150; ++i) {
    if (acted()) return true;
    Sleep(20);
  }
  return false;
}

// A run whose grant failed (exit 7) left its share behind; once the folder can be written again,
// the same run ends 0. The folder that cannot be granted is a tmpfs remounted read-only: the
// grant, which Wine turns into a chmod, then fails with EROFS even for root.
TEST_F(CommandLineE2E, AGrantThatFailedIsFinishedByARerun) {
  const std::wstring folder = L"C:\\VeltoLocked", sub = folder + L"\\quarnelvelto";
  // Hidden while the tmpfs lies over the folder.
  const std::wstring marker = folder + L"\\unmounted";
  CreateDirectoryW(folder.c_str(), nullptr);
  CloseHandle(CreateFileW(marker.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                          FILE_ATTRIBUTE_NORMAL, nullptr));
  const std::wstring mount = L"Z:\\bin\\mount", unixFolder = Utf8ToWide(UnixNameOf(folder));
  const bool mounted =
      !unixFolder.empty() && FileExists(marker) &&
      RunUnixUntil(mount, {L"-t", L"tmpfs", L"-o", L"size=1m,mode=755", L"tmpfs", unixFolder},
                   [&] { return !FileExists(marker); });
  struct Unmount {
    std::wstring unixFolder, marker, folder;
    bool mounted;
    ~Unmount() {
      if (mounted) {
        RunUnixUntil(L"Z:\\bin\\umount", {unixFolder}, [this] { return FileExists(marker); });
      }
      DeleteFileW(marker.c_str());
      RemoveDirectoryW(folder.c_str());
    }
  } unmount{unixFolder, marker, folder, mounted};
  if (!mounted) GTEST_SKIP() << "mounting a tmpfs is not allowed here";
  ASSERT_TRUE(CreateDirectoryW(sub.c_str(), nullptr));
  ASSERT_TRUE(
      RunUnixUntil(mount, {L"-o", L"remount,ro", unixFolder}, [&] { return !CanMakeIn(folder); }));
  session_->Answer(0);
  QuietRun failed = RunRedirected(Quiet(folder, L"VeltoLocked"));
  EXPECT_EQ(failed.exitCode, 7u);
  EXPECT_EQ(OutputLines(failed),
            std::vector<std::wstring>{L"フォルダへのEveryone権限の付与に失敗しました。"});

  ASSERT_TRUE(
      RunUnixUntil(mount, {L"-o", L"remount,rw", unixFolder}, [&] { return CanMakeIn(folder); }));
  const std::string daclBefore = DaclBytes(folder);
  QuietRun rerun = RunRedirected(Quiet(folder, L"VeltoLocked"));
  EXPECT_EQ(rerun.exitCode, 0u);
  EXPECT_EQ(BeforeReach(OutputLines(rerun)), std::vector<std::wstring>{kAlreadyShared});
  EXPECT_NE(DaclBytes(folder), daclBefore) << "the re-run did not grant";
  auto call = session_->LastCall();
  EXPECT_EQ(call["calls"], L"2");
  EXPECT_EQ(call["result"], L"2118");
  EXPECT_EQ(session_->LastSetInfo()["calls"], L"0") << "the share kept its own permissions";
  RemoveDirectoryW(sub.c_str());
}

}  // namespace
}  // namespace qv::e2e
