// The shell's folder browser on Windows: wide functions, paths converted with code page 932.
#pragma once

#include "dialog/folder_browser.h"

struct IMalloc;

namespace qv::win {

class WinFolderBrowserPlatform : public IFolderBrowserPlatform {
 public:
  WinFolderBrowserPlatform() = default;
  WinFolderBrowserPlatform(const WinFolderBrowserPlatform&) = delete;
  WinFolderBrowserPlatform& operator=(const WinFolderBrowserPlatform&) = delete;
  ~WinFolderBrowserPlatform() override;

  bool AcquireShellAllocator() override;
  void ReleaseShellAllocator() override;
  void FreeItemIdList(ItemIdList items) override;
  WindowHandle ForegroundWindow() override;
  ItemIdList BrowseForFolder(const BrowseInfo& info) override;
  std::optional<Cp932Path> PathFromIdList(ItemIdList items) override;
  void SendSetSelection(WindowHandle browser, const AnsiString& path) override;
  void SendSetStatusText(WindowHandle browser, const AnsiString& text) override;

 private:
  IMalloc* allocator_ = nullptr;
};

}  // namespace qv::win
