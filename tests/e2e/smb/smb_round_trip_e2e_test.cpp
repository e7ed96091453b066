// What the office needs in the end: a user on another computer saves the accounting data into the
// share. The program shares a folder of the Wine prefix against the netapi32 double; the share as
// the double recorded it (name, remark, the folder's Unix path, the descriptor's bytes) is handed
// to a private Samba server through its share-adding RPC, and a second Linux user, not the folder's
// owner, saves, lists, reads back and deletes a file through smbclient.
//
// What this shows: the descriptor we build means "Everyone may write" to a real SMB server, and the
// folder grant (under Wine: the folder's Unix mode) lets another user write. What it cannot show:
// Windows' own default share permission, or NTFS inheritance, which Wine does not keep.
#include <aclapi.h>
#include <gtest/gtest.h>
#include <sddl.h>

#include <algorithm>
#include <cstdio>
#include <iostream>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "e2e_support.h"
#include "netapi_double_support.h"
#include "smb_server_support.h"

namespace qv::e2e {
namespace {

// The file another PC saves: every byte value, and Shift-JIS text whose trail bytes include a
// backslash (表 is 0x95 0x5C), so that no layer may treat it as text.
std::string AccountingData() {
  std::string data;
  for (int round = 0; round < 8; ++round) {
    for (int b = 0; b < 256; ++b) data.push_back(static_cast<char>(b));
  }
  data += "\x94\x84\x8f\xe3\x95\x5c\r\n";  // 売上表
  return data;
}

// Narrow literals are code page 932 here; the server and client take UTF-8.
const std::string kRemoteName = WideToUtf8(L"会計データ.dat");

std::wstring Wide(const std::string& utf8) { return Utf8ToWide(utf8); }

bool WriteFileBytes(const std::wstring& path, const std::string& bytes) {
  UniqueHandle file = FileHandle(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                             FILE_ATTRIBUTE_NORMAL, nullptr));
  DWORD written = 0;
  return file &&
         WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
         written == bytes.size();
}

std::optional<std::string> ReadFileBytes(const std::wstring& path) {
  UniqueHandle file = FileHandle(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                             OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return std::nullopt;
  std::string bytes;
  char buf[4096];
  DWORD n = 0;
  while (ReadFile(file.get(), buf, sizeof(buf), &n, nullptr) && n > 0) bytes.append(buf, n);
  return bytes;
}

using UniqueSid = win::UniqueAny<PSID, ::FreeSid>;

UniqueSid EveryoneSid() {
  SID_IDENTIFIER_AUTHORITY world = SECURITY_WORLD_SID_AUTHORITY;
  UniqueSid sid;
  AllocateAndInitializeSid(&world, 1, SECURITY_WORLD_RID, 0, 0, 0, 0, 0, 0, 0, sid.put());
  return sid;
}

// Everyone's allowed rights in a path's DACL as the system reads it back, or nullopt.
std::optional<DWORD> EveryoneMask(const std::wstring& path) {
  PACL dacl = nullptr;
  PSECURITY_DESCRIPTOR sd = nullptr;
  if (GetNamedSecurityInfoW(path.c_str(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr,
                            nullptr, &dacl, nullptr, &sd) != ERROR_SUCCESS) {
    return std::nullopt;
  }
  win::UniqueLocal owner(sd);
  UniqueSid everyone = EveryoneSid();
  if (!everyone) return std::nullopt;
  DWORD mask = 0;
  for (DWORD i = 0; dacl && i < dacl->AceCount; ++i) {
    ACCESS_ALLOWED_ACE* ace = nullptr;
    if (GetAce(dacl, i, reinterpret_cast<void**>(&ace)) &&
        ace->Header.AceType == ACCESS_ALLOWED_ACE_TYPE &&
        EqualSid(&ace->SidStart, everyone.get())) {
      mask |= ace->Mask;
    }
  }
  return mask;
}

// The recorded descriptor with every entry allowing Everyone narrowed to reading (0x1200A9), or
// nothing if the bytes are not a descriptor with such an entry.
std::optional<std::string> ReadOnlyVariant(const std::string& hex) {
  std::string bytes;
  for (std::size_t i = 0; i + 1 < hex.size(); i += 2) {
    bytes.push_back(static_cast<char>(std::stoi(hex.substr(i, 2), nullptr, 16)));
  }
  PSECURITY_DESCRIPTOR sd = bytes.data();
  BOOL present = FALSE, defaulted = FALSE;
  PACL dacl = nullptr;
  if (!IsValidSecurityDescriptor(sd) ||
      !GetSecurityDescriptorDacl(sd, &present, &dacl, &defaulted) || !present || !dacl) {
    return std::nullopt;
  }
  UniqueSid everyone = EveryoneSid();
  if (!everyone) return std::nullopt;
  int narrowed = 0;
  for (DWORD i = 0; i < dacl->AceCount; ++i) {
    ACCESS_ALLOWED_ACE* ace = nullptr;
    if (GetAce(dacl, i, reinterpret_cast<void**>(&ace)) &&
        ace->Header.AceType == ACCESS_ALLOWED_ACE_TYPE &&
        EqualSid(&ace->SidStart, everyone.get())) {
      ace->Mask = FILE_GENERIC_READ | FILE_GENERIC_EXECUTE;
      ++narrowed;
    }
  }
  if (narrowed == 0) return std::nullopt;
  std::string out;
  char pair[3];
  for (unsigned char b : bytes) {
    std::snprintf(pair, sizeof(pair), "%02x", b);
    out += pair;
  }
  return out;
}

// One run of the program without a window: its exit code and its output lines (code page 932).
struct ToolRun {
  DWORD exitCode = 0xFFFFFFFF;
  std::vector<std::wstring> lines;
};

ToolRun RunTool(const std::vector<std::wstring>& arguments) {
  ToolRun run;
  // A file of its own for each run: Wine starts its desktop process for a run that makes a window
  // (the reachability report's COM apartment does), and that process holds the inherited handle
  // for a few seconds after the run ends.
  static int runs = 0;
  std::wstring outPath = SmbStateDir() + L"\\tool-output-" + std::to_wstring(++runs) + L".txt";
  SECURITY_ATTRIBUTES inherit{sizeof(inherit), nullptr, TRUE};
  {
    UniqueHandle out =
        FileHandle(CreateFileW(outPath.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit,
                               CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!out) {
      ADD_FAILURE() << "cannot make " << WideToUtf8(outPath) << " (error " << GetLastError() << ")";
      return run;
    }
    Process process = Process::Start(ToolPath(), arguments, {}, out.get());
    if (!process.WaitForExit(30000)) {
      ADD_FAILURE() << "the tool did not end";
      process.Terminate(99);
      process.WaitForExit(5000);
      return run;
    }
    run.exitCode = process.ExitCode();
  }
  std::string bytes = ReadFileBytes(outPath).value_or("");
  int n = MultiByteToWideChar(932, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
  std::wstring text(static_cast<std::size_t>(n), L'\0');
  MultiByteToWideChar(932, 0, bytes.data(), static_cast<int>(bytes.size()), text.data(), n);
  for (std::size_t start = 0; start < text.size();) {
    std::size_t end = text.find(L"\r\n", start);
    if (end == std::wstring::npos) end = text.size();
    run.lines.push_back(text.substr(start, end - start));
    start = end + 2;
  }
  return run;
}

// Prints what the server and the client said, so that a run's log shows the round trip.
void Show(const char* step, const ServerAnswer& answer) {
  std::cout << "---- " << step;
  for (const auto& [key, value] : answer.fields) std::cout << ' ' << key << '=' << value;
  std::cout << '\n' << answer.transcript;
  std::cout.flush();
}

class SmbRoundTripE2E : public ::testing::Test {
 protected:
  void SetUp() override {
    auto state = SmbServerState();
    std::string reason = !state                         ? "the server fixture did not run "
                                                          "(ctest starts it: e2e.smb.ServerStart)"
                         : state->count("reason") != 0  ? (*state)["reason"]
                         : (*state)["available"] != "1" ? "the server is not running"
                                                        : "";
    if (!reason.empty()) {
      if (InContinuousIntegration()) FAIL() << "CI must run the SMB round trip: " << reason;
      GTEST_SKIP() << "no SMB round trip on this machine: " << reason;
    }
    user_ = (*state)["user"];
    RemoveNativeNetapiOverride();
    session_.emplace("e2e-smb-netapi");
    session_->Answer(0);
  }

  void TearDown() override {
    session_.reset();
    for (const std::wstring& folder : folders_) RemoveFolder(folder);
  }

  static void RemoveFolder(const std::wstring& folder) {
    DeleteFileW((folder + L"\\" + Wide(kRemoteName)).c_str());
    RemoveDirectoryW((folder + L"\\quarnelvelto").c_str());
    RemoveDirectoryW(folder.c_str());
  }

  // A folder the program is about to make: none of it is left from before, or after the test.
  void WillMake(const std::wstring& folder) {
    RemoveFolder(folder);
    folders_.push_back(folder);
  }

  std::wstring Remote(const std::wstring& folder) const {
    return folder + L"\\" + Wide(kRemoteName);
  }

  // The share as the program asked for it, handed to the server; the descriptor may be replaced.
  ServerAnswer AddRecordedShare(const std::optional<std::string>& descriptor = std::nullopt) {
    auto call = session_->LastCall();
    EXPECT_EQ(call["calls"], L"1");
    EXPECT_EQ(call["level"], L"502");
    std::string path = UnixNameOf(call["path"]);
    EXPECT_FALSE(path.empty()) << "no Unix path for " << WideToUtf8(call["path"]);
    ServerAnswer added = AskSmbServer({
        {"action", "add"},
        {"name", WideToUtf8(call["netname"])},
        {"remark", WideToUtf8(call["remark"])},
        {"path", path},
        {"max_uses", WideToUtf8(call["max_uses"])},
        {"security_descriptor", descriptor.value_or(WideToUtf8(call["security_descriptor"]))},
    });
    Show("NetShareAdd (srvsvc, level 502) and the server's view", added);
    EXPECT_EQ(added.Field("error"), "");
    EXPECT_EQ(added.Field("status"), "0") << "the server refused the share";
    shareName_ = WideToUtf8(call["netname"]);
    return added;
  }

  ServerAnswer Client(const std::vector<std::string>& commands) {
    ServerRequest request = {{"action", "client"}, {"name", shareName_}};
    for (const std::string& c : commands) request.push_back({"command", c});
    ServerAnswer answer = AskSmbServer(request);
    Show("smbclient", answer);
    EXPECT_EQ(answer.Field("error"), "");
    EXPECT_EQ(answer.Field("user"), user_);
    return answer;
  }

  std::string UnixOwner(const std::wstring& path) {
    ServerAnswer answer = AskSmbServer({{"action", "owner"}, {"path", UnixNameOf(path)}});
    EXPECT_EQ(answer.Field("error"), "");
    return answer.Field("owner");
  }

  // The second user saves, lists, reads back and deletes the file; the folder shows it in between.
  void RoundTrip(const std::wstring& folder) {
    const std::string data = AccountingData();
    const std::string upload = std::string(QV_SMB_STATE_DIR) + "/upload.dat";
    const std::string download = std::string(QV_SMB_STATE_DIR) + "/download.dat";
    ASSERT_TRUE(WriteFileBytes(FromUnixPath(Wide(upload)), data));
    DeleteFileW(FromUnixPath(Wide(download)).c_str());
    ASSERT_NE(UnixOwner(folder), user_) << "the client must not be the folder's owner";

    ServerAnswer saved = Client({"put " + upload + " " + kRemoteName, "ls"});
    EXPECT_EQ(saved.Field("exit.0"), "0") << "put";
    EXPECT_EQ(saved.Field("exit.1"), "0") << "ls";
    EXPECT_NE(saved.transcript.find(kRemoteName + " "), std::string::npos) << "not listed";
    // Wine sees what the server wrote, in the folder the program shared, made by the second user.
    EXPECT_EQ(ReadFileBytes(Remote(folder)), data);
    EXPECT_EQ(UnixOwner(Remote(folder)), user_);

    ServerAnswer readBack = Client({"get " + kRemoteName + " " + download, "del " + kRemoteName});
    EXPECT_EQ(readBack.Field("exit.0"), "0") << "get";
    EXPECT_EQ(readBack.Field("exit.1"), "0") << "del";
    EXPECT_EQ(ReadFileBytes(FromUnixPath(Wide(download))), data) << "not read back byte for byte";
    EXPECT_FALSE(FileExists(Remote(folder))) << "not deleted";
  }

  // The client's attempt to save where it must be refused.
  void RefusedSave(const std::wstring& folder) {
    const std::string upload = std::string(QV_SMB_STATE_DIR) + "/upload.dat";
    ASSERT_TRUE(WriteFileBytes(FromUnixPath(Wide(upload)), AccountingData()));
    ServerAnswer refused = Client({"put " + upload + " " + kRemoteName});
    EXPECT_NE(refused.Field("exit.0"), "0") << "the server took the file";
    EXPECT_NE(refused.transcript.find("NT_STATUS_ACCESS_DENIED"), std::string::npos);
    EXPECT_FALSE(FileExists(Remote(folder)));
  }

  // /check reads the share back from the double; its verdicts are printed beside the round trip's.
  // The share's own verdict must say it is in order. The reachability report that follows judges
  // this computer (under Wine the Server service is disabled), so its verdict may block, and then
  // only it may turn the exit code into 9.
  void CheckAfter(const std::wstring& name, const char* outcome) {
    ToolRun check = RunTool({L"/check", L"/name", name});
    auto lineStarting = [&check](std::wstring_view start) {
      auto it = std::find_if(check.lines.begin(), check.lines.end(),
                             [start](const std::wstring& l) { return l.starts_with(start); });
      return it == check.lines.end() ? std::wstring() : *it;
    };
    const std::wstring shareVerdict = lineStarting(L"判定: ");
    const std::wstring reachVerdict = lineStarting(L"判定 (他のパソコンから): ");
    std::cout << "round trip: " << outcome << "\n/check (exit " << check.exitCode
              << "): " << WideToUtf8(shareVerdict) << " / " << WideToUtf8(reachVerdict) << "\n";
    EXPECT_EQ(shareVerdict, L"判定: 問題ありません。");
    if (reachVerdict.find(L"接続できない原因があります") != std::wstring::npos) {
      EXPECT_EQ(check.exitCode, 9u);
    } else {
      EXPECT_EQ(check.exitCode, 0u);
    }
  }

  std::string user_, shareName_;
  std::optional<NetapiDoubleSession> session_;
  std::vector<std::wstring> folders_;
};

TEST_F(SmbRoundTripE2E, ADialogShareTakesAFileSavedByAnotherUser) {
  WillMake(kFolder);
  {
    Tool tool;
    HWND dialog = tool.WaitForDialog();
    ASSERT_NE(dialog, nullptr);
    auto share = FindChildByText(dialog, L"共有");
    ASSERT_TRUE(share.has_value());
    ClickControl(*share);
    auto question = tool.WaitForBox();
    ASSERT_TRUE(question.has_value());
    ASSERT_EQ(question->text, kCreateQuestion);
    ASSERT_TRUE(AnswerBox(*question, L"OK"));
    auto done = tool.WaitForBox();
    ASSERT_TRUE(done.has_value());
    ASSERT_EQ(done->text, kDoneQuestion);
    PressBoxButton(*done, L"OK");
    ASSERT_EQ(tool.WaitForExitCode(), 0u);
  }
  ServerAnswer added = AddRecordedShare();
  EXPECT_NE(added.transcript.find("ACL:S-1-1-0:ALLOWED/0x0/FULL"), std::string::npos);
  RoundTrip(kFolder);
  CheckAfter(L"VeltoData", HasFailure() ? "FAILED" : "saved, listed, read back, deleted: OK");
}

TEST_F(SmbRoundTripE2E, AQuietShareTakesAFileSavedByAnotherUser) {
  const std::wstring folder = L"C:\\経理データ", name = L"経理データ";
  WillMake(folder);
  ToolRun run = RunTool({L"/quiet", L"/path", folder, L"/name", name});
  ASSERT_EQ(run.exitCode, 0u);
  ServerAnswer added = AddRecordedShare();
  EXPECT_NE(added.transcript.find("ACL:S-1-1-0:ALLOWED/0x0/FULL"), std::string::npos);
  RoundTrip(folder);
  CheckAfter(name, HasFailure() ? "FAILED" : "saved, listed, read back, deleted: OK");
}

// The negative controls: the same round trip must fail when either half of the permission is
// missing, or the scenarios above could pass whatever the program did.
TEST_F(SmbRoundTripE2E, AReadOnlyShareDescriptorRefusesTheFile) {
  const std::wstring folder = L"C:\\VeltoReadOnly";
  WillMake(folder);
  ASSERT_EQ(RunTool({L"/quiet", L"/path", folder, L"/name", L"VeltoReadOnly"}).exitCode, 0u);
  ASSERT_TRUE(EveryoneMask(folder).value_or(0) & FILE_ADD_FILE) << "the folder grant is missing";
  auto readOnly = ReadOnlyVariant(WideToUtf8(session_->LastCall()["security_descriptor"]));
  ASSERT_TRUE(readOnly.has_value()) << "no entry for Everyone in the recorded descriptor";
  ServerAnswer added = AddRecordedShare(readOnly);
  EXPECT_NE(added.transcript.find("ACL:S-1-1-0:ALLOWED/0x0/READ"), std::string::npos);
  RefusedSave(folder);
}

TEST_F(SmbRoundTripE2E, AFolderWithoutTheGrantRefusesTheFile) {
  const std::wstring folder = L"C:\\VeltoNoGrant", sub = folder + L"\\quarnelvelto";
  WillMake(folder);
  ASSERT_EQ(RunTool({L"/quiet", L"/path", folder, L"/name", L"VeltoNoGrant"}).exitCode, 0u);
  // The grant undone: the folder gets back the list the system gave it when it was made, which
  // its subfolder (not granted; Wine inherits nothing) still has.
  ASSERT_FALSE(EveryoneMask(sub).value_or(FILE_ADD_FILE) & FILE_ADD_FILE)
      << "a new folder here already lets everyone write";
  PACL dacl = nullptr;
  PSECURITY_DESCRIPTOR sd = nullptr;
  ASSERT_EQ(GetNamedSecurityInfoW(sub.c_str(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr,
                                  nullptr, &dacl, nullptr, &sd),
            static_cast<DWORD>(ERROR_SUCCESS));
  win::UniqueLocal owner(sd);
  ASSERT_EQ(SetNamedSecurityInfoW(const_cast<wchar_t*>(folder.c_str()), SE_FILE_OBJECT,
                                  DACL_SECURITY_INFORMATION, nullptr, nullptr, dacl, nullptr),
            static_cast<DWORD>(ERROR_SUCCESS));
  ASSERT_FALSE(EveryoneMask(folder).value_or(FILE_ADD_FILE) & FILE_ADD_FILE);
  ServerAnswer added = AddRecordedShare();
  EXPECT_NE(added.transcript.find("ACL:S-1-1-0:ALLOWED/0x0/FULL"), std::string::npos);
  RefusedSave(folder);
}

}  // namespace
}  // namespace qv::e2e
