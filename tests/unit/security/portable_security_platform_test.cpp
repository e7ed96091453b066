#include <gtest/gtest.h>

#include "security/fake_security_platforms.h"
#include "security/portable_security_platform.h"

namespace qv::testing {
namespace {

TEST(PortableSecurityPlatform, AddAceInsertsOrAppendsInsideTheListOnly) {
  TPortableSecurityPlatform p;
  const Bytes first = Ace(0x00, 0, 1, sids::kEveryone);
  const Bytes second = Ace(0x01, 0, 2, sids::kSystem);
  Bytes acl(8 + 40);
  ASSERT_TRUE(p.InitializeAcl(acl, 2));
  EXPECT_TRUE(p.AddAce(acl, 2, kAppendAce, first));
  EXPECT_TRUE(p.AddAce(acl, 2, 0, second));  // before the first entry
  EXPECT_EQ(Hex(acl), Hex(Acl(2, {second, first})));
  EXPECT_FALSE(p.AddAce(acl, 2, kAppendAce, first));  // no room left
  EXPECT_EQ(p.GetAce(acl, 1), std::optional<std::size_t>(28));
  EXPECT_EQ(p.GetAce(acl, 2), std::nullopt);

  Bytes room(8 + 40);
  ASSERT_TRUE(p.InitializeAcl(room, 2));
  Bytes zeroSized = first;
  zeroSized[2] = 0;
  EXPECT_FALSE(p.AddAce(room, 2, kAppendAce, zeroSized));
  EXPECT_FALSE(p.AddAce(room, 2, kAppendAce, TBytes(first).first(10)));
  EXPECT_FALSE(p.AddAce(room, 5, kAppendAce, first));
  EXPECT_TRUE(p.AddAce(room, 2, kAppendAce, TBytes()));
}

TEST(PortableSecurityPlatform, InitializeAclChecksSizeAndRevision) {
  TPortableSecurityPlatform p;
  Bytes small(7), ok(8), big(0x10000);
  EXPECT_FALSE(p.InitializeAcl(small, 2));
  EXPECT_FALSE(p.InitializeAcl(big, 2));
  EXPECT_FALSE(p.InitializeAcl(ok, 1));
  EXPECT_FALSE(p.InitializeAcl(ok, 5));
  EXPECT_TRUE(p.InitializeAcl(ok, 4));
  EXPECT_EQ(Hex(ok), "04 00 08 00 00 00 00 00");
  EXPECT_TRUE(p.IsValidAcl(ok));
  ok[0] = 1;
  EXPECT_FALSE(p.IsValidAcl(ok));
}

TEST(PortableSecurityPlatform, LengthOfASidThatDoesNotFitIsZero) {
  TPortableSecurityPlatform p;
  EXPECT_EQ(p.GetLengthSid(sids::kAdmins), 16u);
  EXPECT_EQ(p.GetLengthSid(TBytes(sids::kAdmins).first(12)), 0u);
  Bytes copy(12);
  EXPECT_FALSE(p.CopySid(copy, sids::kAdmins));  // destination too small
  EXPECT_TRUE(p.CopySid(copy, sids::kEveryone));
  EXPECT_EQ(copy, sids::kEveryone);
  EXPECT_EQ(p.TokenUserSid(tsProcess, kTokenAllAccess), std::nullopt);
}

}  // namespace
}  // namespace qv::testing
