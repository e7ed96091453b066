// Display scaling of designed lengths and the choice of icon image.
#include <gtest/gtest.h>

#include "framework/dpi_scale.h"

namespace qv {
namespace {

TEST(ScaleToDpi, RoundsToTheNearestPixelWithHalvesAwayFromZero) {
  const struct {
    int value, dpi, expected;
  } cases[] = {
      {0, 144, 0},
      {97, 96, 97},
      {612, 96, 612},
      {-12, 96, -12},
      {8, 120, 10},
      {3, 120, 4},
      {5, 120, 6},
      {18, 120, 23},  // 22.5 -> 23
      {1, 144, 2},
      {3, 144, 5},
      {-1, 144, -2},
      {-3, 144, -5},  // halves
      {-12, 120, -15},
      {-12, 144, -18},
      {-12, 192, -24},
      {-5, 120, -6},  // -6.25 -> -6
      {81, 144, 122},
      {49, 144, 74},
      {23, 144, 35},
      {265, 192, 530},
      {2, 0, 2},
      {-7, -5, -7},  // an unreadable DPI is taken as the design's
      {1000000, 480, 5000000},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ScaleToDpi(c.value, c.dpi), c.expected) << c.value << " at " << c.dpi;
  }
}

// Scaling a negative length gives exactly the negation of scaling its size, at every DPI a
// screen may have in steps of 1: font heights and offsets stay symmetric.
TEST(ScaleToDpi, NegativeLengthsMirrorPositiveOnes) {
  for (int dpi = 72; dpi <= 480; ++dpi) {
    for (int v = 0; v <= 120; ++v) {
      ASSERT_EQ(ScaleToDpi(-v, dpi), -ScaleToDpi(v, dpi)) << v << " at " << dpi;
    }
  }
}

TEST(NearestIconSize, PicksOneOfTheEightSizesPreferringTheLargerOnATie) {
  const struct {
    int wanted, expected;
  } cases[] = {{32, 32}, {40, 48}, {48, 48}, {64, 64}, {60, 64},  {20, 24},
               {1, 16},  {28, 32}, {84, 96}, {80, 72}, {200, 128}};
  for (const auto& c : cases) EXPECT_EQ(NearestIconSize(c.wanted), c.expected) << c.wanted;
}

}  // namespace
}  // namespace qv
