// The folder grant and the Windows reading and writing of a folder's DACL, on real folders under
// Wine.
//
// Wine 8.0 stores no DACLs: it makes a folder's DACL up from the Unix mode bits and turns a
// written DACL back into mode bits. So these tests prove that the calls reach the file system
// and that our reading agrees with the real one; the exact entries the grant writes are proved
// by the host tests, where our code builds every byte.
#include <windows.h>

#include <aclapi.h>
#include <sddl.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "framework/errors.h"
#include "security/dacl.h"
#include "security/folder_grant.h"
#include "security/security_exception.h"
#include "win/framework/cp932.h"
#include "win/security/win_folder_security.h"

namespace qv {
namespace {

const AnsiString kGrantFailed = "フォルダへのEveryone権限の付与に失敗しました。";

// A fresh folder (named as asked) under the temporary folder, removed again afterwards.
class TempFolder {
 public:
  explicit TempFolder(const std::wstring& leaf) {
    wchar_t base[MAX_PATH];
    GetTempPathW(MAX_PATH, base);
    parent_ = std::wstring(base) + L"qvsecurity_" + std::to_wstring(GetCurrentProcessId()) + L"_" +
              std::to_wstring(GetTickCount64());
    path_ = parent_ + L"\\" + leaf;
    EXPECT_TRUE(CreateDirectoryW(parent_.c_str(), nullptr));
    made_ = CreateDirectoryW(path_.c_str(), nullptr) != FALSE;
  }
  ~TempFolder() {
    RemoveDirectoryW(path_.c_str());
    RemoveDirectoryW(parent_.c_str());
  }
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;
  const std::wstring& Wide() const { return path_; }
  AnsiString Ansi() const { return win::ToAnsi(path_); }
  bool Made() const { return made_; }

