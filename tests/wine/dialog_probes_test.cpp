// The environment probes against the real system calls (run under Wine, whose process token is
// always an administrator's).
#include <windows.h>

#include <sddl.h>

#include <gtest/gtest.h>

#include <cstddef>
#include <vector>

#include "dialog/environment_probes.h"
#include "framework/errors.h"
#include "win/dialog/win_probe_platform.h"
#include "win/framework/cp932.h"
#include "win/framework/handles.h"

namespace qv {
namespace {

class WinProbesTest : public testing::Test {
 protected:
  win::WinProbePlatform platform;
  EnvironmentProbes probes{platform};
};

TEST_F(WinProbesTest, AdministratorsMembership) {
  EXPECT_TRUE(probes.IsInBuiltinGroup(kRidAdmins));
  EXPECT_FALSE(probes.IsInBuiltinGroup(0x7FFF));  // no such alias
}

// The list does not fit the first buffer: the system says so with 122 and the size it needs,
// and the second read with that size succeeds.
TEST_F(WinProbesTest, TokenGroupsLargerThanTheFirstBuffer) {
  win::UniqueHandle token;
  ASSERT_TRUE(OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, token.put()));
  std::vector<std::byte> small(16);
  DWORD needed = 0;
  SetLastError(0xDEADBEEF);
  ASSERT_FALSE(GetTokenInformation(token.get(), TokenGroups, small.data(), 16, &needed));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
  EXPECT_GT(needed, 16u);

  for (std::size_t firstSize : {std::size_t{16}, std::size_t{needed}, std::size_t{1024}}) {
    SCOPED_TRACE(firstSize);
    std::vector<std::byte> buffer = win::ReadTokenGroups(token.get(), firstSize);
    const auto* groups = reinterpret_cast<const TOKEN_GROUPS*>(buffer.data());
    ASSERT_GT(groups->GroupCount, 0u);
    bool admins = false;
    for (DWORD i = 0; i < groups->GroupCount; ++i) {
      LPWSTR text = nullptr;
      ASSERT_TRUE(ConvertSidToStringSidW(groups->Groups[i].Sid, &text));
      admins = admins || std::wstring(text) == L"S-1-5-32-544";
      LocalFree(text);
    }
    EXPECT_TRUE(admins);
  }
}

TEST_F(WinProbesTest, Folders) {
  EXPECT_EQ(AnsiLowerCase(probes.GetSystemDir()), "c:\\windows\\system32");

  Cp932Path documents = probes.GetDocumentsDir();
  EXPECT_FALSE(documents.text.empty());
  EXPECT_TRUE(documents.representable);
  EXPECT_FALSE(HasTrailingBackslash(documents.text));
  DWORD attributes = GetFileAttributesW(win::ToWide(documents.text).c_str());
  EXPECT_NE(attributes, INVALID_FILE_ATTRIBUTES);

  Cp932Path exe = platform.ExecutablePath();
  EXPECT_EQ(AnsiLowerCase(ExtractFileName(exe.text)), "qv_wine_tests.exe");
}

TEST_F(WinProbesTest, VersionAndUserAccountControl) {
  EXPECT_EQ(probes.GetOsMajorVersion(), 6);
  EXPECT_EQ(probes.ReadRegInteger(
                RegistryRoot::LocalMachine,
                "\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Policies\\System", "EnableLUA"),
            0);
}

// Values of every kind under a key of our own.
class WinRegistryTest : public WinProbesTest {
 protected:
  static constexpr wchar_t kKey[] = L"Software\\QvDialogProbeTest";
  void SetUp() override {
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, kKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                              &key_, nullptr),
              ERROR_SUCCESS);
  }
  void TearDown() override {
    // Give full access back first, in case a test took it away (our handle may change the DACL).
    PSECURITY_DESCRIPTOR open = nullptr;
    if (ConvertStringSecurityDescriptorToSecurityDescriptorW(L"D:(A;;KA;;;WD)", SDDL_REVISION_1,
                                                             &open, nullptr)) {
      RegSetKeySecurity(key_, DACL_SECURITY_INFORMATION, open);
      LocalFree(open);
    }
    RegCloseKey(key_);
    RegDeleteKeyW(HKEY_CURRENT_USER, kKey);
  }
  void Set(const wchar_t* name, DWORD type, const void* data, DWORD size) {
    ASSERT_EQ(RegSetValueExW(key_, name, 0, type, static_cast<const BYTE*>(data), size),
              ERROR_SUCCESS);
  }
  std::int32_t Read(const AnsiString& name) {
    return probes.ReadRegInteger(RegistryRoot::CurrentUser, "\\Software\\QvDialogProbeTest", name);
  }
  HKEY key_ = nullptr;
};

TEST_F(WinRegistryTest, ValuesOfEveryKind) {
  DWORD seven = 7, minusOne = 0xFFFFFFFF;
  ULONGLONG wide = 1;
  Set(L"Seven", REG_DWORD, &seven, 4);
  Set(L"MinusOne", REG_DWORD, &minusOne, 4);
  Set(L"Text", REG_SZ, L"1", 4);
  Set(L"Quad", REG_QWORD, &wide, 8);
  Set(L"Short", REG_DWORD, &seven, 2);
  Set(L"\u4F1A\u8A08", REG_DWORD, &seven, 4);  // 会計

  EXPECT_EQ(Read("Seven"), 7);
  EXPECT_EQ(Read("MinusOne"), -1);
  EXPECT_EQ(Read("Missing"), 0);
  EXPECT_EQ(Read("会計"), 7);
  EXPECT_EQ(probes.ReadRegInteger(RegistryRoot::CurrentUser, "\\Software\\QvNoSuchKey", "Seven"),
            0);
  struct Case {
    AnsiString name, message;
  } cases[] = {
      {"Text", "'Text' のデータ型が不正です"},
      {"Quad", "'Quad' のデータ型が不正です"},
      {"Short", "'Short' の取得に失敗しました"},
  };
  for (const Case& c : cases) {
    try {
      Read(c.name);
      ADD_FAILURE() << c.name.bytes() << ": no error";
    } catch (const Exception& e) {
      EXPECT_EQ(e.Message(), c.message);
    }
  }
}

// A key that lets everyone read and nobody write: the value is read. Full access, which the
// probe does not ask for, is refused there.
TEST_F(WinRegistryTest, AKeyThatCanOnlyBeReadIsRead) {
  DWORD one = 1;
  Set(L"EnableLUA", REG_DWORD, &one, 4);
  PSECURITY_DESCRIPTOR readOnly = nullptr;
  ASSERT_TRUE(ConvertStringSecurityDescriptorToSecurityDescriptorW(
      L"D:P(A;;KR;;;WD)", SDDL_REVISION_1, &readOnly, nullptr));
  ASSERT_EQ(RegSetKeySecurity(key_, DACL_SECURITY_INFORMATION, readOnly), ERROR_SUCCESS);
  LocalFree(readOnly);

  HKEY full = nullptr;
  const LONG fullAccess = RegOpenKeyExW(HKEY_CURRENT_USER, kKey, 0, KEY_ALL_ACCESS, &full);
  if (fullAccess == ERROR_SUCCESS) RegCloseKey(full);
  EXPECT_EQ(fullAccess, ERROR_ACCESS_DENIED);
  EXPECT_EQ(Read("EnableLUA"), 1);
}

}  // namespace
}  // namespace qv
