// The main job driven through the real windows: the share button, with Wine's own network
// library (which cannot share) and with a test double of netapi32.dll that records the call.
#include <aclapi.h>
#include <gtest/gtest.h>
#include <sddl.h>

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "e2e_support.h"
#include "netapi_double_support.h"
#include "unix_link.h"

namespace qv::e2e {
namespace {

const std::wstring kBusyText = L"設定しています…";
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

// Clicks a control of the dialog found by its text.
void ClickByText(HWND dialog, const std::wstring& text) {
  auto c = FindChildByText(dialog, text);
  ASSERT_TRUE(c.has_value()) << WideToUtf8(text);
  ClickControl(*c);
}

class ShareE2E : public ::testing::Test {
 protected:
  void SetUp() override {
    RemoveDefaultFolders();
    RemoveNativeNetapiOverride();
  }
  void TearDown() override { RemoveDefaultFolders(); }
};

TEST_F(ShareE2E, WinesNetworkLibraryAnswersCode50AfterTheFoldersAreMade) {
  // With the double in the system folder: the tool not told to load a native netapi32 still gets
  // Wine's own library.
  InstallNetapiDouble();
  ASSERT_FALSE(HasFatalFailure());
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

// The tool with our netapi32.dll from the prefix's system folder in place of Wine's.
class NetapiDoubleE2E : public ShareE2E {
 protected:
  void SetUp() override {
    ShareE2E::SetUp();
    InstallNetapiDouble();
    if (HasFatalFailure()) return;
    std::wstring dir = BuildPath("e2e-netapi");
    CreateDirectoryW(dir.c_str(), nullptr);
    log_ = dir + L"\\netapi.log";
    DeleteFileW(log_.c_str());
    logVariable_.emplace(L"QV_NETAPI_LOG", log_);
    override_.emplace();
  }
  void TearDown() override {
    SetEnvironmentVariableW(L"QV_NETAPI_RESULT", nullptr);
    SetEnvironmentVariableW(L"QV_NETAPI_DELAY_MS", nullptr);
    override_.reset();
    logVariable_.reset();
    ShareE2E::TearDown();
  }

  void Answer(DWORD code) {
    SetEnvironmentVariableW(L"QV_NETAPI_RESULT", std::to_wstring(code).c_str());
  }

  // The fields of the last NetShareAdd call.
  std::map<std::string, std::wstring> LastCall() const { return LastNetapiCall(log_); }

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

  std::wstring log_;
  std::optional<ScopedEnvironment> logVariable_;
  std::optional<NativeNetapiOverride> override_;
};

TEST_F(NetapiDoubleE2E, SuccessRecordsTheShareGrantsEveryoneAndEndsOnOk) {
  Answer(0);
  Tool tool;
  HWND dialog = ShareWith(tool);
  ASSERT_NE(dialog, nullptr);
  auto done = tool.WaitForBox();
  ASSERT_TRUE(done.has_value());
  EXPECT_EQ(done->caption, L"確認");
  EXPECT_EQ(done->text, kDoneQuestion);

  auto call = LastCall();
  EXPECT_EQ(call["calls"], L"1");
  EXPECT_EQ(call["servername"], L"<null>") << "this computer is named by a null server name";
  EXPECT_EQ(call["level"], L"502");
  EXPECT_EQ(call["netname"], L"VeltoData");
  EXPECT_EQ(call["type"], L"0");
  EXPECT_EQ(call["remark"], L"Quarnel財務 共有フォルダ:VeltoData");
  EXPECT_EQ(call["permissions"], L"0");
  EXPECT_EQ(call["max_uses"], L"-1");
  EXPECT_EQ(call["current_uses"], L"0");
  EXPECT_EQ(call["path"], L"C:\\VeltoData");
  EXPECT_EQ(call["passwd"], L"");  // an empty text, not a null pointer
  EXPECT_EQ(call["reserved"], L"0");
  EXPECT_EQ(call["security_descriptor"], kEveryoneFullControlHex);
  EXPECT_TRUE(IsDirectory(kSubfolder));
  // Wine keeps no DACLs: it turns the written one into Unix mode bits (0777 for Everyone full
  // control) and reads Everyone back as 0x1301FF; a folder it made itself reads 0x1200A9.
  EXPECT_EQ(EveryoneMask(kFolder), 0x1301FFu);

  PressBoxButton(*done, L"OK");
  EXPECT_EQ(tool.WaitForExitCode(), 0u);
}

// Under Wine the Server service is installed disabled, so a share made through the double always
// meets the reachability box, between the creation question and the final question.
TEST_F(NetapiDoubleE2E, TheReachBoxTellsTheStoppedServerBeforeTheFinalQuestion) {
  Answer(0);
  Tool tool;
  HWND dialog = tool.WaitForDialog();
  ASSERT_NE(dialog, nullptr);
  ClickByText(dialog, L"共有");
  auto box = tool.WaitForAnyBox();
  ASSERT_TRUE(box.has_value());
  ASSERT_EQ(box->text, kCreateQuestion);
  ASSERT_TRUE(AnswerBox(*box, L"OK"));

  auto reach = tool.WaitForAnyBox();
  ASSERT_TRUE(reach.has_value());
  RecordProperty("reach_box_caption", WideToUtf8(reach->caption));
  RecordProperty("reach_box_text", WideToUtf8(reach->text));
  ASSERT_TRUE(IsReachBox(*reach)) << WideToUtf8(reach->text);
  EXPECT_EQ(LastCall()["calls"], L"1") << "the box came before the share was made";
  EXPECT_NE(
      reach->text.find(L"\r\n\r\n・サーバー サービスが動いていません。「サービス」で Server を開"
                       L"始し、スタートアップの種類を「自動」にしてください。"),
      std::wstring::npos)
      << WideToUtf8(reach->text);
  // Only a closed trusted network makes it a question; the public one is never offered.
  const bool offers = reach->ButtonTexts().size() > 1;
  if (offers) {
    EXPECT_EQ(reach->caption, L"確認");
    EXPECT_EQ(reach->ButtonTexts(), (std::vector<std::wstring>{L"OK", L"キャンセル"}));
    EXPECT_NE(reach->text.find(L"パブリック ネットワークは変更しません"), std::wstring::npos);
  } else {
    EXPECT_EQ(reach->caption, L"情報");
    EXPECT_EQ(reach->ButtonTexts(), std::vector<std::wstring>{L"OK"});
  }
  RecordProperty("reach_box_offers_firewall", offers ? "yes" : "no");
  ASSERT_TRUE(AnswerBox(*reach, offers ? L"キャンセル" : L"OK"));

  auto done = tool.WaitForAnyBox();
  ASSERT_TRUE(done.has_value());
  EXPECT_EQ(done->text, kDoneQuestion);
  // The save through \\localhost left nothing behind in the shared folder.
  WIN32_FIND_DATAW found;
  HANDLE h = FindFirstFileW((kFolder + L"\\*").c_str(), &found);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  std::vector<std::wstring> names;
  do {
    if (std::wstring(found.cFileName) != L"." && std::wstring(found.cFileName) != L"..") {
      names.push_back(found.cFileName);
    }
  } while (FindNextFileW(h, &found));
  FindClose(h);
  EXPECT_EQ(names, std::vector<std::wstring>{L"quarnelvelto"});
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
    Tool tool;
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
    std::wstring shared;  // never a cut of what was put in
    bool keptByTheField;  // the field refused the text and still shows the shared name
  } cases[] = {
      {L"  経理データ  ", L"経理データ", false},
      // 101 bytes, put in by WM_SETTEXT past the field's own limit: the field keeps the name it
      // held, so the name shared is the one it shows.
      {L"A" + std::wstring(50, L'あ'), L"VeltoData", true},
  };
  for (const auto& c : cases) {
    Answer(2118);  // no grant, no final question: one box to close
    DeleteFileW(log_.c_str());
    Tool tool;
    HWND dialog = ShareWith(tool, &c.typed);
    ASSERT_NE(dialog, nullptr);
    auto box = tool.WaitForBox();
    ASSERT_TRUE(box.has_value());
    EXPECT_EQ(LastCall()["netname"], c.shared);
    AnswerBox(*box, L"OK");
    if (c.keptByTheField) {
      auto field = ChildAt(dialog, 136, 253);
      ASSERT_TRUE(field.has_value());
      EXPECT_EQ(TextOf(field->hwnd), c.shared);
    }
    tool.CloseDialog(dialog);
  }
}

TEST_F(NetapiDoubleE2E, TheDialogAnswersAndRefusesInputWhileTheShareIsBeingMade) {
  Answer(0);
  SetEnvironmentVariableW(L"QV_NETAPI_DELAY_MS", L"3000");
  Tool tool;
  HWND dialog = ShareWith(tool);
  ASSERT_NE(dialog, nullptr);
  // The double writes its record before it starts holding.
  for (int i = 0; i < 100 && LastCall()["calls"] == L"0"; ++i) Sleep(20);
  ASSERT_EQ(LastCall()["calls"], L"1");

  DWORD_PTR ignored = 0;
  EXPECT_NE(SendMessageTimeoutW(dialog, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 200, &ignored), 0)
      << "the dialog does not answer while the share is being made";
  auto busy = FindChildByText(dialog, kBusyText);
  ASSERT_TRUE(busy.has_value());
  EXPECT_TRUE(IsWindowVisible(busy->hwnd));
  auto share = FindChildByText(dialog, L"共有");
  ASSERT_TRUE(share.has_value());
  EXPECT_EQ(share->className, L"TxPlButton");
  std::vector<std::pair<const char*, std::optional<ChildWindow>>> refusing = {
      {"share", share},
      {"browse", FindChildByText(dialog, L"参照")},
      {"cancel", FindChildByText(dialog, L"キャンセル")},
      {"path", ChildAt(dialog, 136, 157)},
      {"name", ChildAt(dialog, 136, 253)},
  };
  for (const auto& [name, control] : refusing) {
    ASSERT_TRUE(control.has_value()) << name;
    EXPECT_FALSE(IsWindowEnabled(control->hwnd)) << name;
  }
  // All of the above was seen during the hold: the final question comes only after it.
  WindowQuery box;
  box.className = kBoxClass;
  box.processId = tool.process().Id();
  EXPECT_TRUE(FindTopWindows(box).empty()) << "the hold ended before the checks";

  auto done = tool.WaitForBox();
  ASSERT_TRUE(done.has_value());
  EXPECT_EQ(done->caption, L"確認");
  EXPECT_EQ(done->text, kDoneQuestion);
  EXPECT_FALSE(IsWindowVisible(busy->hwnd));
  EXPECT_EQ(LastCall()["calls"], L"1");
  PressBoxButton(*done, L"OK");
  EXPECT_EQ(tool.WaitForExitCode(), 0u);
}

// A netapi32.dll put beside the program by someone else, with Wine's own library in the system
// folder and a native one asked for: the program must not load the one beside it.
class PlantedNetapiE2E : public ShareE2E {
 protected:
  void SetUp() override {
    ShareE2E::SetUp();
    doubleWasInstalled_ = SystemHoldsNetapiDouble();
    RestoreWineNetapi();
    if (HasFatalFailure()) return;
    dir_ = BuildPath("e2e-planted");
    CreateDirectoryW(dir_.c_str(), nullptr);
    exe_ = dir_ + L"\\qvsetshare.exe";
    ASSERT_TRUE(CopyFileW(ToolPath().c_str(), exe_.c_str(), FALSE));
    ASSERT_TRUE(CopyFileW(NetapiDoublePath().c_str(), (dir_ + L"\\netapi32.dll").c_str(), FALSE));
    log_ = dir_ + L"\\planted.log";
    DeleteFileW(log_.c_str());
    logVariable_.emplace(L"QV_NETAPI_LOG", log_);
    override_.emplace();
    // A folder that exists: no creation question before the share is tried.
    ASSERT_TRUE(CreateDirectoryW(kFolder.c_str(), nullptr));
  }
  void TearDown() override {
    override_.reset();
    logVariable_.reset();
    if (doubleWasInstalled_) InstallNetapiDouble();
    ShareE2E::TearDown();
  }

