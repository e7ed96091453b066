#include "win/dialog/win_folder_browser_platform.h"

#include <windows.h>

#include <objbase.h>
#include <shlobj.h>

#include <exception>
#include <string>

#include "win/framework/cp932.h"
#include "win/framework/lazy_library.h"

namespace qv::win {

namespace {
PCIDLIST_ABSOLUTE AsIdList(ItemIdList items) { return reinterpret_cast<PCIDLIST_ABSOLUTE>(items); }

// What the browser hands back to our callback: the caller's settings, and an error the
// callback raised, kept until the browser has returned (it must not cross the shell's frames).
struct BrowseContext {
  const BrowseInfo* info;
  std::exception_ptr error;
};

int CALLBACK BrowseCallbackThunk(HWND wnd, UINT msg, LPARAM lParam, LPARAM data) noexcept {
  auto* context = reinterpret_cast<BrowseContext*>(data);
  if (context == nullptr || context->error || !context->info->callback) return 0;
  try {
    return context->info->callback(reinterpret_cast<WindowHandle>(wnd), msg,
                                   static_cast<std::intptr_t>(lParam), context->info->callbackData);
  } catch (...) {
    context->error = std::current_exception();
  }
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

WinFolderBrowserPlatform::~WinFolderBrowserPlatform() { ReleaseShellAllocator(); }

bool WinFolderBrowserPlatform::AcquireShellAllocator() {
  ReleaseShellAllocator();
  return SUCCEEDED(QV_LAZY("shell32.dll", SHGetMalloc)(&allocator_)) && allocator_ != nullptr;
}

void WinFolderBrowserPlatform::ReleaseShellAllocator() {
  if (allocator_ != nullptr) {
    allocator_->Release();
    allocator_ = nullptr;
  }
}

void WinFolderBrowserPlatform::FreeItemIdList(ItemIdList items) {
  void* memory = reinterpret_cast<void*>(items);
  if (allocator_ != nullptr) {
    allocator_->Free(memory);
  } else {
    QV_LAZY("ole32.dll", CoTaskMemFree)(memory);  // the shell's allocator is the task allocator
  }
}

WindowHandle WinFolderBrowserPlatform::ForegroundWindow() {
  return reinterpret_cast<WindowHandle>(GetForegroundWindow());
}

ItemIdList WinFolderBrowserPlatform::BrowseForFolder(const BrowseInfo& info) {
  ComApartment com;
  std::wstring title = ToWide(info.title);
  wchar_t displayName[MAX_PATH] = {};
  BrowseContext context{&info, nullptr};

  BROWSEINFOW bi = {};
  bi.hwndOwner = reinterpret_cast<HWND>(info.owner);
  bi.pidlRoot = AsIdList(info.root);
  bi.pszDisplayName = displayName;
  bi.lpszTitle = title.c_str();
  bi.ulFlags = info.flags;
  bi.lpfn = BrowseCallbackThunk;
  bi.lParam = reinterpret_cast<LPARAM>(&context);
  bi.iImage = 0;
  PIDLIST_ABSOLUTE chosen = QV_LAZY("shell32.dll", SHBrowseForFolderW)(&bi);

  if (context.error) {
    if (chosen != nullptr) FreeItemIdList(reinterpret_cast<ItemIdList>(chosen));
    std::rethrow_exception(context.error);
  }
  return reinterpret_cast<ItemIdList>(chosen);
}

std::optional<Cp932Path> WinFolderBrowserPlatform::PathFromIdList(ItemIdList items) {
  if (items == 0) return std::nullopt;
  wchar_t buffer[MAX_PATH] = {};
  if (!QV_LAZY("shell32.dll", SHGetPathFromIDListW)(AsIdList(items), buffer) || buffer[0] == L'\0')
    return std::nullopt;
  bool lossy = false;
  AnsiString text = ToAnsi(buffer, &lossy);
  return Cp932Path{text, !lossy};
}

void WinFolderBrowserPlatform::SendSetSelection(WindowHandle browser, const AnsiString& path) {
  std::wstring wide = ToWide(path);
  SendMessageW(reinterpret_cast<HWND>(browser), BFFM_SETSELECTIONW, TRUE,
               reinterpret_cast<LPARAM>(wide.c_str()));
}

void WinFolderBrowserPlatform::SendSetStatusText(WindowHandle browser, const AnsiString& text) {
  std::wstring wide = ToWide(text);
  SendMessageW(reinterpret_cast<HWND>(browser), BFFM_SETSTATUSTEXTW, 0,
               reinterpret_cast<LPARAM>(wide.c_str()));
}

}  // namespace qv::win
