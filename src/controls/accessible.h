// What assistive technology is told about a control: its role, its name, its state and its
// default action. The controls decide these from their own state; the Windows layer only hands
// the description to screen readers (and routes the default action back to the control).
#pragma once

#include <cstdint>

#include "framework/ansi_string.h"
#include "framework/enum_set.h"

namespace qv {

enum class AccessibleRole : std::uint8_t { PushButton, StaticText };

enum class AccessibleStateFlag : std::uint8_t {
  Focused,
  Focusable,
  Unavailable,
  Pressed,
  ReadOnly,
  Invisible
};
using AccessibleState = EnumSet<AccessibleStateFlag, std::uint8_t>;

struct AccessibleDescription {
  AccessibleRole Role = AccessibleRole::StaticText;
  AnsiString Name;
  AccessibleState State;
  // Empty when the control has no default action.
  AnsiString DefaultAction;

  bool operator==(const AccessibleDescription&) const = default;
};

// A control that describes itself to assistive technology.
class IAccessibleControl {
 public:
  virtual ~IAccessibleControl() = default;
  virtual AccessibleDescription Describe() const = 0;
  // Performs the default action now; false when there is none or the control is unavailable.
  virtual bool DoDefaultAction() = 0;
};

// The default action of a push button, as screen readers announce it.
inline constexpr char kPressAction[] = "押す";

// A text label: read-only static text without an action.
AccessibleDescription DescribeStaticText(const AnsiString& text, bool visible);

// The name of a control whose text is split over two lines: both lines joined with a space, or
// the one line there is.
AnsiString JoinCaptionLines(const AnsiString& first, const AnsiString& second);

}  // namespace qv
