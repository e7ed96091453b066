// A stand-in for the system's netapi32.dll, loaded by end-to-end tests (through a DLL override)
// next to a copy of the tool. NetShareAdd writes what it was given to the file named by
// QV_NETAPI_LOG, one "field=value" line each in UTF-8, and returns the code in QV_NETAPI_RESULT.
#include <windows.h>

#include <cstdio>
#include <string>

namespace {

// The level-2 share record as the system defines it (not taken from <lm.h>, which declares
// NetShareAdd as an import).
struct ShareInfo2 {
  wchar_t* shi2_netname;
  DWORD shi2_type;
  wchar_t* shi2_remark;
  DWORD shi2_permissions;
  DWORD shi2_max_uses;
  DWORD shi2_current_uses;
  wchar_t* shi2_path;
  wchar_t* shi2_passwd;
};

std::wstring Env(const wchar_t* name) {
  wchar_t buf[1024];
  DWORD n = GetEnvironmentVariableW(name, buf, 1024);
  return n > 0 && n < 1024 ? std::wstring(buf, n) : std::wstring();
}

std::string Utf8(const wchar_t* text) {
  if (!text) return "<null>";
  int n = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<std::size_t>(n > 0 ? n - 1 : 0), '\0');
  if (n > 1) WideCharToMultiByte(CP_UTF8, 0, text, -1, out.data(), n, nullptr, nullptr);
  return out;
}

}  // namespace

extern "C" __declspec(dllexport) DWORD WINAPI
    NetShareAdd(wchar_t* servername, DWORD level, BYTE* buf, DWORD* parm_err) {
  std::wstring log = Env(L"QV_NETAPI_LOG");
  if (!log.empty()) {
    if (FILE* f = _wfopen(log.c_str(), L"ab")) {
      std::fprintf(f, "call\nservername=%s\nlevel=%lu\nparm_err_given=%d\n",
                   Utf8(servername).c_str(), static_cast<unsigned long>(level), parm_err ? 1 : 0);
      if (level == 2 && buf) {
        const auto* s = reinterpret_cast<const ShareInfo2*>(buf);
        std::fprintf(f, "netname=%s\ntype=%lu\nremark=%s\npermissions=%lu\nmax_uses=%ld\n",
                     Utf8(s->shi2_netname).c_str(), static_cast<unsigned long>(s->shi2_type),
                     Utf8(s->shi2_remark).c_str(), static_cast<unsigned long>(s->shi2_permissions),
                     static_cast<long>(static_cast<LONG>(s->shi2_max_uses)));
        std::fprintf(f, "current_uses=%lu\npath=%s\npasswd=%s\n",
                     static_cast<unsigned long>(s->shi2_current_uses), Utf8(s->shi2_path).c_str(),
                     Utf8(s->shi2_passwd).c_str());
      }
      std::fclose(f);
    }
  }
  std::wstring result = Env(L"QV_NETAPI_RESULT");
  return result.empty() ? 0 : static_cast<DWORD>(_wtoi(result.c_str()));
}
