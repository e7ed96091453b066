// The main job driven through the real windows: the share button, with Wine's own network
// library (which cannot share) and with a test double of netapi32.dll that records the call.
#include <aclapi.h>
#include <gtest/gtest.h>
#include <sddl.h>

#include <fstream>
#include <map>
#include <sstream>
#include <string>

#include "e2e_support.h"

namespace qv::e2e {
namespace {

const std::wstring kFolder = L"C:\\VeltoData";
const std::wstring kSubfolder = L"C:\\VeltoData\\quarnelvelto";
const std::wstring kCreateQuestion =
    L"選択した管理する場所にはフォルダーが存在しません。\r\n新しく作成してもよろしいですか？";
const std::wstring kDoneQuestion =
    L"共有フォルダを設定しました。\r\nこの処理を終了してもよろしいですか？";

bool IsDirectory(const std::wstring& path) {
  DWORD a = GetFileAttributesW(path.c_str());
  return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

void RemoveDefaultFolders() {
  RemoveDirectoryW(kSubfolder.c_str());
  RemoveDirectoryW(kFolder.c_str());
}

// The access mask Everyone holds on a path as the system reads it back, or 0.
DWORD EveryoneMask(const std::wstring& path) {
  PACL dacl = nullptr;
  PSECURITY_DESCRIPTOR sd = nullptr;
  if (GetNamedSecurityInfoW(path.c_str(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr,
                            nullptr, &dacl, nullptr, &sd) != ERROR_SUCCESS) {
    return 0;
  }
  PSID everyone = nullptr;
  ConvertStringSidToSidW(L"S-1-1-0", &everyone);
  DWORD mask = 0;
  for (DWORD i = 0; dacl && i < dacl->AceCount; ++i) {
    ACCESS_ALLOWED_ACE* ace = nullptr;
    if (GetAce(dacl, i, reinterpret_cast<void**>(&ace)) &&
        ace->Header.AceType == ACCESS_ALLOWED_ACE_TYPE && EqualSid(&ace->SidStart, everyone)) {
      mask |= ace->Mask;
    }
  }
  LocalFree(everyone);
  LocalFree(sd);
  return mask;
}

std::wstring SystemText(DWORD code) {
  wchar_t buf[512] = {0};
  FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0, buf,
                 512, nullptr);
  return buf;
}

// Clicks a control of the dialog found by its text.
void ClickByText(HWND dialog, const std::wstring& text) {
  auto c = FindChildByText(dialog, text);
  ASSERT_TRUE(c.has_value()) << WideToUtf8(text);
  ClickControl(*c);
}

class ShareE2E : public ::testing::Test {
 protected:
  void SetUp() override { RemoveDefaultFolders(); }
  void TearDown() override { RemoveDefaultFolders(); }
};

TEST_F(ShareE2E, WinesNetworkLibraryAnswersCode50AfterTheFoldersAreMade) {
  Tool tool;
  HWND dialog = tool.WaitForDialog();
  ASSERT_NE(dialog, nullptr);
  ClickByText(dialog, L"共有");

  auto question = tool.WaitForBox();
  ASSERT_TRUE(question.has_value());
  EXPECT_EQ(question->caption, L"確認");
  EXPECT_EQ(question->text, kCreateQuestion);
  EXPECT_EQ(question->ButtonTexts(), (std::vector<std::wstring>{L"OK", L"キャンセル"}));
  EXPECT_FALSE(IsDirectory(kFolder)) << "made before the answer";
  ASSERT_TRUE(AnswerBox(*question, L"OK"));

  auto result = tool.WaitForBox();
  ASSERT_TRUE(result.has_value());
  EXPECT_EQ(result->caption, L"情報");
  EXPECT_EQ(result->text, SystemText(50) + L"(code=50)");
  EXPECT_TRUE(IsDirectory(kFolder));
  EXPECT_TRUE(IsDirectory(kSubfolder));
  ASSERT_TRUE(AnswerBox(*result, L"OK"));

  EXPECT_TRUE(IsWindowVisible(dialog));
  tool.CloseDialog(dialog);
}

TEST_F(ShareE2E, CancelAtTheQuestionMakesNothing) {
  Tool tool;
  HWND dialog = tool.WaitForDialog();
  ASSERT_NE(dialog, nullptr);
  ClickByText(dialog, L"共有");
  auto question = tool.WaitForBox();
  ASSERT_TRUE(question.has_value());
  ASSERT_TRUE(AnswerBox(*question, L"キャンセル"));
  EXPECT_FALSE(tool.WaitForBox(1000).has_value());
  EXPECT_FALSE(IsDirectory(kFolder));
  tool.CloseDialog(dialog);
}

// A copy of the tool beside our netapi32.dll, which Wine loads instead of its own.
class NetapiDoubleE2E : public ShareE2E {
 protected:
  void SetUp() override {
    ShareE2E::SetUp();
    dir_ = BuildPath("e2e-netapi");
    CreateDirectoryW(dir_.c_str(), nullptr);
    exe_ = dir_ + L"\\" + kCopyName;
    ASSERT_TRUE(CopyFileW(ToolPath().c_str(), exe_.c_str(), FALSE));
    ASSERT_TRUE(CopyFileW(FromUnixPath(Utf8ToWide(QV_NETAPI_DOUBLE)).c_str(),
                          (dir_ + L"\\netapi32.dll").c_str(), FALSE));
    std::wstring key =
        std::wstring(L"Software\\Wine\\AppDefaults\\") + kCopyName + L"\\DllOverrides";
    HKEY k = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, key.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                              nullptr, &k, nullptr),
              ERROR_SUCCESS);
    const wchar_t native[] = L"native";
    RegSetValueExW(k, L"netapi32", 0, REG_SZ, reinterpret_cast<const BYTE*>(native),
                   sizeof(native));
    RegCloseKey(k);
    log_ = dir_ + L"\\netapi.log";
    DeleteFileW(log_.c_str());
    SetEnvironmentVariableW(L"QV_NETAPI_LOG", log_.c_str());
  }
  void TearDown() override {
    SetEnvironmentVariableW(L"QV_NETAPI_LOG", nullptr);
    SetEnvironmentVariableW(L"QV_NETAPI_RESULT", nullptr);
    ShareE2E::TearDown();
  }

