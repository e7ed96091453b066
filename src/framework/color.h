// Colour values: $00BBGGRR for an explicit colour; a value whose high byte is $FF names the
// system colour whose index is the low byte, resolved to RGB only when drawn.
#pragma once

#include <cstdint>

namespace qv {

using Color = std::uint32_t;

constexpr Color clBlack = 0x000000;
constexpr Color clWhite = 0xFFFFFF;
constexpr Color clSilver = 0xC0C0C0;
constexpr Color clBlue = 0xFF0000;
constexpr Color clWindow = 0xFF000005;
constexpr Color clWindowText = 0xFF000008;
constexpr Color clBtnFace = 0xFF00000F;
constexpr Color clBtnShadow = 0xFF000010;
constexpr Color clGrayText = 0xFF000011;
constexpr Color clBtnHighlight = 0xFF000014;

constexpr bool IsSystemColor(Color c) { return (c >> 24) == 0xFF; }
constexpr int SystemColorIndex(Color c) { return static_cast<int>(c & 0xFF); }
constexpr int RedOf(Color c) { return static_cast<int>(c & 0xFF); }
constexpr int GreenOf(Color c) { return static_cast<int>((c >> 8) & 0xFF); }
constexpr int BlueOf(Color c) { return static_cast<int>((c >> 16) & 0xFF); }
constexpr Color RgbColor(int r, int g, int b) {
  return static_cast<Color>((r & 0xFF) | ((g & 0xFF) << 8) | ((b & 0xFF) << 16));
}

}  // namespace qv
