#include <algorithm>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "security/access_control_entry.h"
#include "security/fake_security_platforms.h"
#include "security/security_exception.h"
#include "security/security_id.h"

namespace qv::testing {
namespace {

using SecurityIdTest = SecurityPlatformTest;

TEST_F(SecurityIdTest, StringAndBinaryFormsAgree) {
  struct Case {
    const char* text;
    Bytes sid;
  } cases[] = {
      {"S-1-1-0", sids::kEveryone},
      {"S-1-5-18", sids::kSystem},
      {"S-1-5-32-544", sids::kAdmins},
      {"S-1-16-12288", sids::kHighLabel},
      {"S-1-5", {1, 0, 0, 0, 0, 0, 0, 5}},
      {"S-1-5-21-4294967295-1-2-3-4-5-6-7-8-9-10-11-12-13",
       {1, 15, 0, 0, 0, 0, 0,  5, 21, 0, 0,  0, 0xFF, 0xFF, 0xFF, 0xFF, 1, 0, 0,  0, 2, 0, 0,
        0, 3,  0, 0, 0, 4, 0,  0, 0,  5, 0,  0, 0,    6,    0,    0,    0, 7, 0,  0, 0, 8, 0,
        0, 0,  9, 0, 0, 0, 10, 0, 0,  0, 11, 0, 0,    0,    12,   0,    0, 0, 13, 0, 0, 0}},
      // Authorities beyond 32 bits are written in hexadecimal.
      {"S-1-0x123456789ABC-7", {1, 1, 0x12, 0x34, 0x56, 0x78, 0x9A, 0xBC, 7, 0, 0, 0}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    const TSecurityId fromText{AnsiString(c.text)};
    EXPECT_EQ(Hex(fromText.Sid()), Hex(c.sid));
    EXPECT_EQ(fromText.SidLength(), c.sid.size());
    const TSecurityId fromBinary{TBytes(c.sid)};
    EXPECT_EQ(fromBinary.StringSid(), c.text);
  }
}

TEST_F(SecurityIdTest, StringFormIsTakenFromTheBinaryOne) {
  EXPECT_EQ(TSecurityId(AnsiString("s-1-5-0018")).StringSid(), "S-1-5-18");
}

TEST_F(SecurityIdTest, MalformedStringFormsAreRefused) {
  for (const char* text : {"", "S", "S-1", "S-1-", "S-2-1-0", "S-1-1-", "S-1--1", "S-1-x",
                           "S-1-1-0x10", "S-1-1- 0", "S-1-281474976710656-1", "S-1-1-4294967296",
                           "S-1-5-1-2-3-4-5-6-7-8-9-10-11-12-13-14-15-16", "WD"}) {
    SCOPED_TRACE(text);
    EXPECT_THROW(TSecurityId{AnsiString(text)}, ESecurityException);
  }
}

TEST_F(SecurityIdTest, MalformedBinarySidsAreRefused) {
  const Bytes cases[] = {
      {},
      {1, 1, 0, 0, 0, 0, 0},                  // shorter than its header
      {2, 1, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0},   // revision 2
      {1, 2, 0, 0, 0, 0, 0, 5, 32, 0, 0, 0},  // count runs past the bytes
      {1, 16, 0, 0, 0, 0, 0, 5},              // 16 sub-authorities
  };
  for (const auto& sid : cases) {
    SCOPED_TRACE(Hex(sid));
    EXPECT_THROW(TSecurityId{TBytes(sid)}, ESecurityException);
  }
  Bytes sixteen = {1, 16, 0, 0, 0, 0, 0, 5};
  sixteen.resize(8 + 64, 0);
  EXPECT_THROW(TSecurityId{TBytes(sixteen)}, ESecurityException);
}

TEST_F(SecurityIdTest, PlatformFailuresOfTheConversionsRaise) {
  for (const char* call : {"ConvertStringSidToSid", "CopySid", "ConvertSidToStringSid"}) {
    SCOPED_TRACE(call);
    log.Calls.clear();
    log.FailAt = -1;
    TSecurityId probe{AnsiString("S-1-1-0")};
    const auto& calls = log.Calls;
    log.FailAt = static_cast<int>(std::find(calls.begin(), calls.end(), call) - calls.begin());
    ASSERT_LT(log.FailAt, static_cast<int>(calls.size()));
    log.Calls.clear();
    EXPECT_THROW(TSecurityId{AnsiString("S-1-1-0")}, ESecurityException);
  }
}

TEST_F(SecurityIdTest, LengthOtherThanTheSidsOwnIsAFailure) {
  const TSecurityId id{AnsiString("S-1-5-32-544")};
  log.FailAt = static_cast<int>(log.Calls.size());  // the next call: GetLengthSid gives 0
  EXPECT_THROW(id.SidLength(), ESecurityException);
  EXPECT_EQ(id.SidLength(), 16u);
}

TEST_F(SecurityIdTest, WhichIdentifiersAreWellKnown) {
  EXPECT_FALSE(TSecurityId(AnsiString("S-1-1-0")).IsWellKnown());
  EXPECT_TRUE(TSecurityKnownSID(AnsiString("S-1-1-0")).IsWellKnown());
  platform.ProcessUser = sids::kAdmins;
  EXPECT_FALSE(TSecurityThreadUserSID().IsWellKnown());
  EXPECT_TRUE(CurrentUserSid()->IsWellKnown());
  EXPECT_EQ(CurrentUserSid().get(), CurrentUserSid().get());
}

TEST_F(SecurityIdTest, InitWellKnownSidsMakesEachIdentifierOnce) {
  EXPECT_EQ(EveryoneSid(), nullptr);
  InitWellKnownSids();
  ASSERT_NE(EveryoneSid(), nullptr);
  EXPECT_EQ(Hex(EveryoneSid()->Sid()), Hex(sids::kEveryone));
  EXPECT_TRUE(EveryoneSid()->IsWellKnown());
  const auto conversions = std::count(log.Calls.begin(), log.Calls.end(), "ConvertStringSidToSid");
  EXPECT_EQ(conversions, kWellKnownSidCount);
  for (int i = 0; i < kWellKnownSidCount; ++i) {
    const auto which = static_cast<TWellKnownSid>(i);
    ASSERT_NE(WellKnownSid(which), nullptr);
    EXPECT_EQ(WellKnownSid(which)->StringSid(), WellKnownSidString(which));
  }

  const TSecurityKnownSID* first = EveryoneSid().get();
  const auto callsAfterFirst = log.Calls.size();
  InitWellKnownSids();
  EXPECT_EQ(EveryoneSid().get(), first);
  EXPECT_EQ(log.Calls.size(), callsAfterFirst);
  // The grant has no use for the user's identity; making it could only add a failure.
  EXPECT_TRUE(platform.TokenAccessAsked.empty());
}

TEST_F(SecurityIdTest, FailedInitialisationKeepsWhatItMadeAndFinishesNextTime) {
  log.FailAt = 4 * 3;  // the fifth identifier's ConvertStringSidToSid (three calls per identifier)
  EXPECT_THROW(InitWellKnownSids(), ESecurityException);
  ASSERT_EQ(log.Calls[log.FailAt], "ConvertStringSidToSid");
  const TSecurityKnownSID* everyone = EveryoneSid().get();
  ASSERT_NE(everyone, nullptr);
  EXPECT_EQ(WellKnownSid(wsLocalSystem), nullptr);

  log.FailAt = -1;
  log.Calls.clear();
  InitWellKnownSids();
  EXPECT_EQ(EveryoneSid().get(), everyone);
  EXPECT_NE(WellKnownSid(wsLocalSystem), nullptr);
  EXPECT_EQ(std::count(log.Calls.begin(), log.Calls.end(), "ConvertStringSidToSid"),
            kWellKnownSidCount - 4);
}

TEST_F(SecurityIdTest, ThreadUserComesFromTheThreadTokenElseTheProcessToken) {
  platform.ThreadUser = sids::kUsers;
  platform.ProcessUser = sids::kAdmins;
  EXPECT_EQ(TSecurityThreadUserSID().StringSid(), "S-1-5-32-545");
  EXPECT_THAT(platform.TokenAccessAsked, ::testing::ElementsAre(0x000F01FFu));

  platform.ThreadUser.reset();  // a thread without a token of its own
  EXPECT_EQ(TSecurityThreadUserSID().StringSid(), "S-1-5-32-544");
  platform.ProcessUser.reset();
  EXPECT_THROW(TSecurityThreadUserSID(), ESecurityException);
}

TEST_F(SecurityIdTest, AnEntryNeverFreesAWellKnownIdentifier) {
  InitWellKnownSids();
  const std::weak_ptr<const TSecurityId> everyone = EveryoneSid();
  {
    TDiscretionaryAccessControlEntryAllow entry({afObjectInherit}, 1, EveryoneSid());
    EXPECT_EQ(entry.SID().get(), EveryoneSid().get());
  }
  EXPECT_FALSE(everyone.expired());
  EXPECT_EQ(EveryoneSid().use_count(), 1);  // only the process-wide table holds it again
}

TEST_F(SecurityIdTest, AnEntryNeedsAnIdentifier) {
  EXPECT_THROW(TDiscretionaryAccessControlEntryAllow({}, 1, nullptr), ESecurityException);
  EXPECT_THROW(TAuditAccessControlEntryObject({}, 1, nullptr), ESecurityException);
}

}  // namespace
}  // namespace qv::testing
