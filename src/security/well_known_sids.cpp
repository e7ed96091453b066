#include "security/well_known_sids.h"

#include <algorithm>

namespace qv {

namespace {

// In the order of WellKnown.
constexpr const char* kTexts[] = {
    "S-1-1-0", "S-1-3-0", "S-1-5-18", "S-1-5-11", "S-1-5-32-544", "S-1-5-32-545",
};

}  // namespace

WellKnownSids::WellKnownSids() {
  sids_.reserve(std::size(kTexts));
  for (const char* text : kTexts) sids_.push_back(Sid::FromText(AnsiString(text)));
}

const Sid& WellKnownSids::Get(WellKnown which) const {
  return sids_.at(static_cast<std::size_t>(which));
}

bool WellKnownSids::Contains(const Sid& sid) const {
  return std::ranges::find(sids_, sid) != sids_.end();
}

const WellKnownSids& InitWellKnownSids() {
  static const WellKnownSids sids;
  return sids;
}

const Sid& EveryoneSid() { return InitWellKnownSids().Get(WellKnown::Everyone); }

}  // namespace qv
