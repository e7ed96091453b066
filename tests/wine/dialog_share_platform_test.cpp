// The share creation's system calls against the real API under Wine.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "share/share_platform.h"
#include "win/framework/cp932.h"
#include "win/share/win_share_platform.h"

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

std::wstring UserProfile() {
  wchar_t buf[MAX_PATH] = {};
  DWORD n = GetEnvironmentVariableW(L"USERPROFILE", buf, MAX_PATH);
  return std::wstring(buf, n < MAX_PATH ? n : 0);
}

TEST(WinSharePlatformTest, DirectoryTestAndCreation) {
  win::WinSharePlatform platform;
  TempFolder temp;
  const AnsiString sub = temp.Ansi() + "\\会計";  // a Japanese name, converted both ways

  EXPECT_EQ(platform.FileAttributes(sub), kInvalidFileAttributes);
  EXPECT_EQ(platform.MakeDirectory(sub), 0u);
  EXPECT_NE(platform.FileAttributes(sub) & kFileAttributeDirectory, 0u);
  EXPECT_NE(GetFileAttributesW((temp.Wide() + L"\\\u4F1A\u8A08").c_str()), INVALID_FILE_ATTRIBUTES);

  // The system's own codes come back for the message the user sees.
  const struct {
    const char* what;
    AnsiString path;
    std::uint32_t code;
  } failures[] = {
      {"exists already", sub, ERROR_ALREADY_EXISTS},
      {"parent missing", temp.Ansi() + "\\missing\\child", ERROR_PATH_NOT_FOUND},
  };
  for (const auto& f : failures) {
    EXPECT_EQ(platform.MakeDirectory(f.path), f.code) << f.what;
  }

  // A root path joined with a subfolder name gives two backslashes; the system takes them.
  const AnsiString doubled = sub + "\\\\quarnelvelto";
  EXPECT_EQ(platform.MakeDirectory(doubled), 0u);
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
  // Everyone full control, self-relative, as the share button builds it.
  share.shi502_security_descriptor = {0x01, 0x00, 0x04, 0x80, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
                                      0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x14, 0x00, 0x00, 0x00,
                                      0x02, 0x00, 0x1C, 0x00, 0x01, 0x00, 0x00, 0x00, 0x00, 0x00,
                                      0x14, 0x00, 0xFF, 0x01, 0x1F, 0x00, 0x01, 0x01, 0x00, 0x00,
                                      0x00, 0x00, 0x00, 0x01, 0x00, 0x00, 0x00, 0x00};
  ASSERT_TRUE(IsValidSecurityDescriptor(share.shi502_security_descriptor.data()));
  std::uint32_t badParameter = 99;
  EXPECT_EQ(platform.AddShare(share, badParameter), 50u);
  EXPECT_EQ(badParameter, 0u) << "no field named for a refusal that is not about a field";
  share.shi502_security_descriptor.clear();  // passed as no descriptor at all
  EXPECT_EQ(platform.AddShare(share, badParameter), 50u);
}

TEST(WinSharePlatformTest, VolumeFileSystems) {
  win::WinSharePlatform platform;
  // Wine's C: lies on a Unix file system that keeps no Windows ACLs, yet Wine reports
  // FILE_PERSISTENT_ACLS for it: the answer is the system's, not the fallback.
  DWORD flags = 0;
  ASSERT_TRUE(GetVolumeInformationW(L"C:\\", nullptr, 0, nullptr, nullptr, &flags, nullptr, 0));
  EXPECT_NE(flags & FILE_PERSISTENT_ACLS, 0u);
  EXPECT_TRUE(platform.VolumeKeepsAcls("C:\\"));
  EXPECT_TRUE(platform.VolumeKeepsAcls("C:\\does\\not\\exist"));
  // A drive that is not there: nothing can be asked, and the answer is the safe one.
  wchar_t unused = 0;
  DWORD drives = GetLogicalDrives();
  for (wchar_t letter = L'Q'; letter <= L'Y'; ++letter) {
    if (!(drives & (1u << (letter - L'A')))) {
      unused = letter;
      break;
    }
  }
  ASSERT_NE(unused, 0);
  EXPECT_TRUE(platform.VolumeKeepsAcls(win::ToAnsi(std::wstring(1, unused) + L":\\missing")));
}

TEST(WinSharePlatformTest, SystemFoldersAndProfiles) {
  win::WinSharePlatform platform;
  std::wstring profile = UserProfile();
  ASSERT_FALSE(profile.empty());
  std::vector<AnsiString> folders = platform.SystemFolders();
  std::vector<std::wstring> wide;
  for (const AnsiString& f : folders) wide.push_back(win::ToWide(f));
  // The 64-bit Program Files folder is named twice (as itself and as the x64 one).
  EXPECT_EQ(wide,
            (std::vector<std::wstring>{L"C:\\windows", L"C:\\Program Files",
                                       L"C:\\Program Files (x86)", L"C:\\Program Files", profile}));
  EXPECT_EQ(profile.rfind(L"C:\\users\\", 0), 0u) << win::ToAnsi(profile).bytes();
  // Named with a capital, unlike the profile itself (C:\users\<name>): compared without case.
  EXPECT_EQ(platform.ProfilesFolder(), "C:\\Users");
}

TEST(WinSharePlatformTest, SystemMessageTexts) {
  win::WinSharePlatform platform;
  const struct {
    std::uint32_t code;
    AnsiString text;
  } texts[] = {
      {50, "要求はサポートされていません。\r\n"},
      {5, "アクセスが拒否されました。\r\n"},
  };
  for (const auto& t : texts) {
    EXPECT_EQ(platform.SystemMessageText(t.code), t.text) << t.code;
  }
  EXPECT_EQ(platform.SystemMessageText(2118), "") << "Wine has no text for network codes";
  // Wine has no netmsg.dll in its system folder.
  EXPECT_EQ(platform.NetworkMessageText(2118), "");
  EXPECT_EQ(platform.NetworkMessageText(50), "");
}

TEST(WinSharePlatformTest, ShellNotificationsOfAShare) {
  win::WinSharePlatform platform;
  TempFolder temp;
  // Wine's shell takes the notices without a listener; what Explorer makes of them is not seen
  // here.
  platform.AnnounceShare(temp.Ansi());
  EXPECT_NE(platform.FileAttributes(temp.Ansi()), kInvalidFileAttributes);
}

}  // namespace
}  // namespace qv
