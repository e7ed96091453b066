// A stand-in for the system's netapi32.dll. End-to-end tests copy it over the test prefix's
// system32\netapi32.dll and select it for one process with WINEDLLOVERRIDES=netapi32=n; a process
// started without that override keeps Wine's own library.
//
// NetShareAdd appends what it was given to the file named by QV_NETAPI_LOG, one "field=value" line
// each in UTF-8 after a line "call", waits QV_NETAPI_DELAY_MS milliseconds if that is set, and
// returns the code in QV_NETAPI_RESULT when that is set and not 0, else NERR_DuplicateShare for a
// name the log says was made and not deleted, else 0; it appends the code as a last line
// "result=N". Levels 2 and 502 are recorded field by field; the security descriptor of level 502
// as lowercase hex bytes.
//
// The log is also the double's memory of the shares it made: NetShareGetInfo at level 502 answers
// from the last call of that name (compared without regard to case, as the server does) whose
// result was 0, and NERR_NetNameNotFound when there is none. Each query is appended as a block
// headed "query". QV_NETAPI_GETINFO_RESULT, when set and not 0, is returned instead of an answer.
// The answer is one block that NetApiBufferFree frees.
//
// NetShareDel appends a block headed "delete" (servername, netname, reserved, then "result=N"):
// the code in QV_NETAPI_DEL_RESULT when that is set and not 0, else 0 for a share the log says
// was made and not yet deleted, else NERR_NetNameNotFound. A deleted share is no longer answered.
//
// NetShareSetInfo appends a block headed "setinfo" (servername, netname, level, parm_err_given, at
// level 1501 security_descriptor as above, then "result=N"): the code in QV_NETAPI_SETINFO_RESULT
// when that is set and not 0, else ERROR_INVALID_LEVEL for a level other than 1501, else 0 for a
// share the log says was made and not deleted, else NERR_NetNameNotFound. A descriptor set with
// result 0 is the one NetShareGetInfo answers from then on.
#include <windows.h>

#include <cstddef>
#include <cstdio>
#include <cstring>
#include <map>
#include <optional>
#include <string>
#include <vector>

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

struct ShareInfo1501 {
  DWORD shi1501_reserved;
  void* shi1501_security_descriptor;
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

void AppendLine(const std::string& line) {
  std::wstring log = Env(L"QV_NETAPI_LOG");
  if (log.empty()) return;
  FILE* f = _wfopen(log.c_str(), L"ab");
  if (!f) return;
  std::fprintf(f, "%s\n", line.c_str());
  std::fclose(f);
}

std::wstring Wide(const std::string& utf8) {
  int n = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
  std::wstring out(static_cast<std::size_t>(n > 0 ? n : 0), L'\0');
  if (n > 0) {
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), out.data(), n);
  }
  return out;
}

using Fields = std::map<std::string, std::string>;

// The NetShareAdd, NetShareDel and NetShareSetInfo blocks of the log, in order; a deletion has
// "deleted=1", a change of permissions "setinfo=1".
std::vector<Fields> RecordedCalls() {
  std::vector<Fields> calls;
  std::wstring log = Env(L"QV_NETAPI_LOG");
  if (log.empty()) return calls;
  FILE* f = _wfopen(log.c_str(), L"rb");
  if (!f) return calls;
  Fields* current = nullptr;
  char buf[8192];
  while (std::fgets(buf, sizeof(buf), f)) {
    std::string line(buf);
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.pop_back();
    if (line == "call") {
      current = &calls.emplace_back();
    } else if (line == "delete") {
      current = &calls.emplace_back();
      (*current)["deleted"] = "1";
    } else if (line == "setinfo") {
      current = &calls.emplace_back();
      (*current)["setinfo"] = "1";
    } else if (line == "query") {
      current = nullptr;
    } else if (auto eq = line.find('='); current && eq != std::string::npos) {
      (*current)[line.substr(0, eq)] = line.substr(eq + 1);
    }
  }
  std::fclose(f);
  return calls;
}

