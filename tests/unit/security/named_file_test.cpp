// The descriptor and the file object named by its path, over a recording fake of the system:
// what a read builds from the pieces the system gives, what a write passes, and every refusal.
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "security/named_file.h"
#include "security/security_bytes.h"
#include "security/security_exception.h"

namespace qv::testing {
namespace {

class FakeNamedSecurity : public INamedSecurity {
 public:
  NamedSecurity reply;
  std::uint32_t writeResult = 0;
  struct Write {
    std::string path;
    std::uint32_t information;
    SecurityPieces pieces;
  };
  std::vector<std::pair<std::string, std::uint32_t>> reads;
  std::vector<Write> writes;

  NamedSecurity Read(const AnsiString& path, std::uint32_t information) override {
    reads.emplace_back(path.bytes(), information);
    return reply;
  }
  std::uint32_t Write(const AnsiString& path, std::uint32_t information,
                      const SecurityPieces& pieces) override {
    writes.push_back({path.bytes(), information, pieces});
    return writeResult;
  }
};

const Bytes kFolderDacl =
    Acl(2, {Ace(0x01, 0x00, 0x10000, sids::kGuests), Ace(0x00, 0x13, 0x1F01FF, sids::kSystem),
            Ace(0x00, 0x13, 0x1200A9, sids::kUsers)});

TEST(SecurityDescriptorTest, PartsAndControlFlagsAreTheirPlatformBits) {
  struct Part {
    SecurityPart part;
    std::uint32_t bit;
  } parts[] = {
      {SecurityPart::Owner, 0x1},
      {SecurityPart::Group, 0x2},
      {SecurityPart::Dacl, 0x4},
      {SecurityPart::Sacl, 0x8},
      {SecurityPart::Label, 0x10},
      {SecurityPart::ProtectedDacl, 0x80000000},
      {SecurityPart::ProtectedSacl, 0x40000000},
      {SecurityPart::UnprotectedDacl, 0x20000000},
      {SecurityPart::UnprotectedSacl, 0x10000000},
  };
  std::uint32_t all = 0;
  SecurityParts every;
  for (const Part& p : parts) {
    EXPECT_EQ(SecurityInformationOf({p.part}), p.bit);
    all |= p.bit;
    every.Include(p.part);
  }
  EXPECT_EQ(SecurityInformationOf(every), all);

  const std::uint16_t bits[] = {0x0001, 0x0002, 0x0004, 0x0008, 0x0010, 0x0020, 0x0100,
                                0x0200, 0x0400, 0x0800, 0x1000, 0x2000, 0x4000, 0x8000};
  for (int m = 0; m < 14; ++m) {
    SCOPED_TRACE(m);
    EXPECT_EQ(ControlFlagsOf(bits[m]), ControlFlags({static_cast<ControlFlag>(m)}));
    EXPECT_EQ(ControlWordOf(ControlFlagsOf(bits[m])), bits[m]);
  }
  // 0x0040 and 0x0080 name no flag and are not kept.
  EXPECT_EQ(ControlWordOf(ControlFlagsOf(0xFFFF)), 0xFF3F);
}

TEST(SecurityDescriptorTest, ProtectedStateIsReadFromTheControlFlagsForIndexZeroAndOneOnly) {
  struct Case {
    std::uint16_t word;
    Protection dacl, sacl;
  } cases[] = {
      {0x0000, Protection::NotStated, Protection::NotStated},
      {0x1004, Protection::Protected, Protection::NotStated},
      {0x2010, Protection::NotStated, Protection::Protected},
      {0xB014, Protection::Protected, Protection::Protected},
      {0x0C14, Protection::NotStated, Protection::NotStated},  // auto-inherited is not protected
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.word);
    SecurityDescriptor descriptor;
    descriptor.control = ControlFlagsOf(c.word);
    EXPECT_EQ(descriptor.GetProtectedState(0), c.dacl);
    EXPECT_EQ(descriptor.GetProtectedState(1), c.sacl);
    for (const int bad : {2, -1, 3, 255}) {
      EXPECT_THROW(descriptor.GetProtectedState(bad), SecurityError) << bad;
    }
  }
}

TEST(SecurityDescriptorTest, ANewDescriptorHoldsEmptyListsAndNothingElse) {
  const SecurityDescriptor descriptor;
  EXPECT_FALSE(descriptor.owner);
  EXPECT_FALSE(descriptor.group);
  ASSERT_TRUE(descriptor.dacl);
  EXPECT_TRUE(descriptor.dacl->Entries().empty());
  EXPECT_TRUE(descriptor.sacl.Entries().empty());
  EXPECT_TRUE(descriptor.control.Empty());
}

TEST(NamedFileTest, ReadBuildsTheDescriptorFromThePiecesTheSystemGives) {
  FakeNamedSecurity system;
  system.reply.control = 0x9414;
  system.reply.owner = sids::kAdmins;
  system.reply.ownerDefaulted = true;
  system.reply.group = sids::kSystem;
  system.reply.daclPresent = true;
  system.reply.dacl = kFolderDacl;
  system.reply.daclDefaulted = true;
  system.reply.saclPresent = true;
  system.reply.sacl = Acl(2, {Ace(0x02, 0x80, 0x10000, sids::kEveryone)});
  const NamedFile file(system, "C:\\VeltoData");
  const SecurityDescriptor d =
      file.Read({SecurityPart::Owner, SecurityPart::Group, SecurityPart::Dacl, SecurityPart::Sacl});
  ASSERT_EQ(system.reads.size(), 1u);
  EXPECT_EQ(system.reads[0].first, "C:\\VeltoData");
  EXPECT_EQ(system.reads[0].second, 0x0Fu);
  EXPECT_EQ(d.owner, Sid(sids::kAdmins));
  EXPECT_TRUE(d.ownerDefaulted);
  EXPECT_EQ(d.group, Sid(sids::kSystem));
  EXPECT_FALSE(d.groupDefaulted);
  ASSERT_TRUE(d.dacl);
  EXPECT_EQ(d.dacl->Build(), kFolderDacl);
  EXPECT_TRUE(d.daclDefaulted);
  EXPECT_EQ(d.sacl.Build(), *system.reply.sacl);
  EXPECT_EQ(ControlWordOf(d.control), 0x9414);
  EXPECT_EQ(d.GetProtectedState(0), Protection::Protected);
}

TEST(NamedFileTest, AMissingOrNullListIsReadAsNoDaclAndAnEmptySacl) {
  struct Case {
    const char* name;
    bool present;
    std::optional<Bytes> list;
  } cases[] = {
      {"not present", false, std::nullopt},
      {"NULL list", true, std::nullopt},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    FakeNamedSecurity system;
    system.reply.daclPresent = system.reply.saclPresent = c.present;
    system.reply.dacl = system.reply.sacl = c.list;
    const SecurityDescriptor d = NamedFile(system, "C:\\x").Read({SecurityPart::Dacl});
    EXPECT_FALSE(d.dacl);
    EXPECT_TRUE(d.sacl.Entries().empty());
    EXPECT_FALSE(d.owner);
    EXPECT_FALSE(d.group);
  }
}

TEST(NamedFileTest, ReadFailuresNameTheCallAndItsCode) {
  struct Case {
    SecurityQuery query;
    std::uint32_t code;
    const char* message;
  } cases[] = {
      {SecurityQuery::Read, 2, "GetNamedSecurityInfo failed with code 2"},
      {SecurityQuery::Read, 3, "GetNamedSecurityInfo failed with code 3"},
      {SecurityQuery::Control, 1338, "GetSecurityDescriptorControl failed with code 1338"},
      {SecurityQuery::Owner, 87, "GetSecurityDescriptorOwner failed with code 87"},
      {SecurityQuery::Group, 87, "GetSecurityDescriptorGroup failed with code 87"},
      {SecurityQuery::Dacl, 1336, "GetSecurityDescriptorDacl failed with code 1336"},
      {SecurityQuery::Sacl, 1336, "GetSecurityDescriptorSacl failed with code 1336"},
  };
  for (const Case& c : cases) {
    FakeNamedSecurity system;
    system.reply.error = c.code;
    system.reply.failedQuery = c.query;
    try {
      NamedFile(system, "C:\\x").Read({SecurityPart::Dacl});
      ADD_FAILURE() << c.message;
    } catch (const SecurityError& e) {
      EXPECT_STREQ(e.what(), c.message);
    }
  }
  // Lists and SIDs that do not hold together are refused, not half read.
  FakeNamedSecurity broken;
  broken.reply.daclPresent = true;
  broken.reply.dacl = Bytes{2, 0, 0x20, 0, 1, 0, 0, 0};
  EXPECT_THROW(NamedFile(broken, "C:\\x").Read({SecurityPart::Dacl}), SecurityError);
  FakeNamedSecurity badOwner;
  badOwner.reply.owner = Bytes{1, 2, 0, 0};
  EXPECT_THROW(NamedFile(badOwner, "C:\\x").Read({SecurityPart::Owner}), SecurityError);
}

TEST(NamedFileTest, AnEmptyPathIsRefusedBeforeAnyCall) {
  FakeNamedSecurity system;
  const NamedFile file(system, "");
  EXPECT_THROW(file.Read({SecurityPart::Dacl}), SecurityError);
  EXPECT_THROW(file.Write(SecurityDescriptor(), {SecurityPart::Dacl}), SecurityError);
  EXPECT_TRUE(system.reads.empty());
  EXPECT_TRUE(system.writes.empty());
}

TEST(NamedFileTest, WriteTakesTheProtectionFromTheDescriptorNeverFromTheParts) {
  struct Case {
    std::uint16_t control;
    SecurityParts parts;
    std::uint32_t written;
  } cases[] = {
      {0x8404, {SecurityPart::Dacl}, 0x00000004},
      {0x9404, {SecurityPart::Dacl}, 0x80000004},
      {0xA404, {SecurityPart::Dacl}, 0x40000004},
      {0xB404, {SecurityPart::Dacl}, 0xC0000004},
      {0x8404,
       {SecurityPart::Dacl, SecurityPart::ProtectedDacl, SecurityPart::UnprotectedDacl,
        SecurityPart::ProtectedSacl, SecurityPart::UnprotectedSacl},
       0x00000004},
      {0x9404, {SecurityPart::Dacl, SecurityPart::UnprotectedDacl}, 0x80000004},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.control);
    FakeNamedSecurity system;
    SecurityDescriptor d;
    d.control = ControlFlagsOf(c.control);
    d.dacl = Dacl::Read(kFolderDacl);
    NamedFile(system, "C:\\VeltoData").Write(d, c.parts);
    ASSERT_EQ(system.writes.size(), 1u);
    EXPECT_EQ(system.writes[0].path, "C:\\VeltoData");
    EXPECT_EQ(system.writes[0].information, c.written);
    EXPECT_EQ(system.writes[0].pieces.dacl, kFolderDacl);
    EXPECT_FALSE(system.writes[0].pieces.owner);
    EXPECT_FALSE(system.writes[0].pieces.group);
    EXPECT_FALSE(system.writes[0].pieces.sacl);
  }
}

