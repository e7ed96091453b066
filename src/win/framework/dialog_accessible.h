// The accessible object of a window that is a dialog to its user (our message box): the system's
// own client object, which keeps the child windows (text, buttons) and their navigation, told to
// answer as a dialog named by its caption whose description is its text. A screen reader then
// reads the text out when the box opens, as it does for the system's boxes, instead of a generic
// client area with only a title and buttons.
#pragma once

#include <windows.h>

#include <string>

namespace qv::win {

// The result of WM_GETOBJECT for OBJID_CLIENT (its wParam is `flags`), or 0 when no object can
// be given (the system then answers with its own). Never raises.
LRESULT AnswerAsDialog(HWND hwnd, WPARAM flags, const std::wstring& name,
                       const std::wstring& description) noexcept;

}  // namespace qv::win
