// The framework's error objects. Handlers raise them; the message dispatch shows their text.
#pragma once

#include <cstdint>
#include <exception>

#include "framework/ansi_string.h"

namespace qv {

// The system's general error type: carries a message text (code page 932).
class Exception : public std::exception {
 public:
  explicit Exception(AnsiString message) : message_(std::move(message)) {}
  const AnsiString& Message() const noexcept { return message_; }
  const char* what() const noexcept override { return message_.c_str(); }
  virtual const char* ClassName() const noexcept { return "Exception"; }

 private:
  AnsiString message_;
};

// An operating-system call that must succeed has failed.
class OsError : public Exception {
 public:
  OsError(std::uint32_t code, const AnsiString& systemText);
  std::uint32_t ErrorCode() const noexcept { return code_; }
  const char* ClassName() const noexcept override { return "EOSError"; }

 private:
  std::uint32_t code_;
};

// Incompatible assignment between persistent objects, bad numeric text and the like.
class ConvertError : public Exception {
 public:
  using Exception::Exception;
  const char* ClassName() const noexcept override { return "EConvertError"; }
};

// The text of an operating-system error: the code with the system's own text, or the generic
// text when the code is 0.
AnsiString OSErrorText(std::uint32_t code, const AnsiString& systemText);

// How the message dispatch shows an error that escapes a handler: the text, plus one "." when its
// last byte sorts after "." (so a text ending in a double-byte full stop gets one).
AnsiString WithClosingPeriod(const AnsiString& text);

}  // namespace qv
