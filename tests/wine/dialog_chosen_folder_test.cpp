// What the system resolves a chosen folder to, against the real calls under Wine: the absolute
// form of a path, short names, a folder held open, and a directory link (a Unix symbolic link,
// which is how Wine shows a junction) refused before the grant and by it.
#include <windows.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "framework/errors.h"
#include "security/folder_grant.h"
#include "security/folder_identity.h"
#include "share/share_setup.h"
#include "win/framework/cp932.h"
#include "win/security/win_folder_security.h"
#include "win/share/win_share_platform.h"

namespace qv {
namespace {

std::wstring Utf8ToWide(const std::string& text) {
  std::wstring wide(text.size(), L'\0');
  const int n = MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                    wide.data(), static_cast<int>(wide.size()));
  wide.resize(n > 0 ? n : 0);
  return wide;
}

// The Unix name of a Windows path, from Wine's own kernel32 export.
std::string UnixNameOf(const std::wstring& path) {
  using Fn = char*(CDECL*)(const wchar_t*);
  auto fn = reinterpret_cast<Fn>(reinterpret_cast<void*>(
      GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name")));
  if (!fn) return {};
  char* name = fn(path.c_str());
  if (!name) return {};
  std::string result(name);
  HeapFree(GetProcessHeap(), 0, name);
  return result;
}

// Starts a Unix program by its Z: path; Wine's handle for it cannot be waited on, so the caller
// watches for the effect.
bool StartUnix(const std::wstring& program, std::wstring commandLine) {
  STARTUPINFOW startup = {};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION process = {};
  if (!CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                      nullptr, &startup, &process)) {
    return false;
  }
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return true;
}

bool Exists(const std::wstring& path) {
  return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool WaitUntil(const std::wstring& path, bool exists) {
  for (int i = 0; i < 150 && Exists(path) != exists; ++i) Sleep(20);
  return Exists(path) == exists;
}

// A directory symbolic link made on the Unix side, removed there again (never through the
// Windows calls, which could follow it into its target).
class UnixLink {
 public:
  UnixLink(const std::wstring& link, const std::wstring& target) : link_(link) {
    const std::string linkName = UnixNameOf(link), targetName = UnixNameOf(target);
    if (linkName.empty() || targetName.empty()) return;
    unixName_ = Utf8ToWide(linkName);
    made_ = StartUnix(L"Z:\\bin\\ln",
                      L"ln -s \"" + Utf8ToWide(targetName) + L"\" \"" + unixName_ + L"\"") &&
            WaitUntil(link, true);
  }
  ~UnixLink() {
    if (!unixName_.empty() && Exists(link_)) {
      StartUnix(L"Z:\\bin\\rm", L"rm -f \"" + unixName_ + L"\"");
      EXPECT_TRUE(WaitUntil(link_, false)) << "the link stays";
    }
  }
  UnixLink(const UnixLink&) = delete;
  UnixLink& operator=(const UnixLink&) = delete;
  bool Made() const { return made_; }

 private:
  std::wstring link_, unixName_;
  bool made_ = false;
};

// An empty folder tree of our own under the temporary folder.
class Sandbox : public testing::Test {
 protected:
  void SetUp() override {
    wchar_t base[MAX_PATH];
    GetTempPathW(MAX_PATH, base);
    root_ = std::wstring(base) + L"qvchosen_" + std::to_wstring(GetCurrentProcessId());
    ASSERT_TRUE(CreateDirectoryW(root_.c_str(), nullptr));
    target_ = root_ + L"\\Target";
    ASSERT_TRUE(CreateDirectoryW(target_.c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryW((target_ + L"\\Sub").c_str(), nullptr));
  }
  void TearDown() override {
    RemoveDirectoryW((target_ + L"\\Sub").c_str());
    RemoveDirectoryW(target_.c_str());
    RemoveDirectoryW(root_.c_str());
  }
  static AnsiString Ansi(const std::wstring& path) { return win::ToAnsi(path); }

  std::wstring root_, target_;
  win::WinSharePlatform platform;
  win::WinFolderSecurity folders;
};

TEST_F(Sandbox, TheAbsoluteFormFollowsTheRulesTheHostFakeAssumes) {
  const struct {
    const char* given;
    const char* full;
  } cases[] = {
      {"C:\\X\\..\\windows", "C:\\windows"},
      {"C:/VeltoData/Sub", "C:\\VeltoData\\Sub"},
      {"C:\\VeltoData. . ", "C:\\VeltoData"},
      {"C:\\VeltoData\\.\\Sub\\.", "C:\\VeltoData\\Sub"},
      {"C:\\..\\..", "C:\\"},
      {"C:\\Fresh\\..\\VeltoData", "C:\\VeltoData"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.given);
    EXPECT_EQ(platform.FullPath(AnsiString(c.given)), AnsiString(c.full));
  }
}

TEST_F(Sandbox, AShortNameHasItsLongFormAndAMissingPathNone) {
  const std::wstring longName = target_ + L"\\A Long Folder Name";
  ASSERT_TRUE(CreateDirectoryW(longName.c_str(), nullptr));
  wchar_t shortName[MAX_PATH] = {};
  const DWORD n = GetShortPathNameW(longName.c_str(), shortName, MAX_PATH);
  const AnsiString found = platform.LongPath(win::ToAnsi(std::wstring(shortName, n)));
  RemoveDirectoryW(longName.c_str());
  ASSERT_GT(n, 0u);
  EXPECT_NE(std::wstring(shortName, n), longName) << "Wine gave no short name";
  EXPECT_TRUE(SamePath(found, Ansi(longName))) << found.bytes();
  EXPECT_EQ(platform.LongPath(Ansi(target_ + L"\\missing")), "");
}

// Windows refuses to rename or delete a folder held without FILE_SHARE_DELETE; Wine 8 lets a
// folder be renamed whatever handles are open on it (measured), so only the opening itself and
// the grant's second opening beside the hold are shown here.
TEST_F(Sandbox, AFolderHeldForTheGrantIsOpenedAgainByTheGrant) {
  FolderIdentity identity;
  std::unique_ptr<IFolderHold> hold =
      platform.OpenFolder(Ansi(target_), FolderOpening::Keep, identity);
  ASSERT_NE(hold, nullptr);
  EXPECT_EQ(identity.error, 0u);
  EXPECT_TRUE(identity.attributes & FILE_ATTRIBUTE_DIRECTORY);
  EXPECT_FALSE(ElsewhereTarget(Ansi(target_), identity)) << identity.finalPath.bytes();
  EXPECT_TRUE(GrantEveryoneFullControl(folders, Ansi(target_)));
}

TEST_F(Sandbox, ALinkIsFoundWhereverItStandsAndTheGrantRefusesIt) {
  const std::wstring link = root_ + L"\\Link";
  UnixLink made(link, target_);
  if (!made.Made()) GTEST_SKIP() << "no Unix ln here";
  EXPECT_EQ(GetFileAttributesW(link.c_str()) & FILE_ATTRIBUTE_REPARSE_POINT,
            static_cast<DWORD>(FILE_ATTRIBUTE_REPARSE_POINT));

  FolderIdentity identity;
  ASSERT_NE(platform.OpenFolder(Ansi(link), FolderOpening::Look, identity), nullptr);
  std::optional<AnsiString> target = ElsewhereTarget(Ansi(link), identity);
  ASSERT_TRUE(target);
  EXPECT_TRUE(SamePath(*target, Ansi(target_))) << target->bytes();

  ShareSetup setup(platform, folders);
  const struct {
    std::wstring chosen, leadsTo;
  } cases[] = {{link, target_},
               {link + L"\\Sub", target_ + L"\\Sub"},
               {link + L"\\Missing\\Deeper", target_ + L"\\Missing\\Deeper"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(Ansi(c.chosen).bytes());
    std::optional<AnsiString> found = setup.LinkTarget(Ansi(c.chosen));
    ASSERT_TRUE(found);
    EXPECT_TRUE(SamePath(*found, Ansi(c.leadsTo))) << found->bytes();
  }
  EXPECT_FALSE(setup.LinkTarget(Ansi(target_ + L"\\Sub")));

  // The grant opens the link itself and refuses it: the target's mode is left as it was.
  const FolderDacl before = folders.ReadDacl(Ansi(target_));
  EXPECT_THROW(GrantEveryoneFullControl(folders, Ansi(link)), Exception);
  EXPECT_THROW(GrantEveryoneFullControl(folders, Ansi(link + L"\\Sub")), Exception);
  EXPECT_EQ(folders.ReadDacl(Ansi(target_)).dacl, before.dacl);
  EXPECT_TRUE(GrantEveryoneFullControl(folders, Ansi(target_))) << "the folder itself is fine";
}

TEST(WinDriveTest, TheSystemDriveIsAFixedVolumeAndAMissingOneHasNoRoot) {
  win::WinSharePlatform platform;
  win::WinFolderSecurity folders;
  const DriveFacts system = platform.DriveOf("C:\\VeltoData");
  EXPECT_EQ(system.type, static_cast<std::uint32_t>(DRIVE_FIXED));
  EXPECT_FALSE(system.device.empty());
  EXPECT_FALSE(system.device.view().starts_with("\\??\\")) << system.device.bytes();
  EXPECT_EQ(platform.DriveOf("Q:\\Nowhere").type, static_cast<std::uint32_t>(DRIVE_NO_ROOT_DIR));
  ShareSetup setup(platform, folders);
  EXPECT_TRUE(setup.DriveCanServe("C:\\VeltoData"));
}

TEST(WinTokenTest, WineRunsEveryProcessAsAnElevatedAdministrator) {
  win::WinSharePlatform platform;
  win::WinFolderSecurity folders;
  const TokenRights rights = platform.ProcessTokenRights();
  EXPECT_TRUE(rights.administrator);
  EXPECT_TRUE(!rights.elevationKnown || rights.elevated);
  ShareSetup setup(platform, folders);
  EXPECT_TRUE(setup.RunsElevated());
}

}  // namespace
}  // namespace qv
