#include "win/dialog/win_share_platform.h"

#include <windows.h>

#include <lm.h>
#include <shlobj.h>

#include <string>

#include "win/framework/cp932.h"
#include "win/framework/lazy_library.h"

namespace qv::win {

std::uint32_t WinSharePlatform::FileAttributes(const AnsiString& path) {
  return GetFileAttributesW(ToWide(path).c_str());
}

bool WinSharePlatform::MakeDirectory(const AnsiString& path) {
  return CreateDirectoryW(ToWide(path).c_str(), nullptr) != FALSE;
}

std::uint32_t WinSharePlatform::AddShare(const AnsiString& serverName, const ShareInfo2& share) {
  // The record points into these; every text is a string, the empty password included.
  std::wstring server = ToWide(serverName);
  std::wstring netname = ToWide(share.shi2_netname);
  std::wstring remark = ToWide(share.shi2_remark);
  std::wstring path = ToWide(share.shi2_path);
  std::wstring passwd = ToWide(share.shi2_passwd);

  SHARE_INFO_2 info = {};
  info.shi2_netname = netname.data();
  info.shi2_type = share.shi2_type;
  info.shi2_remark = remark.data();
  info.shi2_permissions = share.shi2_permissions;
  info.shi2_max_uses = share.shi2_max_uses;
  info.shi2_current_uses = share.shi2_current_uses;
  info.shi2_path = path.data();
  info.shi2_passwd = passwd.data();
  DWORD badParameter = 0;
  return QV_LAZY("netapi32.dll", NetShareAdd)(server.data(), 2, reinterpret_cast<BYTE*>(&info),
                                              &badParameter);
}

void WinSharePlatform::NotifyShellChange(std::int32_t eventId, std::uint32_t flags) {
  QV_LAZY("shell32.dll", SHChangeNotify)(eventId, flags, nullptr, nullptr);
}

AnsiString WinSharePlatform::SystemMessageText(std::uint32_t code) {
  // Inserts are left as they stand: there are no arguments for them, and the code may be any.
  wchar_t buffer[255];
  DWORD n = FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                           code, 0, buffer, static_cast<DWORD>(std::size(buffer)), nullptr);
  return ToAnsi(std::wstring_view(buffer, n));
}

}  // namespace qv::win
