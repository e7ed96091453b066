#include <algorithm>

#include <gtest/gtest.h>

#include "framework/errors.h"
#include "security/fake_security_platforms.h"
#include "security/security_exception.h"
#include "security/set_ace.h"

namespace qv::testing {
namespace {

const AnsiString kGrantFailed = "フォルダへのEveryone権限の付与に失敗しました。";
const AnsiString kFolder = "C:\\VeltoData";

// The entry the grant adds, as it lies in the written list.
const Bytes kGrantEntry = {0x00, 0x03, 0x14, 0x00, 0xFF, 0x01, 0x1F, 0x00, 0x01, 0x01,
                           0x00, 0x00, 0x00, 0x00, 0x00, 0x01, 0x00, 0x00, 0x00, 0x00};

const Bytes kInheritedSystem = Ace(0x00, 0x13, 0x001F01FF, sids::kSystem);
const Bytes kInheritedAdmins = Ace(0x00, 0x13, 0x001F01FF, sids::kAdmins);
const Bytes kExplicitUsers = Ace(0x00, 0x03, 0x001200A9, sids::kUsers);
const Bytes kExplicitAdmins = Ace(0x00, 0x03, 0x001F01FF, sids::kAdmins);
const Bytes kExplicitDenyGuests = Ace(0x01, 0x00, 0x00010000, sids::kGuests);

class GrantTest : public SecurityPlatformTest {
 protected:
  void Folder(const Bytes& dacl, std::uint16_t control = 0x8004) {
    TFakeObject folder;
    folder.Control = control;
    folder.Owner = sids::kAdmins;  // never read, never written
    folder.Group = sids::kSystem;
    folder.Dacl = dacl;
    folder.SaclPresent = true;
    folder.Sacl = Acl(2, {Ace(0x02, 0x80, 0x1, sids::kEveryone)});
    files.Objects[kFolder] = folder;
  }

  // Runs the grant and expects the one message of the grant.
  void ExpectGrantFails() {
    try {
      GrantEveryoneFullControl(kFolder);
      ADD_FAILURE() << "the grant did not fail";
    } catch (const ESecurityException& e) {
      ADD_FAILURE() << "the model's own error escaped: " << e.Message();
    } catch (const Exception& e) {
      EXPECT_EQ(e.Message(), kGrantFailed);
    }
  }