std::optional<Fields> MadeShare(const wchar_t* netname) {
  std::optional<Fields> found;
  if (!netname) return found;
  for (const Fields& call : RecordedCalls()) {
    auto name = call.find("netname");
    auto result = call.find("result");
    if (name != call.end() && result != call.end() && result->second == "0" &&
        CompareStringOrdinal(Wide(name->second).c_str(), -1, netname, -1, TRUE) == CSTR_EQUAL) {
      if (call.count("deleted")) {
        found.reset();
      } else if (call.count("setinfo")) {
        auto descriptor = call.find("security_descriptor");
        if (found && descriptor != call.end()) {
          (*found)["security_descriptor"] = descriptor->second;
        }
      } else {
        found = call;
      }
    }
  }
  return found;
}

std::vector<BYTE> DescriptorBytes(const std::string& hex) {
  std::vector<BYTE> bytes;
  if (hex.empty() || hex[0] == '<') return bytes;
  for (std::size_t i = 0; i + 1 < hex.size(); i += 2) {
    bytes.push_back(static_cast<BYTE>(std::stoul(hex.substr(i, 2), nullptr, 16)));
  }
  return bytes;
}

std::size_t Aligned(std::size_t n) { return (n + 7) & ~std::size_t{7}; }

// One block: the record, then its texts, then the descriptor, so that one free releases it all.
BYTE* NewShareInfo502(const Fields& share) {
  auto text = [&share](const char* field) {
    auto it = share.find(field);
    return it == share.end() ? std::wstring() : Wide(it->second);
  };
  auto number = [&share](const char* field) {
    auto it = share.find(field);
    return it == share.end() ? 0u : static_cast<DWORD>(std::stol(it->second));
  };
  std::wstring netname = text("netname"), remark = text("remark"), path = text("path");
  std::vector<BYTE> descriptor = DescriptorBytes(
      share.count("security_descriptor") ? share.at("security_descriptor") : std::string());
  std::size_t texts = (netname.size() + remark.size() + path.size() + 3) * sizeof(wchar_t);
  std::size_t size = Aligned(sizeof(ShareInfo502) + texts) + descriptor.size();
  auto* block = static_cast<BYTE*>(HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, size));
  if (!block) return nullptr;
  auto* info = reinterpret_cast<ShareInfo502*>(block);
  auto* next = reinterpret_cast<wchar_t*>(block + sizeof(ShareInfo502));
  auto place = [&next](const std::wstring& s) {
    wchar_t* at = next;
    std::memcpy(at, s.c_str(), (s.size() + 1) * sizeof(wchar_t));
    next += s.size() + 1;
    return at;
  };
  info->common.shi2_netname = place(netname);
  info->common.shi2_type = number("type");
  info->common.shi2_remark = place(remark);
  info->common.shi2_permissions = number("permissions");
  info->common.shi2_max_uses = number("max_uses");
  info->common.shi2_current_uses = 0;
  info->common.shi2_path = place(path);
  info->common.shi2_passwd = nullptr;  // a server with user-level security gives none
  info->shi502_reserved = 0;
  if (!descriptor.empty()) {
    BYTE* at = block + Aligned(sizeof(ShareInfo502) + texts);
    std::memcpy(at, descriptor.data(), descriptor.size());
    info->shi502_security_descriptor = at;
  }
  return block;
}

}  // namespace

extern "C" __declspec(dllexport) DWORD WINAPI
    NetShareAdd(wchar_t* servername, DWORD level, BYTE* buf, DWORD* parm_err) {
  // Levels 2 and 502 both begin with the name.
  const bool taken = buf && (level == 2 || level == 502) &&
                     MadeShare(reinterpret_cast<const ShareInfo2*>(buf)->shi2_netname).has_value();
  Record(servername, level, buf, parm_err);
  std::wstring delay = Env(L"QV_NETAPI_DELAY_MS");
  if (!delay.empty()) Sleep(static_cast<DWORD>(_wtoi(delay.c_str())));
  std::wstring result = Env(L"QV_NETAPI_RESULT");
  DWORD code = result.empty() ? 0 : static_cast<DWORD>(_wtoi(result.c_str()));
  if (code == 0 && taken) code = 2118;  // NERR_DuplicateShare
  // A server names the refused field only when it refuses; it leaves the caller's value otherwise.
  std::wstring field = Env(L"QV_NETAPI_PARM_ERR");
  if (code != 0 && parm_err && !field.empty()) *parm_err = static_cast<DWORD>(_wtoi(field.c_str()));
  AppendLine("result=" + std::to_string(code));
  return code;
}

