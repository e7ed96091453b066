// The two editions of the accounting product a share can serve: the subfolder each keeps its data
// in, and the start of the remark its share is given. The health check reads a share's edition back
// from them.
#pragma once

#include <cstdint>

#include "framework/ansi_string.h"

namespace qv {

constexpr std::int32_t kFirstEdition = 0;
constexpr std::int32_t kSecondEdition = 1;
// Every run of this program serves the second edition, whatever the executable is called.
constexpr std::int32_t kServedEdition = kSecondEdition;

AnsiString EditionSubfolder(std::int32_t edition);
AnsiString EditionRemarkPrefix(std::int32_t edition);

}  // namespace qv
