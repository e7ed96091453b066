// Input the share button must refuse or mend before anything is made, driven through the real
// dialog with the netapi32 double in place, so that a share call that should not happen is seen.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "e2e_support.h"
#include "netapi_double_support.h"

namespace qv::e2e {
namespace {

const std::wstring kUnusableName = L"共有名に使用できない文字が含まれています。\r\n";
const std::wstring kUnsuitableLocation =
    L"管理する場所が適正ではありません。\r\n管理する場所には、このコンピュータ内の場所を指定して"
    L"下さい。";

std::vector<std::wstring> Lines(const std::wstring& text) {
  std::vector<std::wstring> lines(1);
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text.compare(i, 2, L"\r\n") == 0) {
      lines.emplace_back();
      ++i;
    } else {
      lines.back().push_back(text[i]);
    }
  }
  return lines;
}

// Takes away what a scenario may have made; a file in the subfolder's place is taken too.
void RemoveFolders() {
  DeleteFileW(kSubfolder.c_str());
  RemoveDirectoryW(kSubfolder.c_str());
  RemoveDirectoryW(kFolder.c_str());
}

class BadInputE2E : public ::testing::Test {
 protected:
  void SetUp() override {
    RemoveNativeNetapiOverride();
    RemoveFolders();
    session_.emplace("e2e-bad-input");
  }
  void TearDown() override {
    session_.reset();
    RemoveFolders();
  }

  // Clicks the share button and answers the creation question if it comes; returns the box
  // after it.
  std::optional<MessageBoxContent> Share(const Tool& tool, HWND dialog) {
    auto share = FindChildByText(dialog, L"共有");
    if (!share) return std::nullopt;
    ClickControl(*share);
    auto box = tool.WaitForBox();
    if (box && box->text == kCreateQuestion) {
      AnswerBox(*box, L"OK");
      box = tool.WaitForBox();
    }
    return box;
  }

  std::optional<NetapiDoubleSession> session_;
};

TEST_F(BadInputE2E, ATypedNameTheCodePageCannotHoldIsRefusedBeforeAnythingIsMade) {
  // The share folder does not exist yet: the creation question is answered, and still nothing
  // may be made once the name is refused.
  Tool tool;
  HWND dialog = tool.WaitForDialog();
  ASSERT_NE(dialog, nullptr);
  HWND name = NameField(dialog);
  ASSERT_NE(name, nullptr);
  ClickCentre(name);
  ASSERT_TRUE(WaitForFocus(dialog, name));
  SetText(name, L"");
  TypeText(name, L"M\u00FCller");
  for (int i = 0; i < 40 && TextOf(name) != L"M\u00FCller"; ++i) Sleep(25);
  ASSERT_EQ(TextOf(name), L"M\u00FCller") << "the field does not hold what was typed";

  auto box = Share(tool, dialog);
  ASSERT_TRUE(box.has_value());
  EXPECT_EQ(box->caption, L"情報");
  EXPECT_EQ(box->text, kUnusableName);
  EXPECT_EQ(box->ButtonTexts(), std::vector<std::wstring>{L"OK"});
  ASSERT_TRUE(AnswerBox(*box, L"OK"));
  EXPECT_TRUE(WaitForFocus(dialog, name)) << "the focus is not on the name field";
  EXPECT_FALSE(IsDirectory(kFolder)) << "a folder was made for a refused name";
  EXPECT_FALSE(FileExists(session_->Log())) << "the share call was made";
  EXPECT_FALSE(tool.WaitForBox(500).has_value());
  tool.CloseDialog(dialog);
}

TEST_F(BadInputE2E, NamesWithCharactersTheServerRefusesAreRefusedInTheDialog) {
  // The folder exists, so no question comes first; its subfolder is not made for a refused name.
  ASSERT_TRUE(CreateDirectoryW(kFolder.c_str(), nullptr));
  for (const std::wstring& bad :
       {std::wstring(L"経理\\データ"), std::wstring(L"a/b"), std::wstring(L"C:x"),
        std::wstring(L"what?"), std::wstring(L"\"quoted\""), std::wstring(L"a<b>"),
        std::wstring(L"pipe|d"), std::wstring(L"tab\there")}) {
    SCOPED_TRACE(WideToUtf8(bad));
    Tool tool;
    HWND dialog = tool.WaitForDialog();
    ASSERT_NE(dialog, nullptr);
    HWND name = NameField(dialog);
    ASSERT_NE(name, nullptr);
    SetText(name, bad);
    auto box = Share(tool, dialog);
    ASSERT_TRUE(box.has_value());
    EXPECT_EQ(box->text, kUnusableName);
    ASSERT_TRUE(AnswerBox(*box, L"OK"));
    EXPECT_TRUE(WaitForFocus(dialog, name));
    EXPECT_FALSE(IsDirectory(kSubfolder));
    EXPECT_FALSE(FileExists(session_->Log())) << "the share call was made";
    tool.CloseDialog(dialog);
  }
}

