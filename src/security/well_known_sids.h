// The identifiers this system knows by name, made once for the whole process and kept until it
// ends, so that every list and check compares against the same bytes.
#pragma once

#include <vector>

#include "security/sid.h"

namespace qv {

enum class WellKnown {
  Everyone,            // S-1-1-0
  CreatorOwner,        // S-1-3-0: stands for the creator in inheritable entries
  LocalSystem,         // S-1-5-18
  AuthenticatedUsers,  // S-1-5-11
  Administrators,      // S-1-5-32-544
  Users,               // S-1-5-32-545
};

class WellKnownSids {
 public:
  const Sid& Get(WellKnown which) const;
  // True for an identifier equal to one of them.
  bool Contains(const Sid& sid) const;

 private:
  friend const WellKnownSids& InitWellKnownSids();
  WellKnownSids();
  std::vector<Sid> sids_;
};

// The identifiers, made on the first call (safely when two threads make it at once); later
// calls return the same ones.
const WellKnownSids& InitWellKnownSids();

}  // namespace qv
