// A directory symbolic link made on the Unix side inside the prefix: what Wine shows of a
// junction planted by another user. Made and removed by Unix programs (Wine starts one named by
// its Z: path), never removed through the Windows calls, which could follow it into its target.
#pragma once

#include <windows.h>

#include <string>

#include "e2e_support.h"

namespace qv::e2e {

class UnixDirectoryLink {
 public:
  UnixDirectoryLink(const std::wstring& link, const std::wstring& target) : link_(link) {
    const std::string linkName = UnixNameOf(link), targetName = UnixNameOf(target);
    if (linkName.empty() || targetName.empty() || Exists()) return;
    unixName_ = Utf8ToWide(linkName);
    made_ = Run(L"Z:\\bin\\ln", {L"-s", Utf8ToWide(targetName), unixName_}) && WaitFor(true);
  }
  ~UnixDirectoryLink() {
    if (!unixName_.empty() && Exists()) {
      Run(L"Z:\\bin\\rm", {L"-f", unixName_});
      WaitFor(false);
    }
  }
  UnixDirectoryLink(const UnixDirectoryLink&) = delete;
  UnixDirectoryLink& operator=(const UnixDirectoryLink&) = delete;
  bool Made() const { return made_; }

 private:
  static bool Run(const std::wstring& program, const std::vector<std::wstring>& arguments) {
    try {
      Process::Start(program, arguments);
      return true;
    } catch (const DriverError&) {
      return false;
    }
  }
  bool Exists() const { return GetFileAttributesW(link_.c_str()) != INVALID_FILE_ATTRIBUTES; }
  // Wine's handle of a Unix process cannot be waited on: watch for the effect instead.
  bool WaitFor(bool exists) const {
    for (int i = 0; i < 150 && Exists() != exists; ++i) Sleep(20);
    return Exists() == exists;
  }

  std::wstring link_, unixName_;
  bool made_ = false;
};

}  // namespace qv::e2e
