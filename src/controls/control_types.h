// Small value types shared by the system's own controls: colours, rectangles, fonts, shift
// states, keys and window messages, in the framework's own terms so that the control logic never
// needs the platform's headers.
#pragma once

#include <array>
#include <cstdint>
#include <initializer_list>
#include <optional>

#include "framework/ansi_string.h"
#include "framework/color.h"
#include "framework/enum_set.h"

namespace qv {

// Keys and mouse buttons held, and whether a click was the second of a double click.
enum class ShiftFlag : std::uint8_t { Shift, Alt, Ctrl, Left, Right, Middle, Double };
using ShiftState = EnumSet<ShiftFlag, std::uint8_t>;

enum class MouseButton : std::uint8_t { Left, Right, Middle };

struct Point {
  int X = 0;
  int Y = 0;
  bool operator==(const Point&) const = default;
};

struct Rect {
  int Left = 0;
  int Top = 0;
  int Right = 0;
  int Bottom = 0;
  bool operator==(const Rect&) const = default;
  bool Contains(Point p) const { return p.X >= Left && p.X < Right && p.Y >= Top && p.Y < Bottom; }
};

// The font a control draws its text with.
struct Font {
  AnsiString Name = "ＭＳ Ｐゴシック";
  int Height = -12;            // negative: character height in pixels
  std::uint8_t Charset = 128;  // Shift-JIS
  qv::Color Color = clWindowText;
  std::uint8_t Style = 0;  // bit 0 bold, 1 italic, 2 underline, 3 strike-out
  bool operator==(const Font&) const = default;
};

// The sides of its parent a control keeps its distance to when the parent is resized.
enum class AnchorSide : std::uint8_t { Left, Top, Right, Bottom };
using AnchorSides = EnumSet<AnchorSide, std::uint8_t>;
inline constexpr AnchorSides kDefaultAnchors = {AnchorSide::Left, AnchorSide::Top};

// Where a control docks inside its parent.
enum class DockAlign : std::uint8_t { None, Top, Bottom, Left, Right, Client, Custom };

// Whether a control's help is found by keyword or by context number.
enum class HelpKind : std::uint8_t { Keyword, Context };

// The mouse cursor shown over a control: 0 the default of its window, negative values the
// system's own cursors.
using CursorId = std::int16_t;
inline constexpr CursorId kCursorDefault = 0;

// The system cursors a control can ask for.
enum class SystemCursor : std::uint8_t {
  Hidden,
  Arrow,
  Cross,
  IBeam,
  SizeNeSw,
  SizeNS,
  SizeNwSe,
  SizeWE,
  UpArrow,
  Wait,
  No,
  AppStarting,
  Help,
  Hand,
  SizeAll,
};

// The system cursor shown for a cursor id; nullopt for the default and for ids that name none
// (the window's class cursor is shown then).
std::optional<SystemCursor> SystemCursorOf(CursorId cursor);

// A window message as the controls' message handlers see it; a handler may change it before it
// passes it on.
struct WindowMessage {
  std::uint32_t Msg = 0;
  std::uintptr_t WParam = 0;
  std::intptr_t LParam = 0;
  std::intptr_t Result = 0;
};

// Virtual keys and messages the control logic looks at (values of the platform).
constexpr std::uint16_t kVkLButton = 0x01;
constexpr std::uint16_t kVkRButton = 0x02;
constexpr std::uint16_t kVkMButton = 0x04;
constexpr std::uint16_t kVkReturn = 0x0D;
constexpr std::uint16_t kVkShift = 0x10;
constexpr std::uint16_t kVkControl = 0x11;
constexpr std::uint16_t kVkMenu = 0x12;
constexpr std::uint16_t kVkEscape = 0x1B;
constexpr std::uint16_t kVkLeft = 0x25;
constexpr std::uint16_t kVkUp = 0x26;
constexpr std::uint16_t kVkRight = 0x27;
constexpr std::uint16_t kVkDown = 0x28;

constexpr std::uint32_t kWmChar = 0x0102;
constexpr std::uint32_t kWmImeEndComposition = 0x010E;
constexpr std::uint32_t kWmRButtonDown = 0x0204;
constexpr std::uint32_t kWmPaste = 0x0302;

// Bit 29 of a key message's data: Alt was held.
constexpr std::uint32_t kKeyDataAltDown = 0x20000000;

// The platform's 256-entry key state table; an entry with the high bit set is down.
using KeyboardState = std::array<std::uint8_t, 256>;

// The current shift state read from the key state table; ShiftFlag::Double is never set here.
ShiftState ShiftStateFromKeyboard(const KeyboardState& keys);

// The shift state of a mouse message: its key flags (MK_SHIFT 4, MK_CONTROL 8, MK_LBUTTON 1,
// MK_RBUTTON 2, MK_MBUTTON 0x10) plus Alt, which mouse messages do not carry.
ShiftState ShiftStateFromMouseKeys(std::uint32_t mouseKeys, bool altDown);

}  // namespace qv
