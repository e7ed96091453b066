#include <algorithm>

#include <gtest/gtest.h>

#include "security/access_control_list.h"
#include "security/fake_security_platforms.h"
#include "security/security_exception.h"

namespace qv::testing {
namespace {

using AclTest = SecurityPlatformTest;

std::shared_ptr<const TSecurityId> Id(const Bytes& sid) {
  return std::make_shared<TSecurityId>(TBytes(sid));
}

Bytes Built(TSecurityAccessControlList& list) {
  const TGlobalMemory acl = list.CreatePacl();
  return Bytes(acl.Bytes().begin(), acl.Bytes().end());
}

TEST_F(AclTest, GrantEntryBuildsTheKnownTwentyEightBytes) {
  InitWellKnownSids();
  TDAccessControlList dacl;
  dacl.Add(std::make_unique<TDiscretionaryAccessControlEntryAllow>(
      TAceFlags{afObjectInherit, afContainerInherit}, 0x001F01FF, EveryoneSid()));
  EXPECT_EQ(Hex(Built(dacl)),
            "02 00 1C 00 01 00 00 00 "
            "00 03 14 00 FF 01 1F 00 01 01 00 00 00 00 00 01 00 00 00 00");
}

TEST_F(AclTest, TypicalFolderListIsReadInStoredOrderAndBuiltBackToTheSameBytes) {
  // Inherited entries first and an explicit one behind them: the reader must not reorder.
  const Bytes stored = Acl(2, {
                                  Ace(0x00, 0x13, 0x001F01FF, sids::kSystem),
                                  Ace(0x00, 0x13, 0x001F01FF, sids::kAdmins),
                                  Ace(0x00, 0x13, 0x001200A9, sids::kUsers),
                                  Ace(0x00, 0x12, 0x00000004, sids::kUsers),
                                  Ace(0x00, 0x1B, 0x10000000, sids::kCreatorOwner),
                                  Ace(0x01, 0x00, 0x00010000, sids::kGuests),
                              });
  TDAccessControlList dacl{TBytes(stored)};
  ASSERT_EQ(dacl.Count(), 6u);
  EXPECT_EQ(dacl.Revision(), 2);
  struct Expected {
    TAceType type;
    std::uint8_t flags;
    std::uint32_t mask;
    const char* sid;
  } expected[] = {
      {atAccessAllowed, 0x13, 0x001F01FF, "S-1-5-18"},
      {atAccessAllowed, 0x13, 0x001F01FF, "S-1-5-32-544"},
      {atAccessAllowed, 0x13, 0x001200A9, "S-1-5-32-545"},
      {atAccessAllowed, 0x12, 0x00000004, "S-1-5-32-545"},
      {atAccessAllowed, 0x1B, 0x10000000, "S-1-3-0"},
      {atAccessDenied, 0x00, 0x00010000, "S-1-5-32-546"},
  };
  for (std::size_t i = 0; i < dacl.Count(); ++i) {
    SCOPED_TRACE(i);
    const auto& e = dacl.Items(i);
    EXPECT_EQ(e.AceType(), expected[i].type);
    EXPECT_EQ(AceFlagsToByte(e.Flags()), expected[i].flags);
    EXPECT_EQ(e.AccessMask(), expected[i].mask);
    EXPECT_EQ(e.SID()->StringSid(), expected[i].sid);
    EXPECT_EQ(e.OwnerList(), &dacl);
  }
  EXPECT_EQ(Hex(Built(dacl)), Hex(stored));
}

TEST_F(AclTest, ReadingKeepsNothingBehindTheSidOrTheEntries) {
  // A callback entry's application data, spare room at the end of the list and bytes behind the
  // list's own size are not part of what is built again.
  const Bytes stored =
      Acl(2, {Ace(0x09, 0x00, 0x1, sids::kEveryone, {0xAA, 0xBB, 0xCC, 0xDD})}, 12);
  Bytes given = stored;
  given.insert(given.end(), {0xEE, 0xEE, 0xEE});
  TDAccessControlList dacl{TBytes(given)};
  ASSERT_EQ(dacl.Count(), 1u);
  EXPECT_EQ(dacl.Items(0).AceType(), atAccessAllowedCallback);
  EXPECT_EQ(Hex(Built(dacl)), Hex(Acl(2, {Ace(0x09, 0x00, 0x1, sids::kEveryone)})));
}

TEST_F(AclTest, FlagBytesMapToMembersAndBack) {
  struct Case {
    std::uint8_t stored;
    std::uint8_t written;
    bool inherited;
  } cases[] = {
      {0x00, 0x00, false}, {0x03, 0x03, false}, {0x10, 0x10, true},
      {0x13, 0x13, true},  {0x1F, 0x1F, true},  {0x0F, 0x0F, false},
      {0xC0, 0xC0, false}, {0x20, 0x00, false},  // a bit of no member is not kept
      {0xFF, 0xDF, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(static_cast<int>(c.stored));
    const TAceFlags flags = AceFlagsFromByte(c.stored);
    EXPECT_EQ(AceFlagsToByte(flags), c.written);
    EXPECT_EQ(flags.Contains(afValidInheritFlags), (c.stored & 0x1F) == 0x1F);
    TAuditAccessControlEntry entry(flags, 0, Id(sids::kEveryone));
    EXPECT_EQ(entry.IsInherited(), c.inherited);
  }
}

// The kinds of entry an ordering case is made of.
enum Kind { kAllow, kAllowInherited, kDeny, kDenyInherited, kCallbackAllow, kObjectDeny };

std::unique_ptr<TSecurityAccessControlEntry> Make(Kind kind, std::uint32_t mask) {
  const auto sid = Id(sids::kUsers);
  const TAceFlags inherited{afInherited};
  switch (kind) {
    case kAllow:
      return std::make_unique<TDiscretionaryAccessControlEntryAllow>(TAceFlags{}, mask, sid);
    case kAllowInherited:
      return std::make_unique<TDiscretionaryAccessControlEntryAllow>(inherited, mask, sid);
    case kDeny:
      return std::make_unique<TDiscretionaryAccessControlEntryDeny>(TAceFlags{}, mask, sid);
    case kDenyInherited:
      return std::make_unique<TDiscretionaryAccessControlEntryDeny>(inherited, mask, sid);
    case kCallbackAllow:
      return std::make_unique<TDiscretionaryAccessControlEntryCallbackAllow>(TAceFlags{}, mask,
                                                                             sid);
    case kObjectDeny:
      return std::make_unique<TDiscretionaryAccessControlEntryObjectDeny>(TAceFlags{}, mask, sid);
  }
  return nullptr;
}

TEST_F(AclTest, AddPlacesEntriesByTheOrderingRule) {
  struct Case {
    const char* name;
    std::vector<Kind> before;
    Kind added;
    std::size_t index;
  } cases[] = {
      {"explicit allow, empty", {}, kAllow, 0},
      {"explicit allow, three inherited",
       {kAllowInherited, kAllowInherited, kAllowInherited},
       kAllow,
       0},
      {"explicit allow, deny allow inherited", {kDeny, kAllow, kAllowInherited}, kAllow, 2},
      {"explicit allow, two explicit", {kDeny, kAllow}, kAllow, 2},
      {"explicit allow, inherited deny first",
       {kAllow, kDenyInherited, kAllowInherited},
       kAllow,
       1},
      {"explicit deny, explicit and inherited", {kAllow, kAllowInherited}, kDeny, 0},
      {"explicit deny, inherited only", {kAllowInherited}, kDeny, 0},
      {"inherited deny, before first inherited",
       {kAllow, kAllowInherited, kDenyInherited},
       kDenyInherited,
       1},
      {"inherited deny, none inherited", {kDeny, kAllow}, kDenyInherited, 2},
      {"inherited allow, at the end", {kAllow, kDenyInherited}, kAllowInherited, 2},
      {"callback allow is of the allow family", {kAllow, kAllowInherited}, kCallbackAllow, 1},
      {"object deny is of the deny family", {kAllow, kAllowInherited}, kObjectDeny, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    TDAccessControlList dacl;
    std::vector<const TSecurityAccessControlEntry*> order;
    for (std::size_t i = 0; i < c.before.size(); ++i) {
      auto e = Make(c.before[i], static_cast<std::uint32_t>(i));
      order.push_back(e.get());
      dacl.Insert(i, std::move(e));
    }
    auto added = Make(c.added, 99);
    order.insert(order.begin() + static_cast<std::ptrdiff_t>(c.index), added.get());
    EXPECT_EQ(dacl.Add(std::move(added)), c.index);
    EXPECT_EQ(added, nullptr);
    ASSERT_EQ(dacl.Count(), order.size());
    for (std::size_t i = 0; i < order.size(); ++i) {
      EXPECT_EQ(&dacl.Items(i), order[i]) << "at " << i;
      EXPECT_EQ(dacl.Items(i).OwnerList(), &dacl);
    }
  }
}

TEST_F(AclTest, SystemListsAppend) {
  TSAccessControlList sacl;
  EXPECT_EQ(sacl.Add(std::make_unique<TAuditAccessControlEntry>(TAceFlags{afFailedAccess}, 1,
                                                                Id(sids::kEveryone))),
            0u);
  EXPECT_EQ(sacl.Add(std::make_unique<TSystemMandatoryAccessControlEntry>(TAceFlags{}, 1,
                                                                          Id(sids::kHighLabel))),
            1u);
  EXPECT_EQ(sacl.Add(std::make_unique<TAuditAccessControlEntryObject>(TAceFlags{afInherited}, 1,
                                                                      Id(sids::kEveryone))),
            2u);
}

TEST_F(AclTest, EntriesThatDoNotFitAListAreRefusedAndStayWithTheCaller) {
  TDAccessControlList dacl;
  TSAccessControlList sacl;
  std::unique_ptr<TSecurityAccessControlEntry> none;
  EXPECT_THROW(dacl.Add(std::move(none)), ESecurityException);
  EXPECT_THROW(dacl.Insert(0, std::move(none)), ESecurityException);

  std::unique_ptr<TSecurityAccessControlEntry> audit =
      std::make_unique<TAuditAccessControlEntry>(TAceFlags{}, 1, Id(sids::kEveryone));
  std::unique_ptr<TSecurityAccessControlEntry> label =
      std::make_unique<TSystemMandatoryAccessControlEntry>(TAceFlags{}, 1, Id(sids::kHighLabel));
  std::unique_ptr<TSecurityAccessControlEntry> allow =
      std::make_unique<TDiscretionaryAccessControlEntryAllow>(TAceFlags{}, 1, Id(sids::kEveryone));
  EXPECT_THROW(dacl.Add(std::move(audit)), ESecurityException);
  EXPECT_THROW(dacl.Insert(0, std::move(label)), ESecurityException);
  EXPECT_THROW(sacl.Add(std::move(allow)), ESecurityException);
  EXPECT_NE(audit, nullptr);
  EXPECT_NE(label, nullptr);
  ASSERT_NE(allow, nullptr);
  EXPECT_EQ(allow->OwnerList(), nullptr);
  EXPECT_EQ(dacl.Count() + sacl.Count(), 0u);

  EXPECT_THROW(dacl.Insert(1, std::move(allow)), ESecurityException);  // past the end
  EXPECT_NE(allow, nullptr);
}

TEST_F(AclTest, TheSameEntryObjectCannotBePlacedTwice) {
  TDAccessControlList dacl, other;
  dacl.Add(Make(kAllow, 1));
  TSecurityAccessControlEntry* placed = &dacl.Items(0);
  for (TSecurityAccessControlList* list : {static_cast<TSecurityAccessControlList*>(&dacl),
                                           static_cast<TSecurityAccessControlList*>(&other)}) {
    // A second owner made by hand: the checks must refuse it before anything takes it over.
    std::unique_ptr<TSecurityAccessControlEntry> again(placed);
    EXPECT_THROW(list->Add(std::move(again)), ESecurityException);
    EXPECT_THROW(list->Insert(0, std::move(again)), ESecurityException);
    EXPECT_EQ(again.release(), placed);
  }
  EXPECT_EQ(dacl.Count(), 1u);
  EXPECT_EQ(other.Count(), 0u);

  // An equal but distinct entry is placed: no search for equal entries is made.
  dacl.Add(Make(kAllow, 1));
  EXPECT_EQ(dacl.Count(), 2u);
}

TEST_F(AclTest, RevisionRisesOnInsertAndWhenBuiltButNotOnAdd) {
  TDAccessControlList dacl;
  dacl.Insert(0, std::make_unique<TDiscretionaryAccessControlEntryObjectAllow>(
                     TAceFlags{}, 1, Id(sids::kEveryone)));
  EXPECT_EQ(dacl.Revision(), 4);

  TDAccessControlList added;
  added.Add(std::make_unique<TDiscretionaryAccessControlEntryObjectAllow>(TAceFlags{}, 1,
                                                                          Id(sids::kEveryone)));
  EXPECT_EQ(added.Revision(), 2);
  const Bytes built = Built(added);
  EXPECT_EQ(built[0], 4);
  EXPECT_EQ(added.Revision(), 4);
}

TEST_F(AclTest, ObjectEntriesKeepTheirGuidsThroughAReadAndABuild) {
  TGuid a, b;
  for (int i = 0; i < 16; ++i) {
    a.Bytes[i] = static_cast<std::uint8_t>(i + 1);
    b.Bytes[i] = static_cast<std::uint8_t>(0xF0 - i);
  }
  const Bytes stored =
      Acl(4, {
                 ObjectAce(0x05, 0x02, 0x10, a, b, sids::kUsers),
                 ObjectAce(0x06, 0x00, 0x20, a, std::nullopt, sids::kEveryone),
                 ObjectAce(0x0C, 0x00, 0x30, std::nullopt, b, sids::kSystem),
                 ObjectAce(0x05, 0x00, 0x40, std::nullopt, std::nullopt, sids::kAdmins),
             });
  TDAccessControlList dacl{TBytes(stored)};
  ASSERT_EQ(dacl.Count(), 4u);
  EXPECT_EQ(dacl.Items(0).ObjectTypes(), (TAceObjectTypes{a, b}));
  EXPECT_EQ(dacl.Items(0).FixedPartSize(), 44u);
  EXPECT_EQ(dacl.Items(1).ObjectTypes(), (TAceObjectTypes{a, std::nullopt}));
  EXPECT_EQ(dacl.Items(2).AceType(), atAccessDeniedCallbackObject);
  EXPECT_EQ(dacl.Items(2).ObjectTypes(), (TAceObjectTypes{std::nullopt, b}));
  EXPECT_EQ(dacl.Items(3).FixedPartSize(), 12u);
  EXPECT_EQ(Hex(Built(dacl)), Hex(stored));
  // The platform's own object-entry adds build the three kinds it has calls for.
  EXPECT_EQ(std::count(log.Calls.begin(), log.Calls.end(), "AddObjectAce"), 3);

  const Bytes sacl =
      Acl(4, {ObjectAce(0x07, 0xC0, 0x1, a, std::nullopt, sids::kEveryone),
              ObjectAce(0x0F, 0x40, 0x2, std::nullopt, b, sids::kEveryone),
              Ace(0x0D, 0x80, 0x3, sids::kEveryone), Ace(0x11, 0x00, 0x1, sids::kHighLabel)});
  TSAccessControlList system{TBytes(sacl)};
  EXPECT_EQ(Hex(Built(system)), Hex(sacl));
}

TEST_F(AclTest, MalformedListsAreRefusedWithoutReadingOutsideThem) {
  const Bytes good = Ace(0x00, 0x00, 1, sids::kEveryone);
  auto withSize = [](Bytes list, std::uint16_t size) {
    list[2] = static_cast<std::uint8_t>(size);
    list[3] = static_cast<std::uint8_t>(size >> 8);
    return list;
  };
  Bytes sidCount16 = Acl(2, {Ace(0x00, 0, 1, sids::kEveryone)});
  sidCount16[8 + 8 + 1] = 16;
  Bytes sidPastEntry = Acl(2, {Ace(0x00, 0, 1, sids::kEveryone), good});
  sidPastEntry[8 + 8 + 1] = 2;  // one more sub-authority than the entry holds
  Bytes sidRevision = Acl(2, {good});
  sidRevision[8 + 8] = 2;
  Bytes aceSizeZero = Acl(2, {good});
  aceSizeZero[8 + 2] = 0;
  aceSizeZero[8 + 3] = 0;
  Bytes aceSizeShort = Acl(2, {good});
  aceSizeShort[8 + 2] = 12;  // shorter than the fixed part and a SID header
  Bytes aceSizeLong = Acl(2, {good});
  aceSizeLong[8 + 2] = 24;
  Bytes aceSizeBelowHeader = Acl(2, {good});
  aceSizeBelowHeader[8 + 2] = 2;
  Bytes countTooHigh = Acl(2, {good});
  countTooHigh[4] = 2;
  Bytes objectShort = Acl(4, {ObjectAce(0x05, 0, 1, TGuid{}, std::nullopt, sids::kEveryone)});
  objectShort[8 + 8] = 3;  // says both GUIDs follow: the second overlaps the SID, which is cut
  struct Case {
    const char* name;
    Bytes list;
    bool discretionary = true;
  } cases[] = {
      {"shorter than the header", {2, 0, 8, 0, 0, 0, 0}},
      {"size below the header", withSize(Acl(2, {}), 4)},
      {"size past the bytes", withSize(Acl(2, {good}), 29)},
      {"revision 1", Acl(1, {good})},
      {"revision 5", Acl(5, {good})},
      {"count past the size", countTooHigh},
      {"entry size 0", aceSizeZero},
      {"entry size below a header", aceSizeBelowHeader},
      {"entry too short for a SID", aceSizeShort},
      {"entry size past the list", aceSizeLong},
      {"16 sub-authorities", sidCount16},
      {"SID runs past its entry", sidPastEntry},
      {"SID revision 2", sidRevision},
      {"object fields past the entry", objectShort},
      {"SYSTEM_ALARM_ACE_TYPE", Acl(2, {Ace(0x03, 0, 1, sids::kEveryone)})},
      {"compound entry", Acl(2, {Ace(0x04, 0, 1, sids::kEveryone)})},
      {"alarm object entry", Acl(2, {Ace(0x08, 0, 1, sids::kEveryone)})},
      {"allowed callback object entry", Acl(2, {Ace(0x0B, 0, 1, sids::kEveryone)})},
      {"alarm callback entry", Acl(2, {Ace(0x0E, 0, 1, sids::kEveryone)})},
      {"alarm callback object entry", Acl(2, {Ace(0x10, 0, 1, sids::kEveryone)})},
      {"resource attribute entry", Acl(2, {Ace(0x12, 0, 1, sids::kEveryone)})},
      {"audit entry in a DACL", Acl(2, {good, Ace(0x02, 0, 1, sids::kEveryone)})},
      {"label entry in a DACL", Acl(2, {Ace(0x11, 0, 1, sids::kHighLabel)})},
      {"allow entry in a SACL", Acl(2, {good}), false},
      {"deny entry in a SACL", Acl(2, {Ace(0x01, 0, 1, sids::kEveryone)}), false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    // An exact-size copy on the heap, so the sanitizer run sees any read past it.
    const auto heap = std::make_unique<std::uint8_t[]>(c.list.size());
    std::copy(c.list.begin(), c.list.end(), heap.get());
    const TBytes bytes(heap.get(), c.list.size());
    if (c.discretionary) {
      EXPECT_THROW(TDAccessControlList{bytes}, ESecurityException);
    } else {
      EXPECT_THROW(TSAccessControlList{bytes}, ESecurityException);
    }
  }
  EXPECT_THROW(TDAccessControlList{TBytes{}}, ESecurityException);
}

TEST_F(AclTest, ListsThatWouldNotFitTheSizeFieldAreNotBuilt) {
  Bytes longest = {1, 15, 0, 0, 0, 0, 0, 5};
  longest.resize(68, 7);
  const auto sid = Id(longest);
  TDAccessControlList dacl;
  // 8 + 862 * 76 = 65,520 bytes fit; one entry more needs 65,596.
  for (int i = 0; i < 862; ++i)
    dacl.Add(std::make_unique<TDiscretionaryAccessControlEntryAllow>(
        TAceFlags{}, static_cast<std::uint32_t>(i), sid));
  const Bytes built = Built(dacl);
  EXPECT_EQ(built.size(), 65520u);
  EXPECT_EQ(TDAccessControlList(TBytes(built)).Count(), 862u);

  dacl.Add(std::make_unique<TDiscretionaryAccessControlEntryAllow>(TAceFlags{}, 1, sid));
  log.Calls.clear();
  EXPECT_THROW(dacl.CreatePacl(), ESecurityException);
  EXPECT_EQ(std::count(log.Calls.begin(), log.Calls.end(), "GlobalAlloc"), 0);
}

TEST_F(AclTest, AFailureWhileBuildingKeepsNoMemory) {
  TGuid guid;
  guid.Bytes[0] = 9;
  TDAccessControlList dacl;
  dacl.Add(Make(kAllow, 1));
  dacl.Add(std::make_unique<TDiscretionaryAccessControlEntryObjectAllow>(
      TAceFlags{}, 2, Id(sids::kUsers), TAceObjectTypes{guid, std::nullopt}));
  dacl.Add(Make(kAllowInherited, 3));
  log.Calls.clear();
  const Bytes good = Built(dacl);
  const std::vector<std::string> sequence = log.Calls;
  EXPECT_EQ(::testing::PrintToString(sequence),
            ::testing::PrintToString(std::vector<std::string>{
                "GetLengthSid", "GetLengthSid", "GetLengthSid", "GlobalAlloc", "InitializeAcl",
                "GlobalAlloc", "AddAce", "GlobalFree", "AddObjectAce", "GlobalAlloc", "AddAce",
                "GlobalFree", "GlobalFree"}));
  for (std::size_t k = 0; k < sequence.size(); ++k) {
    if (TCallLog::IsRelease(sequence[k])) continue;
    SCOPED_TRACE(::testing::Message() << "failing call " << k << ": " << sequence[k]);
    log.Calls.clear();
    log.FailAt = static_cast<int>(k);
    EXPECT_THROW(dacl.CreatePacl(), ESecurityException);
    EXPECT_EQ(platform.OutstandingBlocks(), 0u);
  }
  log.FailAt = -1;
  EXPECT_EQ(Hex(Built(dacl)), Hex(good));
}

TEST_F(AclTest, ReaderFailsWhenThePlatformDoes) {
  const Bytes stored =
      Acl(2, {Ace(0x00, 0x13, 1, sids::kSystem), Ace(0x00, 0x13, 2, sids::kUsers)});
  log.Calls.clear();
  TDAccessControlList{TBytes(stored)};
  const std::vector<std::string> sequence = log.Calls;
  ASSERT_EQ(sequence.front(), "IsValidAcl");
  for (std::size_t k = 0; k < sequence.size(); ++k) {
    SCOPED_TRACE(sequence[k]);
    log.Calls.clear();
    log.FailAt = static_cast<int>(k);
    EXPECT_THROW(TDAccessControlList{TBytes(stored)}, ESecurityException);
  }
}

}  // namespace
}  // namespace qv::testing
