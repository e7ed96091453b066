// Where Add and Insert put entries in both kinds of list, what they refuse, and how entries of
// every kind are made.
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "security/access_list.h"
#include "security/dacl.h"
#include "security/security_bytes.h"
#include "security/security_exception.h"
#include "security/well_known_sids.h"

namespace qv::testing {
namespace {

constexpr std::uint8_t kExplicit = 0x03, kInherited = 0x13;

std::unique_ptr<AccessEntry> Make(std::uint8_t type, std::uint8_t flags, const Bytes& sid,
                                  std::uint32_t mask = 0x1F01FF) {
  return std::make_unique<AccessEntry>(type, flags, mask, Sid(sid));
}

// A short name per entry of a list: "D" deny, "A" allow, "?" another kind, "i" when inherited,
// then the SID's last number, so that a table can say the whole order in one string.
std::string Order(const AccessList& list) {
  std::string order;
  for (const AccessEntry& e : list.Entries()) {
    if (!order.empty()) order += ' ';
    order += FamilyOf(e.Type()) == AceFamily::Deny    ? "D"
             : FamilyOf(e.Type()) == AceFamily::Allow ? "A"
             : FamilyOf(e.Type()) == AceFamily::Audit ? "U"
                                                      : "?";
    if (e.IsInherited()) order += 'i';
    order += e.Trustee()->Text().view().substr(e.Trustee()->Text().view().rfind('-') + 1);
  }
  return order;
}

TEST(AccessListTest, AddPlacesEachFamilyByTheOrderingRule) {
  // Listed lists, each built with Insert at the end so that their order is the one written.
  const std::vector<std::pair<std::uint8_t, std::uint8_t>> threeInherited = {
      {0x00, kInherited}, {0x00, kInherited}, {0x01, kInherited}};
  const std::vector<std::pair<std::uint8_t, std::uint8_t>> denyAllowInherited = {
      {0x01, kExplicit}, {0x00, kExplicit}, {0x00, kInherited}};
  const std::vector<std::pair<std::uint8_t, std::uint8_t>> twoExplicit = {{0x01, kExplicit},
                                                                          {0x00, kExplicit}};
  struct Case {
    const char* name;
    std::vector<std::pair<std::uint8_t, std::uint8_t>> list;
    std::uint8_t type, flags;
    std::size_t index;
  } cases[] = {
      {"explicit allow, empty list", {}, 0x00, kExplicit, 0},
      {"explicit allow, three inherited", threeInherited, 0x00, kExplicit, 0},
      {"explicit allow, deny allow inherited", denyAllowInherited, 0x00, kExplicit, 2},
      {"explicit allow, two explicit", twoExplicit, 0x00, kExplicit, 2},
      {"explicit deny, deny allow inherited", denyAllowInherited, 0x01, kExplicit, 0},
      {"explicit deny, three inherited", threeInherited, 0x01, kExplicit, 0},
      {"explicit deny, two explicit", twoExplicit, 0x01, kExplicit, 0},
      {"inherited deny, deny allow inherited", denyAllowInherited, 0x01, kInherited, 2},
      {"inherited deny, two explicit", twoExplicit, 0x01, kInherited, 2},
      {"inherited allow, deny allow inherited", denyAllowInherited, 0x00, kInherited, 3},
      {"inherited allow, three inherited", threeInherited, 0x00, kInherited, 3},
      {"explicit callback allow, three inherited", threeInherited, 0x09, kExplicit, 0},
      {"explicit callback deny, two explicit", twoExplicit, 0x0A, kExplicit, 0},
      {"inherited callback deny, deny allow inherited", denyAllowInherited, 0x0A, kInherited, 2},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Dacl dacl;
    for (std::size_t i = 0; i < c.list.size(); ++i) {
      auto existing = Make(c.list[i].first, c.list[i].second, sids::kUsers, 1);
      dacl.Insert(i, existing);
    }
    const std::string before = Order(dacl);
    auto entry = Make(c.type, c.flags, sids::kEveryone);
    EXPECT_EQ(dacl.Add(entry), c.index);
    EXPECT_EQ(entry, nullptr);
    ASSERT_EQ(dacl.Entries().size(), c.list.size() + 1);
    EXPECT_EQ(dacl.Entries()[c.index].Trustee(), EveryoneSid());
    // The others keep their order around it.
    AccessList others(ListKind::Discretionary);
    for (std::size_t i = 0; i < dacl.Entries().size(); ++i) {
      if (i == c.index) continue;
      auto copy = std::make_unique<AccessEntry>(dacl.Entries()[i]);
      others.Insert(others.Entries().size(), copy);
    }
    EXPECT_EQ(Order(others), before);
  }
}

TEST(AccessListTest, AddToASystemListPutsEveryKindAtTheEnd) {
  Sacl sacl;
  for (const std::uint8_t flags : {std::uint8_t(0x13), std::uint8_t(0x80), std::uint8_t(0x40)}) {
    auto audit = Make(0x02, flags, sids::kUsers);
    sacl.Add(audit);
  }
  auto label = Make(0x11, 0x00, sids::kHighLabel, 1);
  EXPECT_EQ(sacl.Add(label), 3u);
  auto audit = Make(0x0D, 0x10, sids::kEveryone);
  EXPECT_EQ(sacl.Add(audit), 4u);
}

TEST(AccessListTest, EntriesOfTheOtherKindOfListAreRefusedAndStayWithTheCaller) {
  struct Case {
    ListKind kind;
    std::uint8_t type;
  } cases[] = {
      {ListKind::Discretionary, 0x02}, {ListKind::Discretionary, 0x0D},
      {ListKind::Discretionary, 0x11}, {ListKind::System, 0x00},
      {ListKind::System, 0x01},        {ListKind::System, 0x09},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(static_cast<int>(c.type));
    AccessList list(c.kind);
    auto entry = Make(c.type, kExplicit, sids::kEveryone);
    EXPECT_THROW(list.Add(entry), SecurityError);
    EXPECT_THROW(list.Insert(0, entry), SecurityError);
    EXPECT_TRUE(list.Entries().empty());
    ASSERT_NE(entry, nullptr);
    EXPECT_EQ(entry->Type(), c.type);
  }
}

TEST(AccessListTest, TheSameEntryCannotBePlacedTwiceButAnEqualCopyCan) {
  Dacl dacl;
  auto entry = Make(0x00, kExplicit, sids::kEveryone);
  auto copy = std::make_unique<AccessEntry>(*entry);
  EXPECT_EQ(dacl.Add(entry), 0u);
  const Bytes once = dacl.Build();
  EXPECT_THROW(dacl.Add(entry), SecurityError);
  EXPECT_THROW(dacl.Insert(0, entry), SecurityError);
  EXPECT_EQ(dacl.Build(), once);
  EXPECT_EQ(dacl.Add(copy), 1u);
  ASSERT_EQ(dacl.Entries().size(), 2u);
  EXPECT_EQ(Hex(dacl.Entries()[0].View()), Hex(dacl.Entries()[1].View()));
}

TEST(AccessListTest, InsertPutsTheEntryAtTheIndexWhateverItsKindAndRaisesTheRevision) {
  Dacl dacl;
  auto inheritedAllow = Make(0x00, kInherited, sids::kUsers);
  auto explicitDeny = Make(0x01, kExplicit, sids::kGuests);
  dacl.Insert(0, inheritedAllow);
  dacl.Insert(1, explicitDeny);  // after an inherited entry: Insert applies no rule
  EXPECT_EQ(Order(dacl), "Ai545 D546");
  EXPECT_EQ(dacl.Revision(), 2);
  auto object = std::make_unique<AccessEntry>(0x05, kExplicit, 0x10, Guid{1}, std::nullopt,
                                              Sid(sids::kAdmins));
  dacl.Insert(1, object);
  EXPECT_EQ(dacl.Revision(), 4);
  EXPECT_EQ(dacl.Build()[0], 4);
  auto late = Make(0x00, kExplicit, sids::kEveryone);
  EXPECT_THROW(dacl.Insert(4, late), SecurityError);
  EXPECT_NE(late, nullptr);
  EXPECT_EQ(dacl.Entries().size(), 3u);
}

TEST(AccessListTest, AddRefusesAKindWithoutAPlaceInADacl) {
  // An entry of a kind this system does not know, as a stored list may hold one.
  const Bytes stored = Acl(2, {Ace(0x0B, 0, 1, sids::kUsers)});
  Dacl read = Dacl::Read(stored);
  auto unknown = std::make_unique<AccessEntry>(read.Entries()[0]);
  Dacl dacl;
  EXPECT_THROW(dacl.Add(unknown), SecurityError);
  EXPECT_NE(unknown, nullptr);
  dacl.Insert(0, unknown);  // kept where it is put, as a read keeps it
  EXPECT_EQ(dacl.Build(), stored);
}

TEST(AccessListTest, SystemListsAreReadInStoredOrderAndRefuseDaclKinds) {
  const Bytes stored = Acl(2, {
                                  Ace(0x02, 0xC3, 0x1F01FF, sids::kEveryone),
                                  Ace(0x11, 0x00, 0x1, sids::kHighLabel),
                                  Ace(0x02, 0x53, 0x10000, sids::kUsers),
                              });
  const Sacl sacl = Sacl::Read(stored);
  EXPECT_EQ(Order(sacl), "U0 ?12288 Ui545");
  EXPECT_EQ(sacl.Build(), stored);
  EXPECT_THROW(Sacl::Read(Acl(2, {Ace(0x02, 0, 1, sids::kUsers), Ace(0x00, 0, 1, sids::kUsers)})),
               SecurityError);
  EXPECT_THROW(Dacl::Read(stored), SecurityError);
}

TEST(AccessListTest, EntriesAreMadeInTheLayoutOfTheirKindOrRefused) {
  const Guid objectType = {0xBA, 0x7A, 0x96, 0xBF, 0xE6, 0x0D, 0xD0, 0x11,
                           0xA2, 0x85, 0x00, 0xAA, 0x00, 0x30, 0x49, 0xE2};
  const Guid inheritedType = {2};
  struct Case {
    std::uint8_t type;
    std::optional<Guid> object, inherited;
    Bytes expected;
  } cases[] = {
      {0x05, objectType, std::nullopt,
       ObjectAce(0x05, 0x02, 0x30, objectType, std::nullopt, sids::kUsers)},
      {0x06, std::nullopt, inheritedType,
       ObjectAce(0x06, 0x02, 0x30, std::nullopt, inheritedType, sids::kUsers)},
      {0x07, objectType, inheritedType,
       ObjectAce(0x07, 0x02, 0x30, objectType, inheritedType, sids::kUsers)},
      {0x0C, std::nullopt, std::nullopt,
       ObjectAce(0x0C, 0x02, 0x30, std::nullopt, std::nullopt, sids::kUsers)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(static_cast<int>(c.type));
    const AccessEntry entry(c.type, 0x02, 0x30, c.object, c.inherited, Sid(sids::kUsers));
    EXPECT_EQ(Hex(entry.View()), Hex(c.expected));
    EXPECT_EQ(entry.Trustee(), Sid(sids::kUsers));
    EXPECT_EQ(entry.Mask(), 0x30u);
    EXPECT_EQ(entry.ObjectType(), c.object);
    EXPECT_EQ(entry.InheritedObjectType(), c.inherited);
    EXPECT_EQ(AccessEntry::Read(entry.View()).View().size(), entry.View().size());
  }
  // A plain layout for an object kind would be read back with a SID from its GUID bytes.
  for (const std::uint8_t type : {0x05, 0x06, 0x07, 0x0C, 0x0F, 0x03, 0x0B, 0x12}) {
    SCOPED_TRACE(static_cast<int>(type));
    EXPECT_THROW(AccessEntry(type, 0, 1, EveryoneSid()), SecurityError);
  }
  EXPECT_THROW(AccessEntry(0x00, 0, 1, std::nullopt, std::nullopt, EveryoneSid()), SecurityError);
}

TEST(WellKnownSidsTest, AreMadeOnceAndCarryTheirOwnBytes) {
  const WellKnownSids& first = InitWellKnownSids();
  const WellKnownSids& second = InitWellKnownSids();
  EXPECT_EQ(&first, &second);
  EXPECT_EQ(&first.Get(WellKnown::Everyone), &EveryoneSid());
  struct Case {
    WellKnown which;
    Bytes sid;
  } cases[] = {
      {WellKnown::Everyone, sids::kEveryone},
      {WellKnown::CreatorOwner, sids::kCreatorOwner},
      {WellKnown::LocalSystem, sids::kSystem},
      {WellKnown::AuthenticatedUsers, {1, 1, 0, 0, 0, 0, 0, 5, 11, 0, 0, 0}},
      {WellKnown::Administrators, sids::kAdmins},
      {WellKnown::Users, sids::kUsers},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Hex(first.Get(c.which).View()), Hex(c.sid));
    EXPECT_TRUE(first.Contains(Sid(c.sid)));
  }
  EXPECT_FALSE(first.Contains(Sid(sids::kGuests)));
}

}  // namespace
}  // namespace qv::testing
