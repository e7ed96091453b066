// Everyone's rights from a folder's DACL as the system's access check finds them, written out by
// hand for each list: order decides, generic rights are file rights, inherit-only entries reach
// only the contents.
#include <gtest/gtest.h>

#include "security/everyone_access.h"
#include "security/security_bytes.h"

namespace qv::testing {
namespace {

constexpr std::uint8_t kAllow = 0x00, kDeny = 0x01;
constexpr std::uint32_t kGenericAll = 0x10000000, kGenericRead = 0x80000000,
                        kGenericWrite = 0x40000000, kGenericExecute = 0x20000000;

TEST(EveryoneAccessTest, RightsAreDecidedInListOrderWithGenericRightsMapped) {
  struct Case {
    const char* why;
    std::vector<Bytes> entries;  // in list order, as stored
    std::uint32_t folder, contents;
  } cases[] = {
      {"deny writing before full control: writing is denied",
       {Ace(kDeny, 0x03, 0x2, sids::kEveryone), Ace(kAllow, 0x03, 0x1F01FF, sids::kEveryone)},
       0x1F01FD,
       0x1F01FD},
      {"full control before a deny of writing: writing stands",
       {Ace(kAllow, 0x03, 0x1F01FF, sids::kEveryone), Ace(kDeny, 0x03, 0x2, sids::kEveryone)},
       0x1F01FF,
       0x1F01FF},
      {"read, then a deny of generic write, then full control",
       {Ace(kAllow, 0x03, 0x1200A9, sids::kEveryone),
        Ace(kDeny, 0x03, kGenericWrite, sids::kEveryone),
        Ace(kAllow, 0x03, 0x1F01FF, sids::kEveryone)},
       0x1F00E9,
       0x1F00E9},
      {"an inherited generic all is full control",
       {Ace(kAllow, 0x13, kGenericAll, sids::kEveryone)},
       0x1F01FF,
       0x1F01FF},
      {"generic read and execute are read and execute",
       {Ace(kAllow, 0x03, kGenericRead | kGenericExecute, sids::kEveryone)},
       0x1200A9,
       0x1200A9},
      {"generic write", {Ace(kAllow, 0x03, kGenericWrite, sids::kEveryone)}, 0x120116, 0x120116},
      {"inherit-only generic all reaches the contents only",
       {Ace(kAllow, 0x0B, kGenericAll, sids::kEveryone)},
       0,
       0x1F01FF},
      {"an inherit-only deny takes writing from the contents only",
       {Ace(kDeny, 0x0B, 0x2, sids::kEveryone), Ace(kAllow, 0x03, 0x1F01FF, sids::kEveryone)},
       0x1F01FF,
       0x1F01FD},
      {"an entry for subfolders only does not reach files",
       {Ace(kAllow, 0x02, 0x1F01FF, sids::kEveryone)},
       0x1F01FF,
       0},
      {"the folder only: nothing for the contents",
       {Ace(kAllow, 0x00, 0x1F01FF, sids::kEveryone)},
       0x1F01FF,
       0},
      {"other trustees do not count",
       {Ace(kAllow, 0x03, 0x1F01FF, sids::kUsers), Ace(kAllow, 0x03, 0x1200A9, sids::kEveryone),
        Ace(kDeny, 0x03, 0x1F01FF, sids::kGuests)},
       0x1200A9,
       0x1200A9},
      {"a deny after everything was granted changes nothing",
       {Ace(kAllow, 0x13, kGenericAll, sids::kEveryone),
        Ace(kDeny, 0x13, kGenericAll, sids::kEveryone)},
       0x1F01FF,
       0x1F01FF},
      {"an empty list gives nothing", {}, 0, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.why);
    const Bytes dacl = Acl(2, c.entries);
    EXPECT_EQ(EveryoneRights(dacl, false), c.folder);
    EXPECT_EQ(EveryoneRights(dacl, true), c.contents);
  }
}

TEST(EveryoneAccessTest, GenericRightsMapToTheFileRightsAndNothingElseChanges) {
  struct Case {
    std::uint32_t mask, mapped;
  } cases[] = {
      {kGenericRead, 0x00120089},
      {kGenericWrite, 0x00120116},
      {kGenericExecute, 0x001200A0},
      {kGenericAll, 0x001F01FF},
      {kGenericRead | kGenericWrite | kGenericExecute, 0x001201BF},
      {kGenericRead | 0x00010000, 0x00130089},
      {0x001F01FF, 0x001F01FF},
      {0x02000000, 0x02000000},  // MAXIMUM_ALLOWED is no generic right
      {0, 0},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(MapFileGenericRights(c.mask), c.mapped) << std::hex << c.mask;
  }
}

}  // namespace
}  // namespace qv::testing
