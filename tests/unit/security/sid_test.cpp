#include <gtest/gtest.h>

#include "security/security_bytes.h"
#include "security/security_exception.h"
#include "security/sid.h"

namespace qv::testing {
namespace {

TEST(SidTest, TextFormsAreThePlatformsOnes) {
  struct Case {
    const char* text;
    Bytes sid;
  } cases[] = {
      {"S-1-1-0", sids::kEveryone},
      {"S-1-5-18", sids::kSystem},
      {"S-1-5-32-544", sids::kAdmins},
      {"S-1-16-12288", sids::kHighLabel},
      {"S-1-5", {1, 0, 0, 0, 0, 0, 0, 5}},
      {"S-1-4294967295", {1, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF}},
      {"S-1-5-21-4294967295-1-2-3-4-5-6-7-8-9-10-11-12-13",
       {1, 15, 0, 0, 0, 0, 0,  5, 21, 0, 0,  0, 0xFF, 0xFF, 0xFF, 0xFF, 1, 0, 0,  0, 2, 0, 0,
        0, 3,  0, 0, 0, 4, 0,  0, 0,  5, 0,  0, 0,    6,    0,    0,    0, 7, 0,  0, 0, 8, 0,
        0, 0,  9, 0, 0, 0, 10, 0, 0,  0, 11, 0, 0,    0,    12,   0,    0, 0, 13, 0, 0, 0}},
      // Authorities beyond 32 bits are written in hexadecimal.
      {"S-1-0x123456789ABC-7", {1, 1, 0x12, 0x34, 0x56, 0x78, 0x9A, 0xBC, 7, 0, 0, 0}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    const Sid sid(c.sid);
    EXPECT_EQ(sid.Text(), AnsiString(c.text));
    EXPECT_EQ(Hex(sid.View()), Hex(c.sid));
  }
}

TEST(SidTest, OnlyTheSidItselfIsCopied) {
  Bytes withMore = sids::kAdmins;
  withMore.insert(withMore.end(), {9, 9, 9});
  EXPECT_EQ(Sid(withMore), Sid(sids::kAdmins));
  EXPECT_EQ(Sid(withMore).View().size(), 16u);
}

TEST(SidTest, MalformedSidsAreRefused) {
  Bytes sixteen = {1, 16, 0, 0, 0, 0, 0, 5};
  sixteen.resize(8 + 64, 0);
  const Bytes cases[] = {
      {},
      {1, 1, 0, 0, 0, 0, 0},                  // shorter than its header
      {2, 1, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0},   // revision 2
      {1, 2, 0, 0, 0, 0, 0, 5, 32, 0, 0, 0},  // count runs past the bytes
      sixteen,                                // 16 sub-authorities
  };
  for (const auto& sid : cases) {
    SCOPED_TRACE(Hex(sid));
    EXPECT_THROW(Sid{sid}, SecurityError);
  }
}

TEST(SidTest, EveryoneIsSOneOneZero) {
  EXPECT_EQ(Hex(EveryoneSid().View()), Hex(sids::kEveryone));
  EXPECT_EQ(EveryoneSid().Text(), "S-1-1-0");
  EXPECT_EQ(&EveryoneSid(), &EveryoneSid());
}

}  // namespace
}  // namespace qv::testing

namespace qv::testing {
namespace {

TEST(SidTest, TextIsReadBackIntoTheSameBytes) {
  const Bytes forty = {1, 1, 0x12, 0x34, 0x56, 0x78, 0x9A, 0xBC, 7, 0, 0, 0};
  struct Case {
    const char* text;
    Bytes sid;
  } cases[] = {
      {"S-1-1-0", sids::kEveryone},
      {"S-1-5-32-544", sids::kAdmins},
      {"S-1-16-12288", sids::kHighLabel},
      {"S-1-5", {1, 0, 0, 0, 0, 0, 0, 5}},
      {"S-1-4294967295-4294967295", {1, 1, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}},
      {"S-1-0x123456789ABC-7", forty},
      {"S-1-0x123456789abc-7", forty},
      {"S-1-5-0032-00544", sids::kAdmins},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(Hex(Sid::FromText(AnsiString(c.text)).View()), Hex(c.sid));
  }
}

TEST(SidTest, TextThatNamesNoSidIsRefused) {
  for (const char* text : {
           "",
           "S-1",
           "S-1-",
           "S-2-1-0",
           "s-1-1-0",
           "S-1-1-",
           "S-1--1",
           "S-1-1--0",
           "S-1-x",
           "S-1-1-0 ",
           " S-1-1-0",
           "S-1-+5",
           "S-1--5",
           "S-1-4294967296",
           "S-1-5-4294967296",
           "S-1-5-99999999999999999999999",
           "S-1-0x12345-1",
           "S-1-0x12345678901G-1",
           "S-1-5-1-2-3-4-5-6-7-8-9-10-11-12-13-14-15-16",
       }) {
    SCOPED_TRACE(text);
    EXPECT_THROW(Sid::FromText(AnsiString(text)), SecurityError);
  }
  // Fifteen sub-authorities is the most a SID holds.
  EXPECT_EQ(Sid::FromText(AnsiString("S-1-5-1-2-3-4-5-6-7-8-9-10-11-12-13-14-15")).View().size(),
            68u);
}

}  // namespace
}  // namespace qv::testing