 private:
  std::wstring parent_, path_;
  bool made_ = false;
};

struct RealEntry {
  BYTE type, flags;
  DWORD mask;
  AnsiString sid;
  bool operator==(const RealEntry&) const = default;
};

struct RealRead {
  SECURITY_DESCRIPTOR_CONTROL control = 0;
  Bytes dacl;
  std::vector<RealEntry> entries;
};

// The folder's DACL as the real calls read it.
RealRead RealDacl(const std::wstring& path) {
  PACL dacl = nullptr;
  PSECURITY_DESCRIPTOR sd = nullptr;
  const DWORD code = GetNamedSecurityInfoW(path.c_str(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION,
                                           nullptr, nullptr, &dacl, nullptr, &sd);
  EXPECT_EQ(code, static_cast<DWORD>(ERROR_SUCCESS));
  RealRead read;
  DWORD revision = 0;
  EXPECT_TRUE(GetSecurityDescriptorControl(sd, &read.control, &revision));
  if (dacl) {
    const auto* bytes = reinterpret_cast<const BYTE*>(dacl);
    read.dacl.assign(bytes, bytes + dacl->AclSize);
  }
  for (DWORD i = 0; dacl && i < dacl->AceCount; ++i) {
    void* p = nullptr;
    EXPECT_TRUE(GetAce(dacl, i, &p));
    const auto* ace = static_cast<const ACCESS_ALLOWED_ACE*>(p);
    wchar_t* text = nullptr;
    EXPECT_TRUE(ConvertSidToStringSidW(const_cast<DWORD*>(&ace->SidStart), &text));
    read.entries.push_back(
        {ace->Header.AceType, ace->Header.AceFlags, ace->Mask, win::ToAnsi(text)});
    LocalFree(text);
  }
  LocalFree(sd);
  return read;
}

std::vector<RealEntry> OurEntries(const Dacl& dacl) {
  std::vector<RealEntry> entries;
  for (const AccessEntry& e : dacl.Entries()) {
    entries.push_back({e.Type(), e.Flags(), *e.Mask(), e.Trustee()->Text()});
  }
  return entries;
}

DWORD EveryoneMask(const std::vector<RealEntry>& entries) {
  for (const auto& e : entries) {
    if (e.sid == "S-1-1-0" && e.type == ACCESS_ALLOWED_ACE_TYPE) return e.mask;
  }
  return 0;
}

class SecurityGrantTest : public ::testing::Test {
 protected:
  win::WinFolderSecurity folders;
};

TEST_F(SecurityGrantTest, ANewFoldersDaclIsReadAsTheRealCallsReadIt) {
  TempFolder folder(L"new");
  ASSERT_TRUE(folder.Made());
  const FolderDacl ours = folders.ReadDacl(folder.Ansi());
  const RealRead real = RealDacl(folder.Wide());
  EXPECT_EQ(ours.error, 0u);
  EXPECT_TRUE(ours.present);
  EXPECT_EQ(ours.control, real.control);
  EXPECT_TRUE(ours.control & SE_DACL_PRESENT);
  ASSERT_FALSE(ours.dacl.empty());
  EXPECT_EQ(ours.dacl, real.dacl);
  const Dacl dacl = Dacl::Read(ours.dacl);
  EXPECT_GT(dacl.Entries().size(), 0u);
  EXPECT_EQ(OurEntries(dacl), real.entries);
}

TEST_F(SecurityGrantTest, AMissingFolderIsReportedWithTheSystemsCode) {
  TempFolder folder(L"present");
  ASSERT_TRUE(folder.Made());
  EXPECT_EQ(folders.ReadDacl(folder.Ansi() + "\\missing").error,
            static_cast<std::uint32_t>(ERROR_FILE_NOT_FOUND));
  EXPECT_EQ(folders.ReadDacl(folder.Ansi() + "\\missing\\child").error,
            static_cast<std::uint32_t>(ERROR_PATH_NOT_FOUND));
  FolderIdentity identity;
  EXPECT_EQ(folders.OpenFolder(folder.Ansi() + "\\missing", identity), nullptr);
  EXPECT_EQ(identity.error, static_cast<std::uint32_t>(ERROR_FILE_NOT_FOUND));
  const std::unique_ptr<IOpenedFolder> opened = folders.OpenFolder(folder.Ansi(), identity);
  ASSERT_NE(opened, nullptr);
  // No list at all is never passed on as a NULL DACL.
  EXPECT_EQ(opened->WriteDacl(DACL_SECURITY_INFORMATION, {}),
            static_cast<std::uint32_t>(ERROR_INVALID_ACL));
}

TEST_F(SecurityGrantTest, TheOpenedFolderReadsWhatTheNamedCallsRead) {
  TempFolder folder(L"opened");
  ASSERT_TRUE(folder.Made());
  FolderIdentity identity;
  const std::unique_ptr<IOpenedFolder> opened = folders.OpenFolder(folder.Ansi(), identity);
  ASSERT_NE(opened, nullptr);
  EXPECT_EQ(identity.error, 0u);
  EXPECT_TRUE(identity.attributes & FILE_ATTRIBUTE_DIRECTORY);
  EXPECT_FALSE(ElsewhereTarget(folder.Ansi(), identity)) << identity.finalPath.bytes();
  const FolderDacl ours = opened->ReadDacl();
  ASSERT_EQ(ours.error, 0u);
  EXPECT_EQ(ours.dacl, RealDacl(folder.Wide()).dacl);
  EXPECT_EQ(ours.control, RealDacl(folder.Wide()).control);
}

TEST_F(SecurityGrantTest, TheGrantReachesTheFolder) {
  TempFolder folder(L"granted");
  ASSERT_TRUE(folder.Made());
  // Wine reads a 0755 folder as Everyone read and execute, and a 0777 one as Everyone full
  // access: the change of Everyone's mask is the change of the folder's Unix mode.
  ASSERT_EQ(EveryoneMask(RealDacl(folder.Wide()).entries), 0x1200A9u);
  EXPECT_TRUE(GrantEveryoneFullControl(folders, folder.Ansi()));
  EXPECT_EQ(EveryoneMask(RealDacl(folder.Wide()).entries), 0x1301FFu);
}

TEST_F(SecurityGrantTest, AMissingFolderGivesTheGrantsMessage) {
  TempFolder folder(L"present");
  ASSERT_TRUE(folder.Made());
  for (const AnsiString& path :
       {folder.Ansi() + "\\missing", folder.Ansi() + "\\missing\\child", AnsiString("")}) {
    SCOPED_TRACE(path.bytes());
    try {
      GrantEveryoneFullControl(folders, path);
      ADD_FAILURE() << "no error";
    } catch (const SecurityError& e) {
      ADD_FAILURE() << "the model's error escaped: " << e.Message().bytes();
    } catch (const Exception& e) {
      EXPECT_EQ(e.Message(), kGrantFailed);
    }
  }
}

// Run it under LANG=ja_JP.UTF-8 (code page 932) and LANG=C.UTF-8 (code page 1252): the path goes
// to the wide calls through code page 932 either way, never through the system's own code page.
// Under plain LANG=C, Wine cannot name any file outside ASCII, so there is nothing to test. A run
// that names its code page (QV_EXPECT_ACP) must get it and must not skip.
TEST_F(SecurityGrantTest, AJapaneseFolderNameWorksWhateverTheSystemCodePage) {
  const char* expected = std::getenv("QV_EXPECT_ACP");
  if (expected) {
    ASSERT_EQ(GetACP(), static_cast<UINT>(std::atoi(expected)));
  }
  TempFolder folder(L"\u5171\u6709\u30C7\u30FC\u30BF");  // 共有データ
  if (!folder.Made() && !expected && GetACP() != 932) {
    GTEST_SKIP() << "Wine under this locale cannot hold a non-ASCII file name";
  }
  ASSERT_TRUE(folder.Made());
  const AnsiString path = folder.Ansi();
  ASSERT_EQ(path.substr(path.size() - 10), "共有データ");
  const FolderDacl ours = folders.ReadDacl(path);
  ASSERT_EQ(ours.error, 0u);
  EXPECT_EQ(ours.dacl, RealDacl(folder.Wide()).dacl);
  EXPECT_TRUE(GrantEveryoneFullControl(folders, path));
  EXPECT_EQ(EveryoneMask(RealDacl(folder.Wide()).entries), 0x1301FFu);
}

}  // namespace
}  // namespace qv
