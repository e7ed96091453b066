// The first line of each run's log: what support staff ask first when a log reaches them by
// mail (which version, started how, by whom, where, with which rights, in which time zone).
#pragma once

#include <optional>
#include <vector>

#include "framework/ansi_string.h"

namespace qv {

struct RunFacts {
  AnsiString version;
  std::vector<AnsiString> arguments;  // as given, without the program's name
  AnsiString user, computer;
  std::optional<bool> elevated;  // empty when the token could not be asked
  int utcOffsetMinutes = 0;      // local time minus UTC, daylight saving included
};

AnsiString LogHeaderLine(const RunFacts& facts);

// One argument as it would be typed again: quoted when empty or holding blanks or quotes, with
// the system's splitting rules for backslashes before a quote.
AnsiString QuotedArgument(const AnsiString& argument);

}  // namespace qv
