#include "controls/accessible.h"

namespace qv {

AccessibleDescription DescribeStaticText(const AnsiString& text, bool visible) {
  AccessibleDescription d;
  d.Role = AccessibleRole::StaticText;
  d.Name = text;
  d.State.Include(AccessibleStateFlag::ReadOnly);
  if (!visible) d.State.Include(AccessibleStateFlag::Invisible);
  return d;
}

AnsiString JoinCaptionLines(const AnsiString& first, const AnsiString& second) {
  if (first.empty()) return second;
  if (second.empty()) return first;
  return first + " " + second;
}

}  // namespace qv
