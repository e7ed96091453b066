// Display scaling: lengths are designed for 96 pixels per inch and scaled to the DPI a window is
// given. This is the one place that turns a designed length into pixels, so every control, font
// and painted offset lands where the 96-DPI design times the scale puts it.
#pragma once

#include <cstdint>

namespace qv {

inline constexpr int kDesignDpi = 96;

// value * dpi / 96, rounded to the nearest pixel with halves away from zero (as MulDiv rounds),
// so a negative font height scales like its positive counterpart. A dpi of 0 or less (a DPI that
// could not be read) is taken as 96.
constexpr int ScaleToDpi(int value, int dpi) {
  if (dpi <= 0) dpi = kDesignDpi;
  const std::int64_t product = std::int64_t{value} * dpi;
  const std::int64_t half = kDesignDpi / 2;
  const std::int64_t scaled =
      product >= 0 ? (product + half) / kDesignDpi : -((-product + half) / kDesignDpi);
  return static_cast<int>(scaled);
}

// The icon size, of those the program's icon holds, nearest to `wanted` pixels; between two
// equally near sizes the larger one, which shrinks more cleanly than the smaller one grows.
int NearestIconSize(int wanted);

}  // namespace qv
