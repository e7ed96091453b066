// The system call behind the browse button: the shell's folder browser.
#pragma once

#include <optional>

#include "dialog/platform_types.h"
#include "framework/ansi_string.h"

namespace qv {

class IFolderBrowserPlatform {
 public:
  virtual ~IFolderBrowserPlatform() = default;

  // Opens the system's modal folder browser, owned by the window in the foreground, with the
  // given title and startPath selected. The chosen folder's path; nullopt when the user cancelled,
  // when the choice has no file-system path, or when the browser could not be opened.
  virtual std::optional<Cp932Path> BrowseForFolder(const AnsiString& title,
                                                   const AnsiString& startPath) = 0;
};

}  // namespace qv
