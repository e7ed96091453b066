// The share creation's system calls against the real API under Wine.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "dialog/share_creation.h"
#include "win/dialog/win_share_platform.h"
#include "win/framework/cp932.h"

namespace qv {
namespace {

// A fresh folder under the temporary folder, removed with everything in it afterwards.
class TempFolder {
 public:
  TempFolder() {
    wchar_t base[MAX_PATH];
    GetTempPathW(MAX_PATH, base);
    path_ = std::wstring(base) + L"qvdialog_" + std::to_wstring(GetCurrentProcessId()) + L"_" +
            std::to_wstring(GetTickCount64());
    CreateDirectoryW(path_.c_str(), nullptr);
  }
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;
  ~TempFolder() { RemoveTree(path_); }
  AnsiString Ansi() const { return win::ToAnsi(path_); }
  const std::wstring& Wide() const { return path_; }

 private:
  static void RemoveTree(const std::wstring& dir) {
    WIN32_FIND_DATAW found;
    HANDLE h = FindFirstFileW((dir + L"\\*").c_str(), &found);
    if (h != INVALID_HANDLE_VALUE) {
      do {
        std::wstring name = found.cFileName;
        if (name == L"." || name == L"..") continue;
        std::wstring full = dir + L"\\" + name;
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
          RemoveTree(full);
        } else {
          DeleteFileW(full.c_str());
        }
      } while (FindNextFileW(h, &found));
      FindClose(h);
    }
    RemoveDirectoryW(dir.c_str());
  }
  std::wstring path_;
};

TEST(WinSharePlatformTest, DirectoryTestAndCreation) {
  win::WinSharePlatform platform;
  TempFolder temp;
  const AnsiString sub = temp.Ansi() + "\\会計";  // a Japanese name, converted both ways

  EXPECT_EQ(platform.FileAttributes(sub), kInvalidFileAttributes);
  EXPECT_TRUE(platform.MakeDirectory(sub));
  EXPECT_NE(platform.FileAttributes(sub) & kFileAttributeDirectory, 0u);
  EXPECT_NE(GetFileAttributesW((temp.Wide() + L"\\\u4F1A\u8A08").c_str()), INVALID_FILE_ATTRIBUTES);
  EXPECT_FALSE(platform.MakeDirectory(sub)) << "exists already";
  EXPECT_FALSE(platform.MakeDirectory(temp.Ansi() + "\\missing\\child"));

  // A root path joined with a subfolder name gives two backslashes; the system takes them.
  const AnsiString doubled = sub + "\\\\quarnelvelto";
  EXPECT_TRUE(platform.MakeDirectory(doubled));
  EXPECT_NE(platform.FileAttributes(sub + "\\quarnelvelto") & kFileAttributeDirectory, 0u);

  HANDLE file = CreateFileW((temp.Wide() + L"\\file.txt").c_str(), GENERIC_WRITE, 0, nullptr,
                            CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  CloseHandle(file);
  std::uint32_t attributes = platform.FileAttributes(temp.Ansi() + "\\file.txt");
  EXPECT_NE(attributes, kInvalidFileAttributes);
  EXPECT_EQ(attributes & kFileAttributeDirectory, 0u);
}

TEST(WinSharePlatformTest, WineAnswersTheShareWithNotSupported) {
  win::WinSharePlatform platform;
  TempFolder temp;
  ShareInfo502 share;
  share.shi502_netname = "QvDialogTest";
  share.shi502_remark = "Quarnel財務 共有フォルダ:QvDialogTest";
  share.shi502_max_uses = 0xFFFFFFFFu;
  share.shi502_path = temp.Ansi();
  EXPECT_EQ(platform.AddShare("", share), 50u);
}

TEST(WinSharePlatformTest, SystemMessageTexts) {
  win::WinSharePlatform platform;
  AnsiString notSupported = platform.SystemMessageText(50);
  EXPECT_FALSE(notSupported.empty());
  EXPECT_EQ(notSupported.back(), '\n') << "the code goes on a line of its own";
  EXPECT_EQ(platform.SystemMessageText(2118), "") << "Wine has no text for network codes";
}

}  // namespace
}  // namespace qv
