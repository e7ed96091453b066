// The file object named by its path against real folders under Wine, and the lists of both kinds
// against the real ACL functions: Insert where the real AddAce inserts, system lists and object
// entries the real GetAce reads, SIDs from text as the real conversion makes them.
//
// Wine 8.0 stores no security descriptors: a folder's DACL is made up from its Unix mode and a
// written DACL is turned back into mode bits. So the folder tests prove that the calls reach the
// file system and that our reading agrees with the real one; exact written bytes are proved on
// the host, where our code builds them.
#include <windows.h>

#include <aclapi.h>
#include <sddl.h>

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "security/access_list.h"
#include "security/dacl.h"
#include "security/named_file.h"
#include "security/security_exception.h"
#include "security/well_known_sids.h"
#include "win/framework/cp932.h"
#include "win/security/win_named_security.h"

namespace qv {
namespace {

Bytes RealSidOf(const wchar_t* text) {
  PSID sid = nullptr;
  EXPECT_TRUE(ConvertStringSidToSidW(text, &sid)) << GetLastError();
  if (!sid) return {};
  Bytes bytes(static_cast<BYTE*>(sid), static_cast<BYTE*>(sid) + GetLengthSid(sid));
  LocalFree(sid);
  return bytes;
}

// A fresh folder under the temporary folder, removed again afterwards.
class Folder {
 public:
  explicit Folder(const std::wstring& leaf) {
    wchar_t base[MAX_PATH];
    GetTempPathW(MAX_PATH, base);
    path_ = std::wstring(base) + leaf + std::to_wstring(GetCurrentProcessId()) + L"_" +
            std::to_wstring(GetTickCount64());
    made_ = CreateDirectoryW(path_.c_str(), nullptr) != FALSE;
  }
  ~Folder() { RemoveDirectoryW(path_.c_str()); }
  Folder(const Folder&) = delete;
  Folder& operator=(const Folder&) = delete;
  const std::wstring& Wide() const { return path_; }
  bool Made() const { return made_; }