  void ExpectNothingLeft() {
    EXPECT_EQ(files.OutstandingDescriptors(), 0u);
    EXPECT_EQ(platform.OutstandingBlocks(), 0u);
    ASSERT_NE(EveryoneSid(), nullptr);
    // Only the process-wide table still holds Everyone: the entry and its list are gone.
    EXPECT_EQ(EveryoneSid().use_count(), 1);
  }
};

TEST_F(GrantTest, WritesTheExpectedDaclForEachKindOfFolder) {
  struct Case {
    const char* name;
    Bytes dacl;
    std::uint16_t control;
    Bytes written;
    std::uint32_t securityInformation;
  } cases[] = {
      {"only inherited entries (a new folder)", Acl(2, {kInheritedSystem, kInheritedAdmins}),
       0x8404, Acl(2, {kGrantEntry, kInheritedSystem, kInheritedAdmins}), 0x00000004},
      {"explicit entries, then inherited ones",
       Acl(2, {kExplicitDenyGuests, kExplicitUsers, kInheritedSystem}), 0x8404,
       Acl(2, {kExplicitDenyGuests, kExplicitUsers, kGrantEntry, kInheritedSystem}), 0x00000004},
      {"protected DACL, explicit entries only", Acl(2, {kExplicitUsers, kExplicitAdmins}), 0x9004,
       Acl(2, {kExplicitUsers, kExplicitAdmins, kGrantEntry}), 0x80000004},
      {"empty DACL", Acl(2, {}), 0x8004, Acl(2, {kGrantEntry}), 0x00000004},
      {"SACL protected in the control word", Acl(2, {kInheritedSystem}), 0xA004,
       Acl(2, {kGrantEntry, kInheritedSystem}), 0x40000004},
      {"entries with data behind their SID, spare room",
       Acl(2, {Ace(0x09, 0x03, 0x1, sids::kUsers, {1, 2, 3, 4})}, 16), 0x8004,
       Acl(2, {Ace(0x09, 0x03, 0x1, sids::kUsers), kGrantEntry}), 0x00000004},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Folder(c.dacl, c.control);
    files.Writes.clear();
    files.ReadsAsked.clear();
    EXPECT_TRUE(GrantEveryoneFullControl(kFolder));
    EXPECT_EQ(files.ReadsAsked, std::vector<std::uint32_t>{0x00000004});
    ASSERT_EQ(files.Writes.size(), 1u);
    const TWriteRecord& w = files.Writes[0];
    EXPECT_EQ(w.Path, kFolder);
    EXPECT_EQ(w.Type, 1u);
    EXPECT_EQ(w.SecurityInformation, c.securityInformation);
    EXPECT_TRUE(w.OwnerNull);
    EXPECT_TRUE(w.GroupNull);
    EXPECT_TRUE(w.SaclNull);
    ASSERT_TRUE(w.Dacl.has_value());
    EXPECT_EQ(Hex(*w.Dacl), Hex(c.written));
    ExpectNothingLeft();
  }
}

TEST_F(GrantTest, AFolderThatAlreadyHoldsTheGrantIsNotWrittenAgain) {
  struct Case {
    const char* name;
    Bytes dacl;
  } cases[] = {
      {"the entry the grant wrote", Acl(2, {kGrantEntry, kInheritedSystem})},
      {"among other entries, with more rights than full control",
       Acl(2, {kExplicitDenyGuests, kExplicitUsers, Ace(0x00, 0x03, 0x101F01FF, sids::kEveryone),
               kInheritedAdmins})},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Folder(c.dacl);
    files.Writes.clear();
    EXPECT_TRUE(GrantEveryoneFullControl(kFolder));
    EXPECT_TRUE(files.Writes.empty());
    EXPECT_EQ(Hex(*files.Objects[kFolder].Dacl), Hex(c.dacl));
    ExpectNothingLeft();
  }
  // Sharing the same folder twice: one write, one entry.
  Folder(Acl(2, {kInheritedSystem}));
  files.Writes.clear();
  EXPECT_TRUE(GrantEveryoneFullControl(kFolder));
  EXPECT_TRUE(GrantEveryoneFullControl(kFolder));
  ASSERT_EQ(files.Writes.size(), 1u);
  EXPECT_EQ(Hex(*files.Objects[kFolder].Dacl), Hex(Acl(2, {kGrantEntry, kInheritedSystem})));
  ExpectNothingLeft();
}

TEST_F(GrantTest, AnEveryoneEntryThatFallsShortOfTheGrantGetsTheGrantBeside) {
  struct Case {
    const char* name;
    Bytes existing;
  } cases[] = {
      {"inherited", Ace(0x00, 0x13, 0x001F01FF, sids::kEveryone)},
      {"object inherit only", Ace(0x00, 0x01, 0x001F01FF, sids::kEveryone)},
      {"container inherit only", Ace(0x00, 0x02, 0x001F01FF, sids::kEveryone)},
      {"no inheritance", Ace(0x00, 0x00, 0x001F01FF, sids::kEveryone)},
      {"without WRITE_DAC", Ace(0x00, 0x03, 0x001301BF, sids::kEveryone)},
      {"generic all instead of the file rights", Ace(0x00, 0x03, 0x10000000, sids::kEveryone)},
      {"deny", Ace(0x01, 0x03, 0x001F01FF, sids::kEveryone)},
      {"callback allow", Ace(0x09, 0x03, 0x001F01FF, sids::kEveryone)},
      {"another SID", Ace(0x00, 0x03, 0x001F01FF, sids::kUsers)},
      {"inherit only", Ace(0x00, 0x0B, 0x001F01FF, sids::kEveryone)},
      {"no propagate", Ace(0x00, 0x07, 0x001F01FF, sids::kEveryone)},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const Bytes existing = Acl(2, {c.existing});
    Folder(existing);
    files.Writes.clear();
    EXPECT_TRUE(GrantEveryoneFullControl(kFolder));
    ASSERT_EQ(files.Writes.size(), 1u);
    ASSERT_TRUE(files.Writes[0].Dacl.has_value());
    // Placed as for any other list: before the first inherited entry, else at the end.
    const bool inherited = (c.existing[1] & 0x10) != 0;
    const Bytes expected =
        inherited ? Acl(2, {kGrantEntry, c.existing}) : Acl(2, {c.existing, kGrantEntry});
    EXPECT_EQ(Hex(*files.Writes[0].Dacl), Hex(expected));
    ExpectNothingLeft();
  }
}

TEST_F(GrantTest, FoldersWithoutAListOrWithoutAFolderGetTheOneMessage) {
  struct Case {
    const char* name;
    void (*prepare)(TFakeObject&);
  } cases[] = {
      {"NULL DACL", [](TFakeObject& f) { f.Dacl.reset(); }},
      {"no DACL", [](TFakeObject& f) { f.DaclPresent = false; }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Folder(Acl(2, {}));
    c.prepare(files.Objects[kFolder]);
    ExpectGrantFails();
    EXPECT_TRUE(files.Writes.empty());
    ExpectNothingLeft();
  }
  files.Objects.clear();
  ExpectGrantFails();
  EXPECT_TRUE(files.Writes.empty());
}

TEST_F(GrantTest, PlatformCallsComeInTheirOrder) {
  Folder(Acl(2, {kInheritedSystem}));
  InitWellKnownSids();
  log.Calls.clear();
  GrantEveryoneFullControl(kFolder);
  EXPECT_EQ(
      ::testing::PrintToString(log.Calls),
      ::testing::PrintToString(std::vector<std::string>{
          "GetNamedSecurityInfo", "GetSecurityDescriptorControl", "GetSecurityDescriptorOwner",
          "GetSecurityDescriptorGroup", "GetSecurityDescriptorDacl",
          // the one stored entry
          "IsValidAcl", "GetAce", "CopySid", "ConvertSidToStringSid", "GetSecurityDescriptorSacl",
          "LocalFree",
          // the new list of two entries
          "GetLengthSid", "GetLengthSid", "GlobalAlloc", "InitializeAcl", "GlobalAlloc", "AddAce",
          "GlobalFree", "GlobalAlloc", "AddAce", "GlobalFree", "SetNamedSecurityInfo",
          "GlobalFree"}));
}

TEST_F(GrantTest, EveryFailingPlatformCallGivesTheMessageAndReleasesEverything) {
  const Bytes dacl = Acl(2, {kExplicitUsers, kInheritedSystem});
  Folder(dacl);
  InitWellKnownSids();
  log.Calls.clear();
  GrantEveryoneFullControl(kFolder);
  const std::vector<std::string> sequence = log.Calls;
  int failuresTried = 0;
  for (std::size_t k = 0; k < sequence.size(); ++k) {
    if (TCallLog::IsRelease(sequence[k])) continue;
    SCOPED_TRACE(::testing::Message() << "failing call " << k << ": " << sequence[k]);
    Folder(dacl);
    files.Writes.clear();
    log.Calls.clear();
    log.FailAt = static_cast<int>(k);
    ExpectGrantFails();
    ++failuresTried;
    // Nothing is written unless everything before the write succeeded; a failed write changes
    // nothing.
    const bool isWrite = sequence[k] == "SetNamedSecurityInfo";
    EXPECT_EQ(files.Writes.size(), isWrite ? 1u : 0u);
    EXPECT_EQ(Hex(*files.Objects[kFolder].Dacl), Hex(dacl));
    ExpectNothingLeft();
  }
  EXPECT_GE(failuresTried, 20);
}

TEST_F(GrantTest, AFailedFirstInitialisationIsRaisedAsItIs) {
  Folder(Acl(2, {}));
  log.FailAt = 0;  // the first ConvertStringSidToSid
  EXPECT_THROW(GrantEveryoneFullControl(kFolder), ESecurityException);
  EXPECT_TRUE(files.ReadsAsked.empty());
  log.FailAt = -1;
  EXPECT_TRUE(GrantEveryoneFullControl(kFolder));
}

TEST_F(GrantTest, AListThatWouldOutgrowItsSizeFieldIsNotWritten) {
  // 8 + 862 * 76 bytes fit the size field; the grant entry would take the list past 65,535.
  Bytes longest = {1, 15, 0, 0, 0, 0, 0, 5};
  longest.resize(68, 7);
  std::vector<Bytes> aces(862, Ace(0x00, 0x13, 1, longest));
  Folder(Acl(2, aces));
  ExpectGrantFails();
  EXPECT_TRUE(files.Writes.empty());
  ExpectNothingLeft();
}

}  // namespace
}  // namespace qv::testing
