#include <algorithm>
#include <memory>

#include <gtest/gtest.h>

#include "security/dacl.h"
#include "security/security_bytes.h"
#include "security/security_exception.h"

namespace qv::testing {
namespace {

AccessEntry Entry(std::uint8_t type, std::uint8_t flags, std::uint32_t mask, const Bytes& sid) {
  return AccessEntry(type, flags, mask, Sid(sid));
}

TEST(DaclTest, GrantEntryBuildsTheKnownTwentyEightBytes) {
  Dacl dacl;
  dacl.InsertBeforeInherited(AccessEntry(ace::kAccessAllowed, 0x03, 0x001F01FF, EveryoneSid()));
  EXPECT_EQ(Hex(dacl.Build()),
            "02 00 1C 00 01 00 00 00 "
            "00 03 14 00 FF 01 1F 00 01 01 00 00 00 00 00 01 00 00 00 00");
}

TEST(DaclTest, TypicalFolderListIsReadInStoredOrderAndBuiltBackToTheSameBytes) {
  // Inherited entries first and an explicit one behind them: the reader must not reorder.
  const Bytes stored = Acl(2, {
                                  Ace(0x00, 0x13, 0x001F01FF, sids::kSystem),
                                  Ace(0x00, 0x13, 0x001F01FF, sids::kAdmins),
                                  Ace(0x00, 0x13, 0x001200A9, sids::kUsers),
                                  Ace(0x00, 0x12, 0x00000004, sids::kUsers),
                                  Ace(0x00, 0x1B, 0x10000000, sids::kCreatorOwner),
                                  Ace(0x01, 0x00, 0x00010000, sids::kGuests),
                              });
  const Dacl dacl = Dacl::Read(stored);
  ASSERT_EQ(dacl.Entries().size(), 6u);
  EXPECT_EQ(dacl.Revision(), 2);
  struct Expected {
    std::uint8_t type;
    std::uint8_t flags;
    std::uint32_t mask;
    const char* sid;
  } expected[] = {
      {0x00, 0x13, 0x001F01FF, "S-1-5-18"},     {0x00, 0x13, 0x001F01FF, "S-1-5-32-544"},
      {0x00, 0x13, 0x001200A9, "S-1-5-32-545"}, {0x00, 0x12, 0x00000004, "S-1-5-32-545"},
      {0x00, 0x1B, 0x10000000, "S-1-3-0"},      {0x01, 0x00, 0x00010000, "S-1-5-32-546"},
  };
  for (std::size_t i = 0; i < dacl.Entries().size(); ++i) {
    SCOPED_TRACE(i);
    const AccessEntry& e = dacl.Entries()[i];
    EXPECT_EQ(e.Type(), expected[i].type);
    EXPECT_EQ(e.Flags(), expected[i].flags);
    EXPECT_EQ(e.IsInherited(), (expected[i].flags & 0x10) != 0);
    EXPECT_EQ(e.Mask(), expected[i].mask);
    ASSERT_TRUE(e.Trustee().has_value());
    EXPECT_EQ(e.Trustee()->Text(), AnsiString(expected[i].sid));
  }
  EXPECT_EQ(Hex(dacl.Build()), Hex(stored));
}

TEST(DaclTest, WhatEntriesCarryIsKeptAndWhatLiesBehindThemIsNot) {
  Guid a{}, b{};
  for (int i = 0; i < 16; ++i) {
    a[i] = static_cast<std::uint8_t>(i + 1);
    b[i] = static_cast<std::uint8_t>(0xF0 - i);
  }
  struct Case {
    const char* name;
    Bytes entry;
    bool known;
  } cases[] = {
      {"a conditional entry's data behind its SID",
       Ace(0x09, 0x00, 0x1, sids::kEveryone, {0xAA, 0xBB, 0xCC, 0xDD}), true},
      {"a flag bit without a name here", Ace(0x00, 0x20, 0x1, sids::kUsers), true},
      {"object entry with both GUIDs", ObjectAce(0x05, 0x02, 0x10, a, b, sids::kUsers), true},
      {"object entry with one GUID", ObjectAce(0x06, 0x00, 0x20, a, std::nullopt, sids::kEveryone),
       true},
      {"callback object deny", ObjectAce(0x0C, 0x00, 0x30, std::nullopt, b, sids::kSystem), true},
      {"SYSTEM_ALARM_ACE_TYPE", Ace(0x03, 0, 1, sids::kEveryone), false},
      {"allowed callback object entry", ObjectAce(0x0B, 0, 1, a, std::nullopt, sids::kUsers),
       false},
      {"an entry of a kind yet to come, header only", {0x40, 0x00, 0x04, 0x00}, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const Bytes stored = Acl(4, {c.entry, Ace(0x00, 0x10, 2, sids::kSystem)});
    Bytes given = Acl(4, {c.entry, Ace(0x00, 0x10, 2, sids::kSystem)}, 12);  // spare room
    given.insert(given.end(), {0xEE, 0xEE, 0xEE});  // bytes behind the list's own size
    const Dacl dacl = Dacl::Read(given);
    ASSERT_EQ(dacl.Entries().size(), 2u);
    EXPECT_EQ(Hex(dacl.Entries()[0].View()), Hex(c.entry));
    EXPECT_EQ(dacl.Entries()[0].Mask().has_value(), c.known);
    EXPECT_EQ(dacl.Entries()[0].Trustee().has_value(), c.known);
    EXPECT_EQ(Hex(dacl.Build()), Hex(stored));
  }
  const Dacl object = Dacl::Read(Acl(4, {ObjectAce(0x05, 0x02, 0x10, a, b, sids::kUsers)}));
  EXPECT_EQ(object.Entries()[0].Trustee()->Text(), "S-1-5-32-545");
}

TEST(DaclTest, InsertBeforeInheritedKeepsTheOthersInOrder) {
  const Bytes allow = Ace(0x00, 0x00, 1, sids::kUsers);
  const Bytes deny = Ace(0x01, 0x00, 2, sids::kGuests);
  const Bytes inherited = Ace(0x00, 0x10, 3, sids::kSystem);
  const Bytes inheritedDeny = Ace(0x01, 0x10, 4, sids::kGuests);
  const Bytes added = Ace(0x00, 0x03, 99, sids::kEveryone);
  struct Case {
    const char* name;
    std::vector<Bytes> before;
    std::size_t index;
  } cases[] = {
      {"empty", {}, 0},
      {"three inherited", {inherited, inherited, inherited}, 0},
      {"deny, allow, inherited", {deny, allow, inherited}, 2},
      {"two explicit", {deny, allow}, 2},
      {"an inherited deny first among the inherited", {allow, inheritedDeny, inherited}, 1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Dacl dacl = Dacl::Read(Acl(2, c.before));
    EXPECT_EQ(dacl.InsertBeforeInherited(Entry(0x00, 0x03, 99, sids::kEveryone)), c.index);
    std::vector<Bytes> after = c.before;
    after.insert(after.begin() + static_cast<std::ptrdiff_t>(c.index), added);
    EXPECT_EQ(Hex(dacl.Build()), Hex(Acl(2, after)));
  }
}

TEST(DaclTest, RevisionIsKeptAndRaisedOnlyWhereAnEntryNeedsMore) {
  EXPECT_EQ(Hex(Dacl::Read(Acl(3, {})).Build()), Hex(Acl(3, {})));
  // An object entry in a list of revision 2 needs revision 4 once built.
  const Bytes object = ObjectAce(0x05, 0, 1, std::nullopt, std::nullopt, sids::kUsers);
  const Dacl dacl = Dacl::Read(Acl(2, {object}));
  EXPECT_EQ(dacl.Revision(), 2);
  EXPECT_EQ(Hex(dacl.Build()), Hex(Acl(4, {object})));
}

TEST(DaclTest, MalformedListsAreRefusedWithoutReadingOutsideThem) {
  const Bytes good = Ace(0x00, 0x00, 1, sids::kEveryone);
  auto withSize = [](Bytes list, std::uint16_t size) {
    list[2] = static_cast<std::uint8_t>(size);
    list[3] = static_cast<std::uint8_t>(size >> 8);
    return list;
  };
  auto changed = [](Bytes list, std::size_t at, std::uint8_t value) {
    list[at] = value;
    return list;
  };
  const Bytes one = Acl(2, {good});
  Bytes objectShort = Acl(4, {ObjectAce(0x05, 0, 1, Guid{}, std::nullopt, sids::kEveryone)});
  objectShort[8 + 8] = 3;  // says both GUIDs follow: the second overlaps the SID, which is cut
  struct Case {
    const char* name;
    Bytes list;
  } cases[] = {
      {"shorter than the header", {2, 0, 8, 0, 0, 0, 0}},
      {"size below the header", withSize(Acl(2, {}), 4)},
      {"size past the bytes", withSize(one, 29)},
      {"revision 1", Acl(1, {good})},
      {"revision 5", Acl(5, {good})},
      {"count past the size", changed(one, 4, 2)},
      {"entry size 0", changed(one, 10, 0)},
      {"entry size below a header", changed(one, 10, 2)},
      {"entry too short for a SID", changed(one, 10, 12)},
      {"entry size past the list", changed(one, 10, 24)},
      {"16 sub-authorities", changed(one, 17, 16)},
      {"SID runs past its entry", changed(Acl(2, {good, good}), 17, 2)},
      {"SID revision 2", changed(one, 16, 2)},
      {"object fields past the entry", objectShort},
      {"audit entry", Acl(2, {good, Ace(0x02, 0, 1, sids::kEveryone)})},
      {"audit callback object entry",
       Acl(4, {ObjectAce(0x0F, 0, 1, std::nullopt, std::nullopt, sids::kEveryone)})},
      {"label entry", Acl(2, {Ace(0x11, 0, 1, sids::kHighLabel)})},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    // An exact-size copy on the heap, so the sanitizer run sees any read past it.
    const auto heap = std::make_unique<std::uint8_t[]>(c.list.size());
    std::copy(c.list.begin(), c.list.end(), heap.get());
    EXPECT_THROW(Dacl::Read(ByteView(heap.get(), c.list.size())), SecurityError);
  }
  EXPECT_THROW(Dacl::Read(ByteView{}), SecurityError);
  // An entry read on its own must fill its bytes exactly.
  Bytes longer = good;
  longer.push_back(0);
  EXPECT_THROW(AccessEntry::Read(longer), SecurityError);
}

TEST(DaclTest, ListsThatWouldNotFitTheSizeFieldAreNotBuilt) {
  Bytes longest = {1, 15, 0, 0, 0, 0, 0, 5};
  longest.resize(68, 7);
  Dacl dacl;
  // 8 + 862 * 76 = 65,520 bytes fit; one entry more needs 65,596.
  for (int i = 0; i < 862; ++i) {
    dacl.InsertBeforeInherited(Entry(0x00, 0x00, static_cast<std::uint32_t>(i), longest));
  }
  const Bytes built = dacl.Build();
  EXPECT_EQ(built.size(), 65520u);
  EXPECT_EQ(Dacl::Read(built).Entries().size(), 862u);
  dacl.InsertBeforeInherited(Entry(0x00, 0x00, 1, longest));
  EXPECT_THROW(dacl.Build(), SecurityError);
}

}  // namespace
}  // namespace qv::testing
