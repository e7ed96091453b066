// What a failed save through a share most likely means, told from the system's code, and what
// to do about it.
#pragma once

#include <cstdint>

#include "framework/ansi_string.h"

namespace qv {

enum class SaveFailureKind {
  Unreachable,  // the computer or the share cannot be reached, or this user may not log on
  NotWritable,  // reached, but saving is not allowed or there is no room
  Other,
};

struct SaveFailureAdvice {
  SaveFailureKind kind = SaveFailureKind::Other;
  AnsiString cause;  // "" when the code is not one we know: the system's text says it then
  AnsiString remedy;
};

SaveFailureAdvice AdviseOnSaveFailure(std::uint32_t code);

}  // namespace qv
