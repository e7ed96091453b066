// Turning a failed system call into the framework's error: the code GetLastError holds and the
// system's own text for it.
#pragma once

#include <windows.h>

#include "framework/ansi_string.h"

namespace qv::win {

// The text FormatMessage gives for a code from source (FORMAT_MESSAGE_FROM_SYSTEM, or
// FORMAT_MESSAGE_FROM_HMODULE with module), as it comes, closing line break included; empty when
// there is none. Inserts are left as they stand, and the text may be of any length.
AnsiString FormattedMessage(DWORD source, HMODULE module, DWORD code);

// The system's text for an error code (code page 932), without its closing line break; empty
// when the system has none.
AnsiString SystemErrorText(DWORD code);

// Raises OsError for the error the calling thread's last system call left behind. Read the code
// before any other call can replace it: call this right after the failed call.
[[noreturn]] void RaiseLastOSError();

}  // namespace qv::win