  bool doubleWasInstalled_ = false;
  std::wstring dir_, exe_, log_;
  std::optional<ScopedEnvironment> logVariable_;
  std::optional<NativeNetapiOverride> override_;
};

TEST_F(PlantedNetapiE2E, ALibraryBesideTheProgramIsNeverLoaded) {
  Tool tool(exe_);
  HWND dialog = tool.WaitForDialog();
  ASSERT_NE(dialog, nullptr);
  ClickByText(dialog, L"共有");

  auto error = tool.WaitForBox();
  ASSERT_TRUE(error.has_value());
  EXPECT_EQ(error->caption, kTitle);
  EXPECT_EQ(error->text, L"Library not found: netapi32.dll.");
  EXPECT_EQ(error->ButtonTexts(), std::vector<std::wstring>{L"OK"});
  EXPECT_FALSE(FileExists(log_)) << "the library beside the program was called";
  ASSERT_TRUE(AnswerBox(*error, L"OK"));

  EXPECT_FALSE(tool.process().HasExited());
  EXPECT_TRUE(IsWindowVisible(dialog));
  auto share = FindChildByText(dialog, L"共有");
  ASSERT_TRUE(share.has_value());
  EXPECT_TRUE(IsWindowEnabled(share->hwnd)) << "still busy";
  tool.CloseDialog(dialog);
  EXPECT_FALSE(FileExists(log_));
}

}  // namespace
}  // namespace qv::e2e