TEST_F(BadInputE2E, APathNotOnThisComputerIsRefusedWithTheLocationBox) {
  for (const std::wstring& path : {std::wstring(L"\\\\server\\VeltoData"),
                                   std::wstring(L"VeltoData"), std::wstring(L"C:VeltoData")}) {
    SCOPED_TRACE(WideToUtf8(path));
    Tool tool;
    HWND dialog = tool.WaitForDialog();
    ASSERT_NE(dialog, nullptr);
    SetText(PathField(dialog), path);
    auto box = Share(tool, dialog);
    ASSERT_TRUE(box.has_value());
    EXPECT_EQ(box->caption, L"情報");
    EXPECT_EQ(box->text, kUnsuitableLocation);
    ASSERT_TRUE(AnswerBox(*box, L"OK"));
    auto browse = FindChildByText(dialog, L"参照");
    ASSERT_TRUE(browse.has_value());
    EXPECT_TRUE(WaitForFocus(dialog, browse->hwnd));
    EXPECT_FALSE(FileExists(session_->Log())) << "the share call was made";
    tool.CloseDialog(dialog);
  }
}

TEST_F(BadInputE2E, ATrailingBackslashIsDroppedFromTheSharedPath) {
  session_->Answer(0);
  Tool tool;
  HWND dialog = tool.WaitForDialog();
  ASSERT_NE(dialog, nullptr);
  SetText(PathField(dialog), kFolder + L"\\");
  auto done = Share(tool, dialog);
  ASSERT_TRUE(done.has_value());
  EXPECT_EQ(done->text, kDoneQuestion);
  auto call = session_->LastCall();
  EXPECT_EQ(call["calls"], L"1");
  EXPECT_EQ(call["path"], kFolder);
  EXPECT_EQ(call["remark"], L"Quarnel財務 共有フォルダ:VeltoData");
  EXPECT_TRUE(IsDirectory(kFolder));
  EXPECT_TRUE(IsDirectory(kSubfolder));
  PressBoxButton(*done, L"OK");
  EXPECT_EQ(tool.WaitForExitCode(), 0u);
}

TEST_F(BadInputE2E, AFileInThePlaceOfTheSubfolderStopsBeforeTheShare) {
  ASSERT_TRUE(CreateDirectoryW(kFolder.c_str(), nullptr));
  {
    UniqueHandle file(CreateFileW(kSubfolder.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_NE(file.get(), INVALID_HANDLE_VALUE);
  }
  Tool tool;
  HWND dialog = tool.WaitForDialog();
  ASSERT_NE(dialog, nullptr);
  auto box = Share(tool, dialog);
  ASSERT_TRUE(box.has_value());
  EXPECT_EQ(box->caption, L"情報");
  std::vector<std::wstring> lines = Lines(box->text);
  ASSERT_GE(lines.size(), 3u) << WideToUtf8(box->text);
  EXPECT_EQ(lines[0], L"フォルダを作成できませんでした。");
  EXPECT_EQ(lines[1], kSubfolder);
  // Making a folder where a file of that name lies is ERROR_ALREADY_EXISTS on Windows.
  EXPECT_EQ(lines[2], Lines(SystemText(ERROR_ALREADY_EXISTS))[0]);
  EXPECT_FALSE(FileExists(session_->Log())) << "the share call was made";
  ASSERT_TRUE(AnswerBox(*box, L"OK"));
  EXPECT_TRUE(IsWindowVisible(tool.WaitForDialog()));
  EXPECT_FALSE(IsDirectory(kSubfolder));
  tool.CloseDialog(dialog);
}

}  // namespace
}  // namespace qv::e2e