  void Answer(DWORD code) {
    SetEnvironmentVariableW(L"QV_NETAPI_RESULT", std::to_wstring(code).c_str());
  }

  // The fields of the last NetShareAdd call.
  std::map<std::string, std::wstring> LastCall() const {
    std::ifstream in(WideToUtf8(log_).c_str(), std::ios::binary);
    std::map<std::string, std::wstring> fields;
    std::string line;
    int calls = 0;
    while (std::getline(in, line)) {
      if (line == "call") {
        ++calls;
        fields.clear();
        continue;
      }
      auto eq = line.find('=');
      if (eq != std::string::npos) fields[line.substr(0, eq)] = Utf8ToWide(line.substr(eq + 1));
    }
    fields["calls"] = std::to_wstring(calls);
    return fields;
  }

  // Starts the copy, clicks the share button and answers the creation question if it comes.
  HWND ShareWith(Tool& tool, const std::wstring* shareName = nullptr) {
    HWND dialog = tool.WaitForDialog();
    if (!dialog) return nullptr;
    if (shareName) {
      auto field = ChildAt(dialog, 136, 253);
      if (!field) return nullptr;
      SetText(field->hwnd, *shareName);
    }
    ClickByText(dialog, L"共有");
    auto box = tool.WaitForBox();
    if (box && box->text == kCreateQuestion) {
      AnswerBox(*box, L"OK");
    }
    return dialog;
  }

