// The system calls behind the browse button: the shell's folder browser and its allocator.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>

#include "dialog/platform_types.h"
#include "framework/ansi_string.h"

namespace qv {

// Called by the browser, inside BrowseForFolder on the same thread, with the browser
// window, the message, its argument and the callback data. Returns 0.
using BrowseCallbackFn =
    std::function<int(WindowHandle, std::uint32_t, std::intptr_t, const AnsiString&)>;

struct BrowseInfo {
  WindowHandle owner = 0;
  ItemIdList root = 0;  // 0: the desktop
  AnsiString title;
  std::uint32_t flags = 0;
  BrowseCallbackFn callback;
  AnsiString callbackData;
};

class IFolderBrowserPlatform {
 public:
  virtual ~IFolderBrowserPlatform() = default;

  // The shell's allocator; false when there is none. Every successful acquire is followed by
  // one release.
  virtual bool AcquireShellAllocator() = 0;
  virtual void ReleaseShellAllocator() = 0;
  // Gives an item list the browser returned back to the shell's allocator.
  virtual void FreeItemIdList(ItemIdList items) = 0;

  virtual WindowHandle ForegroundWindow() = 0;
  // Opens the modal browser; the chosen item list, or 0 when the user cancelled. An exception
  // raised by the callback is held back until the browser has closed and is then raised here.
  virtual ItemIdList BrowseForFolder(const BrowseInfo& info) = 0;
  // The file-system path of an item list; nullopt when it has none.
  virtual std::optional<Cp932Path> PathFromIdList(ItemIdList items) = 0;
  // Browser messages: select a folder given by its path; set the status text.
  virtual void SendSetSelection(WindowHandle browser, const AnsiString& path) = 0;
  virtual void SendSetStatusText(WindowHandle browser, const AnsiString& text) = 0;
};

constexpr std::uint32_t kBffmInitialized = 1;  // BFFM_INITIALIZED
constexpr std::uint32_t kBffmSelChanged = 2;   // BFFM_SELCHANGED
constexpr std::uint32_t kBrowseFlags =
    0x43;  // RETURNONLYFSDIRS | DONTGOBELOWDOMAIN | NEWDIALOGSTYLE

}  // namespace qv
