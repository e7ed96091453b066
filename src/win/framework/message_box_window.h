// Our own modal message box: drawn from a MessageBoxLayout, centred on the owner's monitor at that
// monitor's DPI, text wrapped at half its width, the owner disabled while it runs. Like the
// system's boxes it raises an alert event and plays its kind's sound when it opens, and Ctrl+C
// copies it as plain text.
#pragma once

#include "framework/ansi_string.h"
#include "framework/message_box.h"

namespace qv::win {

// Shows the box and returns the answer (the pressed button's result; MessageResult::Cancel for the
// close box or Alt+F4).
int ShowMessageBox(const AnsiString& text, const MessageBoxLayout& layout);

// The window class name of the box, for test drivers.
inline constexpr wchar_t kMessageBoxClass[] = L"TMessageForm";

}  // namespace qv::win