 private:
  std::wstring path_;
  bool made_ = false;
};

struct RealDescriptor {
  DWORD code = 0;
  WORD control = 0;
  Bytes owner, group, dacl;
};

RealDescriptor ReadReally(const std::wstring& path, SECURITY_INFORMATION information) {
  RealDescriptor real;
  PSECURITY_DESCRIPTOR sd = nullptr;
  PSID owner = nullptr, group = nullptr;
  PACL dacl = nullptr;
  real.code = GetNamedSecurityInfoW(path.c_str(), SE_FILE_OBJECT, information, &owner, &group,
                                    &dacl, nullptr, &sd);
  if (real.code != ERROR_SUCCESS) return real;
  DWORD revision = 0;
  GetSecurityDescriptorControl(sd, &real.control, &revision);
  if (owner)
    real.owner.assign(static_cast<BYTE*>(owner), static_cast<BYTE*>(owner) + GetLengthSid(owner));
  if (group)
    real.group.assign(static_cast<BYTE*>(group), static_cast<BYTE*>(group) + GetLengthSid(group));
  if (dacl) {
    const auto* bytes = reinterpret_cast<const BYTE*>(dacl);
    real.dacl.assign(bytes, bytes + dacl->AclSize);
  }
  LocalFree(sd);
  return real;
}

// What the real read gives Everyone in the folder's own (not inherit-only) allow entries.
DWORD RealEveryoneMask(const Bytes& dacl) {
  Bytes list = dacl;
  auto* acl = reinterpret_cast<PACL>(list.data());
  DWORD mask = 0;
  for (DWORD i = 0; i < acl->AceCount; ++i) {
    void* p = nullptr;
    if (!GetAce(acl, i, &p)) break;
    const auto* ace = static_cast<ACCESS_ALLOWED_ACE*>(p);
    if (ace->Header.AceType == ACCESS_ALLOWED_ACE_TYPE &&
        !(ace->Header.AceFlags & INHERIT_ONLY_ACE) &&
        EqualSid(const_cast<DWORD*>(&ace->SidStart),
                 const_cast<std::uint8_t*>(EveryoneSid().View().data()))) {
      mask |= ace->Mask;
    }
  }
  return mask;
}

TEST(NamedFileWineTest, ReadGivesWhatTheRealCallsRead) {
  Folder folder(L"qvnamed_");
  ASSERT_TRUE(folder.Made());
  win::WinNamedSecurity system;
  const NamedFile file(system, win::ToAnsi(folder.Wide()));
  struct Case {
    SecurityParts parts;
    SECURITY_INFORMATION information;
  } cases[] = {
      {{SecurityPart::Dacl}, DACL_SECURITY_INFORMATION},
      {{SecurityPart::Owner, SecurityPart::Group, SecurityPart::Dacl},
       OWNER_SECURITY_INFORMATION | GROUP_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION},
      {{SecurityPart::Owner}, OWNER_SECURITY_INFORMATION},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.information);
    const RealDescriptor real = ReadReally(folder.Wide(), c.information);
    ASSERT_EQ(real.code, static_cast<DWORD>(ERROR_SUCCESS));
    const SecurityDescriptor ours = file.Read(c.parts);
    EXPECT_EQ(ControlWordOf(ours.control), real.control);
    EXPECT_EQ(ours.owner.has_value(), !real.owner.empty());
    if (ours.owner) {
      EXPECT_EQ(Bytes(ours.owner->View().begin(), ours.owner->View().end()), real.owner);
    }
    EXPECT_EQ(ours.group.has_value(), !real.group.empty());
    if (ours.group) {
      EXPECT_EQ(Bytes(ours.group->View().begin(), ours.group->View().end()), real.group);
    }
    EXPECT_EQ(ours.dacl.has_value(), !real.dacl.empty());
    if (ours.dacl) {
      EXPECT_EQ(ours.dacl->Build(), real.dacl);
    }
    EXPECT_TRUE(ours.sacl.Entries().empty());
  }
}

TEST(NamedFileWineTest, AnEntryAddedAndWrittenByNameReachesTheFolder) {
  for (const wchar_t* leaf : {L"qvnamed_", L"\u5171\u6709\u30d5\u30a9\u30eb\u30c0_"}) {
    Folder folder(leaf);
    ASSERT_TRUE(folder.Made());
    win::WinNamedSecurity system;
    const NamedFile file(system, win::ToAnsi(folder.Wide()));
    SecurityDescriptor descriptor = file.Read({SecurityPart::Dacl});
    ASSERT_TRUE(descriptor.dacl);
    // Wine makes the folder's list up from its mode: Everyone may read, not write.
    EXPECT_EQ(
        RealEveryoneMask(ReadReally(folder.Wide(), DACL_SECURITY_INFORMATION).dacl) & FILE_ADD_FILE,
        0u);
    auto grant = std::make_unique<AccessEntry>(ace::kAccessAllowed, 0x03, 0x1F01FF, EveryoneSid());
    descriptor.dacl->Add(grant);
    file.Write(descriptor, {SecurityPart::Dacl});
    const DWORD after = RealEveryoneMask(ReadReally(folder.Wide(), DACL_SECURITY_INFORMATION).dacl);
    EXPECT_EQ(after & (FILE_ADD_FILE | FILE_ADD_SUBDIRECTORY),
              FILE_ADD_FILE | FILE_ADD_SUBDIRECTORY);
  }
}

TEST(NamedFileWineTest, AMissingPathFailsWithTheReadsCodeAndNothingIsWritten) {
  win::WinNamedSecurity system;
  Folder folder(L"qvnamed_");
  ASSERT_TRUE(folder.Made());
  struct Case {
    std::wstring path;
    const char* message;
  } cases[] = {
      {folder.Wide() + L"\\missing", "GetNamedSecurityInfo failed with code 2"},
      {folder.Wide() + L"\\missing\\below", "GetNamedSecurityInfo failed with code 3"},
  };
  for (const Case& c : cases) {
    const NamedFile file(system, win::ToAnsi(c.path));
    try {
      file.Read({SecurityPart::Dacl});
      ADD_FAILURE() << c.message;
    } catch (const SecurityError& e) {
      EXPECT_STREQ(e.what(), c.message);
    }
    EXPECT_THROW(file.Write(SecurityDescriptor(), {SecurityPart::Dacl}), SecurityError);
    EXPECT_EQ(GetFileAttributesW(c.path.c_str()), INVALID_FILE_ATTRIBUTES);
  }
}

// The documentation has AddAce insert at its starting index, but Wine 8.0's appends whatever
// the index: the real list is therefore built in the order the ordering rule names, written out
// here by hand, and our Add (and Insert at the indices Add answered) must give its bytes.
TEST(NamedFileWineTest, AddAndInsertGiveTheListTheRealCallsBuildInTheRulesOrder) {
  struct Step {
    BYTE type, flags;
    DWORD mask;
    const wchar_t* sid;
    std::size_t index;  // where the rule puts it among the entries added before it
  } steps[] = {
      {ACCESS_ALLOWED_ACE_TYPE, 0x13, 0x1200A9, L"S-1-5-32-545", 0},
      {ACCESS_ALLOWED_ACE_TYPE, 0x13, 0x1F01FF, L"S-1-5-18", 1},
      {ACCESS_ALLOWED_ACE_TYPE, 0x03, 0x1F01FF, L"S-1-1-0", 0},
      {ACCESS_DENIED_ACE_TYPE, 0x00, 0x10000, L"S-1-5-32-546", 0},
      {ACCESS_DENIED_ACE_TYPE, 0x13, 0x40, L"S-1-5-11", 2},
      {ACCESS_ALLOWED_ACE_TYPE, 0x13, 0x1, L"S-1-3-0", 5},
  };
  const std::size_t finalOrder[] = {3, 2, 4, 0, 1, 5};
  Dacl byRule, byIndex;
  for (const Step& s : steps) {
    const AccessEntry entry(s.type, s.flags, s.mask, Sid(RealSidOf(s.sid)));
    auto ruled = std::make_unique<AccessEntry>(entry);
    EXPECT_EQ(byRule.Add(ruled), s.index);
    auto placed = std::make_unique<AccessEntry>(entry);
    byIndex.Insert(s.index, placed);
  }
  std::vector<BYTE> memory(1024);
  auto* acl = reinterpret_cast<PACL>(memory.data());
  ASSERT_TRUE(InitializeAcl(acl, static_cast<DWORD>(memory.size()), ACL_REVISION));
  for (const std::size_t i : finalOrder) {
    Bytes sid = RealSidOf(steps[i].sid);
    ASSERT_TRUE(
        steps[i].type == ACCESS_ALLOWED_ACE_TYPE
            ? AddAccessAllowedAceEx(acl, ACL_REVISION, steps[i].flags, steps[i].mask, sid.data())
            : AddAccessDeniedAceEx(acl, ACL_REVISION, steps[i].flags, steps[i].mask, sid.data()))
        << GetLastError();
  }
  ACL_SIZE_INFORMATION info{};
  ASSERT_TRUE(GetAclInformation(acl, &info, sizeof info, AclSizeInformation));
  acl->AclSize = static_cast<WORD>(info.AclBytesInUse);
  const Bytes real(memory.begin(), memory.begin() + info.AclBytesInUse);
  EXPECT_EQ(byRule.Build(), real);
  EXPECT_EQ(byIndex.Build(), real);
}

TEST(NamedFileWineTest, SystemListsAndObjectEntriesWeBuildAreTheRealOnes) {
  std::vector<BYTE> memory(1024);
  auto* acl = reinterpret_cast<PACL>(memory.data());
  ASSERT_TRUE(InitializeAcl(acl, static_cast<DWORD>(memory.size()), ACL_REVISION));
  Sacl ours;
  struct Audit {
    DWORD mask;
    const wchar_t* sid;
    BOOL success, failure;
    BYTE flags;
  } audits[] = {
      {FILE_ALL_ACCESS, L"S-1-1-0", TRUE, TRUE, OBJECT_INHERIT_ACE | CONTAINER_INHERIT_ACE},
      {DELETE, L"S-1-5-32-545", FALSE, TRUE, 0},
  };
  for (const Audit& a : audits) {
    Bytes sid = RealSidOf(a.sid);
    ASSERT_TRUE(
        AddAuditAccessAceEx(acl, ACL_REVISION, a.flags, a.mask, sid.data(), a.success, a.failure))
        << GetLastError();
    const std::uint8_t flags = static_cast<std::uint8_t>(
        a.flags | (a.success ? ace::kSuccessfulAccess : 0) | (a.failure ? ace::kFailedAccess : 0));
    auto entry = std::make_unique<AccessEntry>(ace::kSystemAudit, flags, a.mask, Sid(sid));
    ours.Add(entry);
  }
  ACL_SIZE_INFORMATION info{};
  ASSERT_TRUE(GetAclInformation(acl, &info, sizeof info, AclSizeInformation));
  acl->AclSize = static_cast<WORD>(info.AclBytesInUse);
  EXPECT_EQ(ours.Build(), Bytes(memory.begin(), memory.begin() + info.AclBytesInUse));

  // An object entry of ours, in a list the real calls check and read.
  const Guid objectType = {0xBA, 0x7A, 0x96, 0xBF, 0xE6, 0x0D, 0xD0, 0x11,
                           0xA2, 0x85, 0x00, 0xAA, 0x00, 0x30, 0x49, 0xE2};
  Dacl dacl;
  auto object =
      std::make_unique<AccessEntry>(ace::kAccessAllowedObject, CONTAINER_INHERIT_ACE, 0x10,
                                    objectType, std::nullopt, Sid(RealSidOf(L"S-1-5-11")));
  dacl.Add(object);
  Bytes built = dacl.Build();
  ASSERT_TRUE(IsValidAcl(reinterpret_cast<PACL>(built.data())));
  void* p = nullptr;
  ASSERT_TRUE(GetAce(reinterpret_cast<PACL>(built.data()), 0, &p));
  const auto* real = static_cast<ACCESS_ALLOWED_OBJECT_ACE*>(p);
  EXPECT_EQ(real->Header.AceType, ACCESS_ALLOWED_OBJECT_ACE_TYPE);
  EXPECT_EQ(real->Flags, static_cast<DWORD>(ACE_OBJECT_TYPE_PRESENT));
  EXPECT_EQ(std::memcmp(&real->ObjectType, objectType.data(), 16), 0);
  // With only the object type present, the SID begins where the inherited type would.
  EXPECT_TRUE(
      EqualSid(const_cast<GUID*>(&real->InheritedObjectType), RealSidOf(L"S-1-5-11").data()));
}

TEST(NamedFileWineTest, SidsFromTextAreTheRealConversionsAndTheWellKnownOnesTheRealOnes) {
  // (A SID without sub-authorities is left out: Wine 8.0's conversion refuses "S-1-5".)
  for (const wchar_t* text :
       {L"S-1-1-0", L"S-1-5-32-544", L"S-1-5-18", L"S-1-0-0", L"S-1-16-12288",
        L"S-1-5-21-1004336348-1177238915-682003330-1001",
        L"S-1-5-21-4294967295-1-2-3-4-5-6-7-8-9-10-11-12-13", L"S-1-5-0032-00544"}) {
    SCOPED_TRACE(win::ToAnsi(text).bytes());
    const Sid ours = Sid::FromText(win::ToAnsi(text));
    EXPECT_EQ(Bytes(ours.View().begin(), ours.View().end()), RealSidOf(text));
  }
  struct Known {
    WellKnown which;
    WELL_KNOWN_SID_TYPE real;
  } known[] = {
      {WellKnown::Everyone, WinWorldSid},
      {WellKnown::CreatorOwner, WinCreatorOwnerSid},
      {WellKnown::LocalSystem, WinLocalSystemSid},
      {WellKnown::AuthenticatedUsers, WinAuthenticatedUserSid},
      {WellKnown::Administrators, WinBuiltinAdministratorsSid},
      {WellKnown::Users, WinBuiltinUsersSid},
  };
  for (const Known& k : known) {
    BYTE sid[SECURITY_MAX_SID_SIZE];
    DWORD size = sizeof sid;
    ASSERT_TRUE(CreateWellKnownSid(k.real, nullptr, sid, &size)) << k.real;
    const Sid& ours = InitWellKnownSids().Get(k.which);
    EXPECT_EQ(Bytes(ours.View().begin(), ours.View().end()), Bytes(sid, sid + size)) << k.real;
  }
}

}  // namespace
}  // namespace qv
