#include "controls/linked_components.h"

namespace qv {

bool ActionItem::Execute() {
  if (!OnExecute) return false;
  OnExecute(*this);
  return true;
}

}  // namespace qv
