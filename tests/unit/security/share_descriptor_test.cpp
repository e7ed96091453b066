#include <gtest/gtest.h>

#include "security/fake_security_platforms.h"
#include "security/security_descriptor.h"
#include "security/security_exception.h"
#include "security/share_descriptor.h"

namespace qv::testing {
namespace {

class ShareDescriptorTest : public SecurityPlatformTest {};

TEST_F(ShareDescriptorTest, IsTheSelfRelativeDescriptorOfOneEveryoneFullControlEntry) {
  const Bytes expected = {
      // header: revision 1, Sbz1, control 0x8004, owner, group, SACL offsets 0, DACL at 20
      0x01, 0x00, 0x04, 0x80, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
      0x00, 0x14, 0x00, 0x00, 0x00,
      // DACL: revision 2, size 28, one entry
      0x02, 0x00, 0x1C, 0x00, 0x01, 0x00, 0x00, 0x00,
      // allow, no flags, size 20, mask 0x001F01FF, S-1-1-0
      0x00, 0x00, 0x14, 0x00, 0xFF, 0x01, 0x1F, 0x00, 0x01, 0x01, 0x00, 0x00, 0x00, 0x00, 0x00,
      0x01, 0x00, 0x00, 0x00, 0x00};
  EXPECT_EQ(Hex(ShareDescriptorEveryoneFullControl()), Hex(expected));
  // The same bytes on a later call, with the well-known identifiers already made.
  EXPECT_EQ(Hex(ShareDescriptorEveryoneFullControl()), Hex(expected));
  EXPECT_EQ(platform.OutstandingBlocks(), 0u);
  EXPECT_EQ(EveryoneSid().use_count(), 1);
}

TEST_F(ShareDescriptorTest, AFailingPlatformCallRaisesAndKeepsNoMemory) {
  InitWellKnownSids();
  log.Calls.clear();
  ShareDescriptorEveryoneFullControl();
  const std::vector<std::string> sequence = log.Calls;
  ASSERT_FALSE(sequence.empty());
  for (std::size_t k = 0; k < sequence.size(); ++k) {
    if (TCallLog::IsRelease(sequence[k])) continue;
    SCOPED_TRACE(::testing::Message() << "failing call " << k << ": " << sequence[k]);
    log.Calls.clear();
    log.FailAt = static_cast<int>(k);
    EXPECT_THROW(ShareDescriptorEveryoneFullControl(), ESecurityException);
    EXPECT_EQ(platform.OutstandingBlocks(), 0u);
  }
}

TEST(SecurityDescriptorControl, WordAndFlagsGoBothWays) {
  for (std::uint32_t word = 0; word <= 0xFFFF; ++word) {
    const auto w = static_cast<std::uint16_t>(word);
    // 0x00C0 belongs to no member and is not kept.
    ASSERT_EQ(ControlToWord(ControlFromWord(w)), w & ~0x00C0) << word;
  }
}

}  // namespace
}  // namespace qv::testing
