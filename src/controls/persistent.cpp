#include "controls/persistent.h"

#include "framework/errors.h"

namespace qv {

void RaiseAssignError(const Persistent* source, const Persistent& target) {
  throw ConvertError(Format("%s を %s に代入することはできません",
                            source ? source->ClassName() : "nil", target.ClassName()));
}

}  // namespace qv
