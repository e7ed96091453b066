#include "framework/dpi_scale.h"

#include <array>
#include <cstdlib>

namespace qv {

namespace {
// The sizes of the program's icon group.
constexpr std::array<int, 8> kIconSizes = {16, 24, 32, 48, 64, 72, 96, 128};
}  // namespace

int NearestIconSize(int wanted) {
  int best = kIconSizes.front();
  for (int size : kIconSizes) {
    if (std::abs(size - wanted) <= std::abs(best - wanted)) best = size;
  }
  return best;
}

}  // namespace qv
