// The shell's folder browser on Windows: wide functions, paths converted with code page 932.
#pragma once

#include "dialog/folder_browser.h"

namespace qv::win {

class WinFolderBrowserPlatform : public IFolderBrowserPlatform {
 public:
  std::optional<Cp932Path> BrowseForFolder(const AnsiString& title,
                                           const AnsiString& startPath) override;
};

}  // namespace qv::win
