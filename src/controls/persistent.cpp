#include "controls/persistent.h"

#include "framework/errors.h"

namespace qv {

void RaiseAssignError(const TPersistent* source, const TPersistent& target) {
  throw EConvertError(Format("%s を %s に代入することはできません",
                             source ? source->ClassName() : "nil", target.ClassName()));
}

}  // namespace qv
