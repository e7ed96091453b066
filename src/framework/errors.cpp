#include "framework/errors.h"

namespace qv {

AnsiString OSErrorText(std::uint32_t code, const AnsiString& systemText) {
  if (code == 0) return "OS 機能呼び出しの失敗";
  return Format("システムエラー。コード：%d.\r\n%s", static_cast<int>(code), systemText.c_str());
}

OsError::OsError(std::uint32_t code, const AnsiString& systemText)
    : Exception(OSErrorText(code, systemText)), code_(code) {}

AnsiString WithClosingPeriod(const AnsiString& text) {
  if (!text.empty() && static_cast<unsigned char>(text.back()) > static_cast<unsigned char>('.')) {
    return text + ".";
  }
  return text;
}

}  // namespace qv