namespace qv::e2e {
namespace {

TEST_F(ShareE2E, ALinkToTheWindowsFolderIsRefusedWithAWarningAndNothingIsMade) {
  const std::wstring link = L"C:\\VeltoLink";
  UnixDirectoryLink planted(link, L"C:\\windows");
  if (!planted.Made()) GTEST_SKIP() << "no Unix ln here";
  const DWORD windowsMask = EveryoneMask(L"C:\\windows");
  Tool tool(ToolPath(), {L"/path", link, L"/name", L"VeltoLink"});
  HWND dialog = tool.WaitForDialog();
  ASSERT_NE(dialog, nullptr);
  ClickByText(dialog, L"共有");
  auto refusal = tool.WaitForBox();
  ASSERT_TRUE(refusal.has_value());
  EXPECT_EQ(refusal->caption, L"警告");
  EXPECT_EQ(refusal->text,
            L"選択したフォルダは別の場所へのリンクです。\r\nリンク先のフォルダを直接選択してくださ"
            L"い。\r\nC:\\windows");
  EXPECT_EQ(refusal->ButtonTexts(), std::vector<std::wstring>{L"OK"});
  ASSERT_TRUE(AnswerBox(*refusal, L"OK"));
  EXPECT_FALSE(tool.WaitForBox(1000).has_value());
  EXPECT_FALSE(IsDirectory(L"C:\\windows\\quarnelvelto"));
  EXPECT_EQ(EveryoneMask(L"C:\\windows"), windowsMask);
  tool.CloseDialog(dialog);
}

}  // namespace
}  // namespace qv::e2e
