// Explicit code page 932 conversions at the Windows boundary. The program keeps its texts as
// Shift-JIS bytes and calls the wide functions, so it shows the same on every system locale.
#pragma once

#include <string>
#include <string_view>

#include "framework/ansi_string.h"

namespace qv::win {

constexpr unsigned kCodePage = 932;

std::wstring ToWide(const AnsiString& ansi);

// UTF-16 to code page 932. If `lossy` is given it tells whether a character had to be
// substituted because code page 932 cannot represent it.
AnsiString ToAnsi(std::wstring_view wide, bool* lossy = nullptr);

}  // namespace qv::win
