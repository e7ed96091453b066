// A stand-in for the system's netapi32.dll. End-to-end tests copy it over the test prefix's
// system32\netapi32.dll and select it for one process with WINEDLLOVERRIDES=netapi32=n; a process
// started without that override keeps Wine's own library.
//
// NetShareAdd appends what it was given to the file named by QV_NETAPI_LOG, one "field=value" line
// each in UTF-8 after a line "call", waits QV_NETAPI_DELAY_MS milliseconds if that is set, and
// returns the code in QV_NETAPI_RESULT (0 when unset). Levels 2 and 502 are recorded field by
// field; the security descriptor of level 502 as lowercase hex bytes.
#include <windows.h>

#include <cstddef>
#include <cstdio>
#include <string>

namespace {

// The share records as the system defines them (not taken from <lm.h>, which declares
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

struct ShareInfo502 {
  ShareInfo2 common;  // the same eight fields in the same order
  DWORD shi502_reserved;
  void* shi502_security_descriptor;
};
static_assert(sizeof(void*) != 8 || offsetof(ShareInfo502, shi502_security_descriptor) == 64,
              "the 64-bit SHARE_INFO_502 layout");

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

// "<null>", "<invalid>" (the system does not accept it as a descriptor) or its bytes in hex.
std::string DescriptorHex(void* descriptor) {
  if (!descriptor) return "<null>";
  if (!IsValidSecurityDescriptor(descriptor)) return "<invalid>";
  DWORD length = GetSecurityDescriptorLength(descriptor);
  const auto* bytes = static_cast<const unsigned char*>(descriptor);
  std::string hex;
  char pair[3];
  for (DWORD i = 0; i < length; ++i) {
    std::snprintf(pair, sizeof(pair), "%02x", bytes[i]);
    hex += pair;
  }
  return hex;
}

void WriteCommon(FILE* f, const ShareInfo2& s) {
  std::fprintf(f, "netname=%s\ntype=%lu\nremark=%s\npermissions=%lu\nmax_uses=%ld\n",
               Utf8(s.shi2_netname).c_str(), static_cast<unsigned long>(s.shi2_type),
               Utf8(s.shi2_remark).c_str(), static_cast<unsigned long>(s.shi2_permissions),
               static_cast<long>(static_cast<LONG>(s.shi2_max_uses)));
  std::fprintf(f, "current_uses=%lu\npath=%s\npasswd=%s\n",
               static_cast<unsigned long>(s.shi2_current_uses), Utf8(s.shi2_path).c_str(),
               Utf8(s.shi2_passwd).c_str());
}

void Record(const wchar_t* servername, DWORD level, const BYTE* buf, const DWORD* parm_err) {
  std::wstring log = Env(L"QV_NETAPI_LOG");
  if (log.empty()) return;
  FILE* f = _wfopen(log.c_str(), L"ab");
  if (!f) return;
  std::fprintf(f, "call\nservername=%s\nlevel=%lu\nparm_err_given=%d\n", Utf8(servername).c_str(),
               static_cast<unsigned long>(level), parm_err ? 1 : 0);
  if (buf && level == 2) {
    WriteCommon(f, *reinterpret_cast<const ShareInfo2*>(buf));
  } else if (buf && level == 502) {
    const auto* s = reinterpret_cast<const ShareInfo502*>(buf);
    WriteCommon(f, s->common);
    std::fprintf(f, "reserved=%lu\nsecurity_descriptor=%s\n",
                 static_cast<unsigned long>(s->shi502_reserved),
                 DescriptorHex(s->shi502_security_descriptor).c_str());
  }
  std::fclose(f);
}

}  // namespace

extern "C" __declspec(dllexport) DWORD WINAPI
    NetShareAdd(wchar_t* servername, DWORD level, BYTE* buf, DWORD* parm_err) {
  Record(servername, level, buf, parm_err);
  std::wstring delay = Env(L"QV_NETAPI_DELAY_MS");
  if (!delay.empty()) Sleep(static_cast<DWORD>(_wtoi(delay.c_str())));
  std::wstring result = Env(L"QV_NETAPI_RESULT");
  return result.empty() ? 0 : static_cast<DWORD>(_wtoi(result.c_str()));
}
