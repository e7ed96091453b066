// The access-control model's binary lists and identifiers against the real advapi32 under Wine:
// what our code builds, the real functions accept and read back; what the real functions build,
// our reader reads; the SID string forms agree.
#include <windows.h>

#include <aclapi.h>
#include <sddl.h>

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "security/access_control_list.h"
#include "security/security_exception.h"
#include "security/security_id.h"
#include "win/framework/cp932.h"
#include "win/security/win_security_platform.h"

namespace qv {
namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes RealSid(const wchar_t* text) {
  PSID sid = nullptr;
  EXPECT_TRUE(ConvertStringSidToSidW(text, &sid)) << GetLastError();
  if (!sid) return {};
  Bytes bytes(static_cast<BYTE*>(sid), static_cast<BYTE*>(sid) + GetLengthSid(sid));
  LocalFree(sid);
  return bytes;
}

std::shared_ptr<const TSecurityId> Id(const wchar_t* text) {
  const Bytes sid = RealSid(text);
  return std::make_shared<TSecurityId>(TBytes(sid));
}

Bytes Copy(const TGlobalMemory& memory) {
  return Bytes(memory.Bytes().begin(), memory.Bytes().end());
}

// What the real GetAce shows of one entry.
struct RealAce {
  BYTE type, flags;
  WORD size;
  DWORD mask;
  Bytes sid;
};

std::vector<RealAce> ReadWithRealGetAce(Bytes& list) {
  auto* acl = reinterpret_cast<PACL>(list.data());
  std::vector<RealAce> aces;
  ACL_SIZE_INFORMATION info{};
  EXPECT_TRUE(GetAclInformation(acl, &info, sizeof info, AclSizeInformation));
  for (DWORD i = 0; i < info.AceCount; ++i) {
    void* p = nullptr;
    EXPECT_TRUE(GetAce(acl, i, &p)) << i;
    if (!p) break;
    const auto* header = static_cast<const ACE_HEADER*>(p);
    const auto* bytes = static_cast<const BYTE*>(p);
    RealAce ace{header->AceType, header->AceFlags, header->AceSize, 0, {}};
    std::memcpy(&ace.mask, bytes + 4, 4);
    std::size_t sidAt = 8;
    if (header->AceType == ACCESS_ALLOWED_OBJECT_ACE_TYPE ||
        header->AceType == ACCESS_DENIED_OBJECT_ACE_TYPE ||
        header->AceType == SYSTEM_AUDIT_OBJECT_ACE_TYPE ||
        header->AceType == ACCESS_DENIED_CALLBACK_OBJECT_ACE_TYPE ||
        header->AceType == SYSTEM_AUDIT_CALLBACK_OBJECT_ACE_TYPE) {
      DWORD present = 0;
      std::memcpy(&present, bytes + 8, 4);
      sidAt = 12 + ((present & ACE_OBJECT_TYPE_PRESENT) ? 16 : 0) +
              ((present & ACE_INHERITED_OBJECT_TYPE_PRESENT) ? 16 : 0);
    }
    PSID sid = const_cast<BYTE*>(bytes + sidAt);
    EXPECT_TRUE(IsValidSid(sid)) << i;
    ace.sid.assign(bytes + sidAt, bytes + sidAt + GetLengthSid(sid));
    aces.push_back(ace);
  }
  return aces;
}

class SecurityModelTest : public ::testing::Test {
 protected:
  SecurityModelTest() { FreeWellKnownSids(); }
  ~SecurityModelTest() override { FreeWellKnownSids(); }
  win::WinSecurityPlatform real;
};

TEST_F(SecurityModelTest, ListsWeBuildAreReadByTheRealGetAce) {
  GUID guid = {0xBF967ABA, 0x0DE6, 0x11D0, {0xA2, 0x85, 0x00, 0xAA, 0x00, 0x30, 0x49, 0xE2}};
  TGuid objectType;
  std::memcpy(objectType.Bytes.data(), &guid, 16);

  TDAccessControlList dacl;
  dacl.Add(std::make_unique<TDiscretionaryAccessControlEntryAllow>(
      TAceFlags{afObjectInherit, afContainerInherit, afInherited}, 0x1F01FF, Id(L"S-1-5-18")));
  dacl.Add(std::make_unique<TDiscretionaryAccessControlEntryAllow>(
      TAceFlags{afObjectInherit, afContainerInherit}, 0x1F01FF, Id(L"S-1-1-0")));
  dacl.Add(std::make_unique<TDiscretionaryAccessControlEntryDeny>(TAceFlags{afInheritOnly}, 0x10000,
                                                                  Id(L"S-1-5-32-546")));
  dacl.Add(std::make_unique<TDiscretionaryAccessControlEntryCallbackAllow>(TAceFlags{}, 0x1200A9,
                                                                           Id(L"S-1-5-32-545")));
  dacl.Add(std::make_unique<TDiscretionaryAccessControlEntryObjectAllow>(
      TAceFlags{afContainerInherit}, 0x10, Id(L"S-1-5-11"), TAceObjectTypes{objectType, {}}));
  // Built by our own byte handling (the portable platform is the default until one is installed).
  Bytes built = Copy(dacl.CreatePacl());
  ASSERT_TRUE(IsValidAcl(reinterpret_cast<PACL>(built.data())));
  const auto aces = ReadWithRealGetAce(built);
  ASSERT_EQ(aces.size(), dacl.Count());
  for (std::size_t i = 0; i < aces.size(); ++i) {
    SCOPED_TRACE(i);
    const auto& ours = dacl.Items(i);
    EXPECT_EQ(aces[i].type, ours.AceType());
    EXPECT_EQ(aces[i].flags, AceFlagsToByte(ours.Flags()));
    EXPECT_EQ(aces[i].mask, ours.AccessMask());
    EXPECT_EQ(aces[i].size, ours.FixedPartSize() + ours.SID()->Sid().size());
    EXPECT_EQ(aces[i].sid, Bytes(ours.SID()->Sid().begin(), ours.SID()->Sid().end()));
  }

  TSAccessControlList sacl;
  sacl.Add(std::make_unique<TAuditAccessControlEntry>(TAceFlags{afSuccessfulAccess, afFailedAccess},
                                                      0x1F01FF, Id(L"S-1-1-0")));
  sacl.Add(std::make_unique<TAuditAccessControlEntryCallback>(TAceFlags{afFailedAccess}, 0x10000,
                                                              Id(L"S-1-5-32-545")));
  sacl.Add(
      std::make_unique<TSystemMandatoryAccessControlEntry>(TAceFlags{}, 0x1, Id(L"S-1-16-12288")));
  Bytes builtSacl = Copy(sacl.CreatePacl());
  ASSERT_TRUE(IsValidAcl(reinterpret_cast<PACL>(builtSacl.data())));
  const auto saclAces = ReadWithRealGetAce(builtSacl);
  ASSERT_EQ(saclAces.size(), 3u);
  EXPECT_EQ(saclAces[0].type, SYSTEM_AUDIT_ACE_TYPE);
  EXPECT_EQ(saclAces[0].flags, SUCCESSFUL_ACCESS_ACE_FLAG | FAILED_ACCESS_ACE_FLAG);
  EXPECT_EQ(saclAces[2].type, SYSTEM_MANDATORY_LABEL_ACE_TYPE);
  EXPECT_EQ(saclAces[2].sid, RealSid(L"S-1-16-12288"));
}

TEST_F(SecurityModelTest, TheRealCallsBuildThePlainKindsToTheSameBytesAsOurs) {
  TDAccessControlList dacl;
  dacl.Add(std::make_unique<TDiscretionaryAccessControlEntryAllow>(
      TAceFlags{afObjectInherit, afContainerInherit, afInherited}, 0x1F01FF, Id(L"S-1-5-18")));
  dacl.Add(std::make_unique<TDiscretionaryAccessControlEntryDeny>(TAceFlags{}, 0x10000,
                                                                  Id(L"S-1-5-32-546")));
  dacl.Add(std::make_unique<TDiscretionaryAccessControlEntryAllow>(
      TAceFlags{afObjectInherit, afContainerInherit}, 0x1F01FF, Id(L"S-1-1-0")));
  const Bytes ours = Copy(dacl.CreatePacl());
  const TScopedSecurityPlatform install(real);
  const Bytes theirs = Copy(dacl.CreatePacl());
  EXPECT_EQ(theirs, ours);
}

TEST_F(SecurityModelTest, ListsTheRealCallsBuildAreReadIntoTheSameEntries) {
  struct Added {
    BYTE type, flags;
    DWORD mask;
    const wchar_t* sid;
  };
  const Added dacl[] = {
      {ACCESS_DENIED_ACE_TYPE, OBJECT_INHERIT_ACE, 0x10000, L"S-1-5-32-546"},
      {ACCESS_ALLOWED_ACE_TYPE, OBJECT_INHERIT_ACE | CONTAINER_INHERIT_ACE, 0x1F01FF, L"S-1-1-0"},
      {ACCESS_ALLOWED_ACE_TYPE, CONTAINER_INHERIT_ACE | INHERIT_ONLY_ACE | NO_PROPAGATE_INHERIT_ACE,
       GENERIC_ALL, L"S-1-3-0"},
      {ACCESS_DENIED_ACE_TYPE, INHERITED_ACE, 0x2, L"S-1-5-32-545"},
      {ACCESS_ALLOWED_ACE_TYPE, OBJECT_INHERIT_ACE | CONTAINER_INHERIT_ACE | INHERITED_ACE,
       0x1200A9, L"S-1-5-21-1004336348-1177238915-682003330-1001"},
  };
  const Added sacl[] = {
      {SYSTEM_AUDIT_ACE_TYPE, SUCCESSFUL_ACCESS_ACE_FLAG, 0x1F01FF, L"S-1-1-0"},
      {SYSTEM_AUDIT_ACE_TYPE, FAILED_ACCESS_ACE_FLAG | CONTAINER_INHERIT_ACE, DELETE,
       L"S-1-5-32-544"},
  };
  for (bool discretionary : {true, false}) {
    SCOPED_TRACE(discretionary ? "DACL" : "SACL");
    const Added* begin = discretionary ? std::begin(dacl) : std::begin(sacl);
    const Added* end = discretionary ? std::end(dacl) : std::end(sacl);
    DWORD size = sizeof(ACL);
    for (const Added* a = begin; a != end; ++a) size += 8 + RealSid(a->sid).size();
    Bytes list(size);
    auto* acl = reinterpret_cast<PACL>(list.data());
    ASSERT_TRUE(InitializeAcl(acl, size, ACL_REVISION));
    for (const Added* a = begin; a != end; ++a) {
      Bytes sid = RealSid(a->sid);
      BOOL ok = FALSE;
      if (a->type == ACCESS_ALLOWED_ACE_TYPE) {
        ok = AddAccessAllowedAceEx(acl, ACL_REVISION, a->flags, a->mask, sid.data());
      } else if (a->type == ACCESS_DENIED_ACE_TYPE) {
        ok = AddAccessDeniedAceEx(acl, ACL_REVISION, a->flags, a->mask, sid.data());
      } else {
        ok = AddAuditAccessAceEx(acl, ACL_REVISION, a->flags & VALID_INHERIT_FLAGS, a->mask,
                                 sid.data(), (a->flags & SUCCESSFUL_ACCESS_ACE_FLAG) != 0,
                                 (a->flags & FAILED_ACCESS_ACE_FLAG) != 0);
      }
      ASSERT_TRUE(ok) << GetLastError();
    }
    std::unique_ptr<TSecurityAccessControlList> read;
    if (discretionary) {
      read = std::make_unique<TDAccessControlList>(TBytes(list));
    } else {
      read = std::make_unique<TSAccessControlList>(TBytes(list));
    }
    ASSERT_EQ(read->Count(), static_cast<std::size_t>(end - begin));
    for (std::size_t i = 0; i < read->Count(); ++i) {
      SCOPED_TRACE(i);
      const auto& e = read->Items(i);
      EXPECT_EQ(e.AceType(), begin[i].type);
      EXPECT_EQ(AceFlagsToByte(e.Flags()), begin[i].flags);
      EXPECT_EQ(e.AccessMask(), begin[i].mask);
      EXPECT_EQ(e.SID()->StringSid(), win::ToAnsi(begin[i].sid));
    }
    // Built again: the very bytes the real calls made.
    EXPECT_EQ(Copy(read->CreatePacl()), list);
  }
}

TEST_F(SecurityModelTest, MalformedListsRaiseBeforeTheRealCallsSeeThem) {
  // Lists whose walk would leave their bytes (the real IsValidAcl and GetAce trust the sizes
  // inside): each must raise, with the Windows platform installed, and never crash.
  const TScopedSecurityPlatform install(real);
  Bytes everyone = RealSid(L"S-1-1-0");
  Bytes good = {2, 0, 28, 0, 1, 0, 0, 0, 0, 3, 20, 0, 0xFF, 0x01, 0x1F, 0x00};
  good.insert(good.end(), everyone.begin(), everyone.end());
  auto changed = [&](std::size_t at, std::uint8_t value) {
    Bytes list = good;
    list[at] = value;
    return list;
  };
  const Bytes cases[] = {
      Bytes(good.begin(), good.begin() + 7),  // shorter than a header
      changed(2, 29),                         // size past the bytes
      changed(4, 2),                          // count past the size
      changed(10, 0),                         // entry size 0: a walk that never moves on
      changed(10, 24),                        // entry past the list
      changed(17, 16),                        // 16 sub-authorities
      changed(17, 2),                         // SID past its entry
      changed(8, 3),                          // SYSTEM_ALARM_ACE_TYPE
  };
  for (const auto& list : cases) {
    auto heap = std::make_unique<std::uint8_t[]>(list.size());
    std::memcpy(heap.get(), list.data(), list.size());
    EXPECT_THROW(TDAccessControlList(TBytes(heap.get(), list.size())), ESecurityException);
  }
  EXPECT_EQ(TDAccessControlList(TBytes(good)).Count(), 1u);
}

TEST_F(SecurityModelTest, OurStringFormsAreTheRealOnes) {
  InitWellKnownSids();  // through our own conversions
  std::vector<std::shared_ptr<const TSecurityId>> ids;
  for (int i = 0; i < kWellKnownSidCount; ++i)
    ids.push_back(WellKnownSid(static_cast<TWellKnownSid>(i)));
  ids.push_back(
      std::make_shared<TSecurityId>(AnsiString("S-1-5-21-1004336348-1177238915-682003330-1001")));
  // (Authorities beyond 32 bits are left out: Wine 8.0's ConvertSidToStringSidW refuses them.)
  for (const auto& id : ids) {
    SCOPED_TRACE(id->StringSid());
    wchar_t* text = nullptr;
    ASSERT_TRUE(ConvertSidToStringSidW(const_cast<std::uint8_t*>(id->Sid().data()), &text));
    EXPECT_EQ(win::ToAnsi(text), id->StringSid());
    const Bytes realBytes = RealSid(text);
    LocalFree(text);
    EXPECT_EQ(realBytes, Bytes(id->Sid().begin(), id->Sid().end()));
  }
}

TEST_F(SecurityModelTest, TheWindowsPlatformMakesTheWellKnownIdentifiersAlike) {
  const TScopedSecurityPlatform install(real);
  InitWellKnownSids();
  for (int i = 0; i < kWellKnownSidCount; ++i) {
    const auto which = static_cast<TWellKnownSid>(i);
    ASSERT_NE(WellKnownSid(which), nullptr);
    EXPECT_EQ(WellKnownSid(which)->StringSid(), WellKnownSidString(which));
  }
  EXPECT_EQ(Bytes(EveryoneSid()->Sid().begin(), EveryoneSid()->Sid().end()), RealSid(L"S-1-1-0"));
}

TEST_F(SecurityModelTest, AStaleLastErrorIsNoFailureOfTheLengthQuery) {
  const TScopedSecurityPlatform install(real);
  InitWellKnownSids();
  TDAccessControlList dacl;
  dacl.Add(std::make_unique<TDiscretionaryAccessControlEntryAllow>(
      TAceFlags{afObjectInherit, afContainerInherit}, 0x1F01FF, EveryoneSid()));
  // GetLengthSid leaves the last error as it was: an earlier failure must not count.
  SetLastError(ERROR_ACCESS_DENIED);
  EXPECT_EQ(EveryoneSid()->SidLength(), 12u);
  SetLastError(ERROR_INVALID_PARAMETER);
  const Bytes built = Copy(dacl.CreatePacl());
  EXPECT_EQ(built.size(), 28u);
}

TEST_F(SecurityModelTest, TheUserComesFromTheProcessTokenWhenTheThreadHasNone) {
  HANDLE token = nullptr;
  ASSERT_FALSE(OpenThreadToken(GetCurrentThread(), TOKEN_QUERY, TRUE, &token));
  ASSERT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NO_TOKEN));
  ASSERT_TRUE(OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token));
  BYTE buffer[256];
  DWORD size = 0;
  ASSERT_TRUE(GetTokenInformation(token, TokenUser, buffer, sizeof buffer, &size));
  CloseHandle(token);
  PSID user = reinterpret_cast<TOKEN_USER*>(buffer)->User.Sid;

  const TScopedSecurityPlatform install(real);
  const TSecurityThreadUserSID ours;
  EXPECT_EQ(Bytes(ours.Sid().begin(), ours.Sid().end()),
            Bytes(static_cast<BYTE*>(user), static_cast<BYTE*>(user) + GetLengthSid(user)));
}

}  // namespace
}  // namespace qv