TEST(NamedFileTest, WritePassesThePiecesItsPartsName) {
  SecurityDescriptor d;
  d.owner = Sid(sids::kAdmins);
  d.group = Sid(sids::kSystem);
  d.dacl = Dacl::Read(kFolderDacl);
  const Bytes sacl = Acl(2, {Ace(0x11, 0, 1, sids::kHighLabel)});
  d.sacl = Sacl::Read(sacl);
  FakeNamedSecurity system;
  NamedFile(system, "C:\\x")
      .Write(d, {SecurityPart::Owner, SecurityPart::Group, SecurityPart::Label});
  ASSERT_EQ(system.writes.size(), 1u);
  const auto& w = system.writes[0];
  EXPECT_EQ(w.information, 0x13u);
  EXPECT_EQ(w.pieces.owner, sids::kAdmins);
  EXPECT_EQ(w.pieces.group, sids::kSystem);
  EXPECT_FALSE(w.pieces.dacl);
  EXPECT_EQ(w.pieces.sacl, sacl);
}

TEST(NamedFileTest, APieceTheDescriptorLacksIsRefusedAndNothingIsWritten) {
  struct Case {
    const char* name;
    SecurityParts parts;
  } cases[] = {
      {"owner", {SecurityPart::Owner}},
      {"group", {SecurityPart::Group, SecurityPart::Dacl}},
      {"DACL", {SecurityPart::Dacl}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    SecurityDescriptor d;
    d.dacl.reset();
    FakeNamedSecurity system;
    EXPECT_THROW(NamedFile(system, "C:\\x").Write(d, c.parts), SecurityError);
    EXPECT_TRUE(system.writes.empty());
  }
}

TEST(NamedFileTest, AFailedWriteIsRaisedWithItsCodeOnce) {
  FakeNamedSecurity system;
  system.writeResult = 5;
  try {
    NamedFile(system, "C:\\x").Write(SecurityDescriptor(), {SecurityPart::Dacl});
    ADD_FAILURE();
  } catch (const SecurityError& e) {
    EXPECT_STREQ(e.what(), "SetNamedSecurityInfo failed with code 5");
  }
  EXPECT_EQ(system.writes.size(), 1u);
}

TEST(NamedFileTest, AnEntryAddedToTheReadDaclIsWrittenBeforeTheInheritedOnes) {
  FakeNamedSecurity system;
  system.reply.control = 0x8404;
  system.reply.daclPresent = true;
  system.reply.dacl = kFolderDacl;
  const NamedFile file(system, "C:\\VeltoData");
  SecurityDescriptor d = file.Read({SecurityPart::Dacl});
  auto grant = std::make_unique<AccessEntry>(0x00, 0x03, 0x1F01FF, EveryoneSid());
  EXPECT_EQ(d.dacl->Add(grant), 1u);
  file.Write(d, {SecurityPart::Dacl});
  ASSERT_EQ(system.writes.size(), 1u);
  EXPECT_EQ(
      Hex(*system.writes[0].pieces.dacl),
      Hex(Acl(
          2, {Ace(0x01, 0x00, 0x10000, sids::kGuests), Ace(0x00, 0x03, 0x1F01FF, sids::kEveryone),
              Ace(0x00, 0x13, 0x1F01FF, sids::kSystem), Ace(0x00, 0x13, 0x1200A9, sids::kUsers)})));
}

}  // namespace
}  // namespace qv::testing
