// The health check's generic mapping against the real MapGenericMask with the file generic
// mapping, over every combination of the generic bits and a few specific ones.
#include <windows.h>

#include <gtest/gtest.h>

#include "security/everyone_access.h"

namespace qv {
namespace {

TEST(EveryoneAccessWineTest, GenericRightsMapAsTheRealMapGenericMaskMapsThem) {
  GENERIC_MAPPING files = {FILE_GENERIC_READ, FILE_GENERIC_WRITE, FILE_GENERIC_EXECUTE,
                           FILE_ALL_ACCESS};
  const DWORD others[] = {0, FILE_READ_DATA, DELETE | SYNCHRONIZE, FILE_ALL_ACCESS,
                          MAXIMUM_ALLOWED};
  for (DWORD generic = 0; generic < 16; ++generic) {
    for (const DWORD other : others) {
      const DWORD mask = (generic << 28) | other;
      DWORD real = mask;
      MapGenericMask(&real, &files);
      EXPECT_EQ(MapFileGenericRights(mask), real) << std::hex << mask;
    }
  }
}

}  // namespace
}  // namespace qv
