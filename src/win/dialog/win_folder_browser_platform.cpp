#include "win/dialog/win_folder_browser_platform.h"

#include <windows.h>

#include <objbase.h>
#include <shlobj.h>

#include <string>

#include "win/framework/cp932.h"
#include "win/framework/lazy_library.h"
#include "win/framework/task_memory.h"

namespace qv::win {

namespace {
// RETURNONLYFSDIRS | DONTGOBELOWDOMAIN | NEWDIALOGSTYLE, and no status line.
constexpr UINT kBrowseFlags = BIF_RETURNONLYFSDIRS | BIF_DONTGOBELOWDOMAIN | BIF_NEWDIALOGSTYLE;

// Item lists the browser returns belong to the shell's allocator, which is the task allocator.
using UniqueItemIdList = UniqueTaskMemory<ITEMIDLIST>;

// The file-system path of an item list; empty when it has none.
std::wstring PathOf(PCIDLIST_ABSOLUTE items) {
  wchar_t buffer[MAX_PATH] = {};
  if (!items || !QV_LAZY("shell32.dll", SHGetPathFromIDListW)(items, buffer)) return {};
  return buffer;
}

// Runs inside the browser, on this thread. Nothing may leave it through the shell's frames; the
// one call that could raise (binding a function of the already loaded shell) is caught.
int CALLBACK BrowseCallback(HWND wnd, UINT msg, LPARAM lParam, LPARAM data) noexcept try {
  if (msg == BFFM_INITIALIZED) {
    // The browser selects and shows the folder the field named.
    SendMessageW(wnd, BFFM_SETSELECTIONW, TRUE, data);
  } else if (msg == BFFM_SELCHANGED) {
    // Without BIF_STATUSTEXT there is no status line, so this shows nothing; kept for a browser
    // that is given one.
    wchar_t buffer[MAX_PATH + 1] = {};
    if (!QV_LAZY("shell32.dll", SHGetPathFromIDListW)(reinterpret_cast<PCIDLIST_ABSOLUTE>(lParam),
                                                      buffer)) {
      buffer[0] = L'\0';
    }
    SendMessageW(wnd, BFFM_SETSTATUSTEXTW, 0, reinterpret_cast<LPARAM>(buffer));
  }
  return 0;
} catch (...) {
  return 0;
}

// The new-style browser needs COM on this thread; balanced when this call started it.
class ComApartment {
 public:
  ComApartment()
      : started_(
            SUCCEEDED(QV_LAZY("ole32.dll", CoInitializeEx)(nullptr, COINIT_APARTMENTTHREADED))) {}
  ComApartment(const ComApartment&) = delete;
  ComApartment& operator=(const ComApartment&) = delete;
  ~ComApartment() {
    if (started_) QV_LAZY("ole32.dll", CoUninitialize)();
  }

 private:
  bool started_;
};
}  // namespace

std::optional<Cp932Path> WinFolderBrowserPlatform::BrowseForFolder(const AnsiString& title,
                                                                   const AnsiString& startPath) {
  ComApartment com;
  std::wstring wideTitle = ToWide(title);
  std::wstring start = ToWide(startPath);
  wchar_t displayName[MAX_PATH] = {};

  BROWSEINFOW bi = {};
  bi.hwndOwner = GetForegroundWindow();
  bi.pidlRoot = nullptr;  // the desktop
  bi.pszDisplayName = displayName;
  bi.lpszTitle = wideTitle.c_str();
  bi.ulFlags = kBrowseFlags;
  bi.lpfn = BrowseCallback;
  bi.lParam = reinterpret_cast<LPARAM>(start.c_str());
  bi.iImage = 0;
  UniqueItemIdList chosen(QV_LAZY("shell32.dll", SHBrowseForFolderW)(&bi));
  if (!chosen) return std::nullopt;

  // An item without a file-system path cannot be shared; it counts as a cancel.
  std::wstring path = PathOf(chosen.get());
  if (path.empty()) return std::nullopt;
  bool lossy = false;
  AnsiString text = ToAnsi(path, &lossy);
  return Cp932Path{text, !lossy};
}

}  // namespace qv::win
