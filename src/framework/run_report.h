// Where the command-line runs tell what happens.
#pragma once

#include "framework/ansi_string.h"

namespace qv {

// One call per event, texts in code page 932 with \r between lines (as the dialog's boxes take
// them).
class IRunReport {
 public:
  virtual ~IRunReport() = default;
  virtual void Tell(const AnsiString& text) = 0;
  // What support needs beyond what the user is told; only a log keeps it.
  virtual void LogOnly(const AnsiString&) {}
};

}  // namespace qv