extern "C" __declspec(dllexport) DWORD WINAPI
    NetShareGetInfo(wchar_t* servername, wchar_t* netname, DWORD level, BYTE** bufptr) {
  AppendLine("query");
  AppendLine("servername=" + Utf8(servername));
  AppendLine("netname=" + Utf8(netname));
  AppendLine("level=" + std::to_string(level));
  if (!bufptr) return ERROR_INVALID_PARAMETER;
  *bufptr = nullptr;
  std::wstring forced = Env(L"QV_NETAPI_GETINFO_RESULT");
  if (!forced.empty() && _wtoi(forced.c_str()) != 0) {
    return static_cast<DWORD>(_wtoi(forced.c_str()));
  }
  if (level != 502) return ERROR_INVALID_LEVEL;
  std::optional<Fields> share = MadeShare(netname);
  if (!share) return 2310;  // NERR_NetNameNotFound
  *bufptr = NewShareInfo502(*share);
  return *bufptr ? 0 : ERROR_NOT_ENOUGH_MEMORY;
}

extern "C" __declspec(dllexport) DWORD WINAPI
    NetShareDel(wchar_t* servername, wchar_t* netname, DWORD reserved) {
  const bool made = MadeShare(netname).has_value();
  AppendLine("delete");
  AppendLine("servername=" + Utf8(servername));
  AppendLine("netname=" + Utf8(netname));
  AppendLine("reserved=" + std::to_string(reserved));
  std::wstring forced = Env(L"QV_NETAPI_DEL_RESULT");
  DWORD code = 0;
  if (!forced.empty() && _wtoi(forced.c_str()) != 0) {
    code = static_cast<DWORD>(_wtoi(forced.c_str()));
  } else if (!made) {
    code = 2310;  // NERR_NetNameNotFound
  }
  AppendLine("result=" + std::to_string(code));
  return code;
}

extern "C" __declspec(dllexport) DWORD WINAPI
    NetShareSetInfo(wchar_t* servername, wchar_t* netname, DWORD level, BYTE* buf,
                    DWORD* parm_err) {
  const bool made = MadeShare(netname).has_value();
  AppendLine("setinfo");
  AppendLine("servername=" + Utf8(servername));
  AppendLine("netname=" + Utf8(netname));
  AppendLine("level=" + std::to_string(level));
  AppendLine("parm_err_given=" + std::to_string(parm_err ? 1 : 0));
  if (buf && level == 1501) {
    const auto* info = reinterpret_cast<const ShareInfo1501*>(buf);
    AppendLine("reserved=" + std::to_string(info->shi1501_reserved));
    AppendLine("security_descriptor=" + DescriptorHex(info->shi1501_security_descriptor));
  }
  std::wstring forced = Env(L"QV_NETAPI_SETINFO_RESULT");
  DWORD code = 0;
  if (!forced.empty() && _wtoi(forced.c_str()) != 0) {
    code = static_cast<DWORD>(_wtoi(forced.c_str()));
  } else if (level != 1501) {
    code = ERROR_INVALID_LEVEL;
  } else if (!made) {
    code = 2310;  // NERR_NetNameNotFound
  }
  AppendLine("result=" + std::to_string(code));
  return code;
}

extern "C" __declspec(dllexport) DWORD WINAPI NetApiBufferFree(void* buffer) {
  if (buffer && !HeapFree(GetProcessHeap(), 0, buffer)) return ERROR_INVALID_PARAMETER;
  return 0;
}
