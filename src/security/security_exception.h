// The error type of the access-control model. Every failing check and every failing platform call
// of the model raises one, with an English text that names the condition or the call; the folder
// grant replaces them by its own message before anything reaches the user.
#pragma once

#include "framework/errors.h"

namespace qv {

class SecurityError : public Exception {
 public:
  using Exception::Exception;
  const char* ClassName() const noexcept override { return "ESecurityException"; }
};

}  // namespace qv