  static constexpr wchar_t kCopyName[] = L"qvsetshare-netapi-double.exe";
  std::wstring dir_, exe_, log_;
};

TEST_F(NetapiDoubleE2E, SuccessRecordsTheShareGrantsEveryoneAndEndsOnOk) {
  Answer(0);
  Tool tool(exe_);
  HWND dialog = ShareWith(tool);
  ASSERT_NE(dialog, nullptr);
  auto done = tool.WaitForBox();
  ASSERT_TRUE(done.has_value());
  EXPECT_EQ(done->caption, L"確認");
  EXPECT_EQ(done->text, kDoneQuestion);

  auto call = LastCall();
  EXPECT_EQ(call["calls"], L"1");
  EXPECT_EQ(call["servername"], L"");
  EXPECT_EQ(call["level"], L"2");
  EXPECT_EQ(call["netname"], L"VeltoData");
  EXPECT_EQ(call["type"], L"0");
  EXPECT_EQ(call["remark"], L"Quarnel財務 共有フォルダ:VeltoData");
  EXPECT_EQ(call["permissions"], L"0");
  EXPECT_EQ(call["max_uses"], L"-1");
  EXPECT_EQ(call["current_uses"], L"0");
  EXPECT_EQ(call["path"], L"C:\\VeltoData");
  EXPECT_EQ(call["passwd"], L"");  // an empty text, not a null pointer
  EXPECT_TRUE(IsDirectory(kSubfolder));
  // Wine keeps no DACLs: it turns the written one into Unix mode bits (0777 for Everyone full
  // control) and reads Everyone back as 0x1301FF; a folder it made itself reads 0x1200A9.
  EXPECT_EQ(EveryoneMask(kFolder), 0x1301FFu);

  PressBoxButton(*done, L"OK");
  EXPECT_EQ(tool.WaitForExitCode(), 0u);
}

TEST_F(NetapiDoubleE2E, ResultCodesShowTheirMessagesAndKeepTheDialogOpen) {
  const struct {
    DWORD code;
    std::wstring text;
  } cases[] = {
      {2118, L"指定した共有名は、既に使われています。\r\n"},
      {5, L"管理者権限を持つユーザーで実行して下さい。\r\n"},
      {2116,
       L"管理する場所が適正ではありません。\r\n管理する場所には、このコンピュータ内の場所を指定して"
       L"下さい。"},
      {87, SystemText(87) + L"(code=87)"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.code);
    Answer(c.code);
    Tool tool(exe_);
    HWND dialog = ShareWith(tool);
    ASSERT_NE(dialog, nullptr);
    auto box = tool.WaitForBox();
    ASSERT_TRUE(box.has_value());
    EXPECT_EQ(box->caption, L"情報");
    EXPECT_EQ(box->text, c.text);
    ASSERT_TRUE(AnswerBox(*box, L"OK"));
    EXPECT_TRUE(IsWindowVisible(dialog));
    tool.CloseDialog(dialog);
  }
}

TEST_F(NetapiDoubleE2E, TypedNamesAreSharedTrimmedAndFitted) {
  const struct {
    std::wstring typed;
    std::wstring shared;
  } cases[] = {
      {L"  経理データ  ", L"経理データ"},
      // 101 bytes: the cut at 80 leaves a lead byte last, which is blanked and trimmed away.
      {L"A" + std::wstring(50, L'あ'), L"A" + std::wstring(39, L'あ')},
  };
  for (const auto& c : cases) {
    Answer(2118);  // no grant, no final question: one box to close
    DeleteFileW(log_.c_str());
    Tool tool(exe_);
    HWND dialog = ShareWith(tool, &c.typed);
    ASSERT_NE(dialog, nullptr);
    auto box = tool.WaitForBox();
    ASSERT_TRUE(box.has_value());
    EXPECT_EQ(LastCall()["netname"], c.shared);
    AnswerBox(*box, L"OK");
    tool.CloseDialog(dialog);
  }
}

}  // namespace
}  // namespace qv::e2e
