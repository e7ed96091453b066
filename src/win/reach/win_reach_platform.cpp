#include "win/reach/win_reach_platform.h"

// The socket headers must come before windows.h, which would otherwise bring the old ones.
#include <windows.h>
#include <winsock2.h>
#include <ws2ipdef.h>

#include <iphlpapi.h>
#include <lm.h>
#include <netfw.h>
#include <netlistmgr.h>

#include <exception>

#include "framework/errors.h"
#include "win/framework/cp932.h"
#include "win/framework/handles.h"
#include "win/framework/lazy_library.h"
#include "win/framework/os_error.h"
#include "win/reach/com_owner.h"

namespace qv::win {

namespace {

// The File and Printer Sharing group by its indirect name, which is the same on every language
// of the system; the displayed name is translated.
constexpr wchar_t kSharingRuleGroup[] = L"@FirewallAPI.dll,-28502";

constexpr GUID kFirewallPolicyClass = {
    0xe2b3c97f, 0x6ae1, 0x41ac, {0x81, 0x7a, 0xf6, 0xf9, 0x21, 0x66, 0xd7, 0xdd}};
constexpr GUID kNetworkListClass = {
    0xdcb00c01, 0x570f, 0x4a9b, {0x8d, 0x69, 0x19, 0x9f, 0xdb, 0xa5, 0x72, 0x3b}};

AnsiString CodeReason(DWORD code) { return SystemErrorText(code) + Format("(code=%lu)", code); }

AnsiString ResultReason(HRESULT hr) {
  return SystemErrorText(static_cast<DWORD>(hr)) +
         Format("(code=0x%08lX)", static_cast<unsigned long>(hr));
}

// Every source answers, whatever goes wrong inside it: a library that cannot be bound or a
// failed allocation becomes the reason.
template <typename T, typename F>
Answer<T> Guarded(F&& ask) noexcept {
  try {
    return ask();
  } catch (const Exception& e) {
    return Answer<T>::Unknown(e.Message());
  } catch (const std::exception&) {
    return Answer<T>::Unknown("内部エラー");
  }
}

using UniqueService = UniqueAny<SC_HANDLE, ::CloseServiceHandle>;

void FreeNetBuffer(BYTE* data) noexcept {
  try {
    QV_LAZY("netapi32.dll", NetApiBufferFree)(data);
  } catch (...) {
  }
}
using NetBuffer = UniqueAny<BYTE*, FreeNetBuffer>;

UniqueSystemString SystemString(const wchar_t* text) {
  UniqueSystemString s(QV_LAZY("oleaut32.dll", SysAllocString)(text));
  if (!s) throw Exception("メモリが足りません");
  return s;
}

// COM for one question, joined and left on the thread that asks. The dialog asks from its
// work's thread, which must have left COM before it ends: the hooks that run at a thread's end may
// hold the loader lock, where CoUninitialize must not be called. A thread already in COM (the
// window thread, for assistive tools) only counts one more use.
class ComForOneQuestion {
 public:
  ComForOneQuestion() noexcept {
    try {
      result_ = QV_LAZY("ole32.dll", CoInitializeEx)(nullptr, COINIT_APARTMENTTHREADED);
    } catch (...) {
      result_ = CO_E_NOTINITIALIZED;
    }
  }
  ~ComForOneQuestion() {
    // Every success, S_FALSE too, is balanced; a thread in another kind of apartment is not ours.
    if (FAILED(result_)) return;
    try {
      QV_LAZY("ole32.dll", CoUninitialize)();
    } catch (...) {
    }
  }
  ComForOneQuestion(const ComForOneQuestion&) = delete;
  ComForOneQuestion& operator=(const ComForOneQuestion&) = delete;
  bool usable() const { return SUCCEEDED(result_) || result_ == RPC_E_CHANGED_MODE; }
  HRESULT result() const { return result_; }

 private:
  HRESULT result_ = CO_E_NOTINITIALIZED;
};

// The firewall's policy object, in-process, on a thread in COM for as long as `com` lives.
UniqueInterface<INetFwPolicy2> FirewallPolicy(const ComForOneQuestion& com, HRESULT& hr) {
  UniqueInterface<INetFwPolicy2> policy;
  if (!com.usable()) {
    hr = com.result();
    return policy;
  }
  hr = QV_LAZY("ole32.dll", CoCreateInstance)(kFirewallPolicyClass, nullptr, CLSCTX_INPROC_SERVER,
                                              __uuidof(INetFwPolicy2),
                                              reinterpret_cast<void**>(policy.put()));
  if (FAILED(hr)) policy.reset();
  return policy;
}

ServiceRun RunOf(DWORD state) {
  switch (state) {
    case SERVICE_RUNNING:
      return ServiceRun::Running;
    case SERVICE_START_PENDING:
    case SERVICE_CONTINUE_PENDING:
      return ServiceRun::Starting;
    case SERVICE_STOPPED:
      return ServiceRun::Stopped;
    case SERVICE_STOP_PENDING:
    case SERVICE_PAUSE_PENDING:
      return ServiceRun::Stopping;
    case SERVICE_PAUSED:
      return ServiceRun::Paused;
    default:
      return ServiceRun::Other;
  }
}

ServiceStart StartOf(DWORD type) {
  switch (type) {
    case SERVICE_AUTO_START:
      return ServiceStart::Automatic;
    case SERVICE_DEMAND_START:
      return ServiceStart::Manual;
    case SERVICE_DISABLED:
      return ServiceStart::Disabled;
    default:
      return ServiceStart::Other;
  }
}

}  // namespace

Answer<ServiceStatus> WinReachPlatform::ServerService() {
  return Guarded<ServiceStatus>([]() -> Answer<ServiceStatus> {
    const UniqueService manager(OpenSCManagerW(nullptr, nullptr, SC_MANAGER_CONNECT));
    if (!manager) return Answer<ServiceStatus>::Unknown(CodeReason(GetLastError()));
    const UniqueService service(
        OpenServiceW(manager.get(), L"LanmanServer", SERVICE_QUERY_STATUS | SERVICE_QUERY_CONFIG));
    if (!service) return Answer<ServiceStatus>::Unknown(CodeReason(GetLastError()));
    SERVICE_STATUS_PROCESS status{};
    DWORD needed = 0;
    if (!QueryServiceStatusEx(service.get(), SC_STATUS_PROCESS_INFO,
                              reinterpret_cast<BYTE*>(&status), sizeof status, &needed)) {
      return Answer<ServiceStatus>::Unknown(CodeReason(GetLastError()));
    }
    // The configuration never exceeds 8 KB, so one buffer of that size always holds it.
    alignas(QUERY_SERVICE_CONFIGW) BYTE config[8192];
    if (!QueryServiceConfigW(service.get(), reinterpret_cast<QUERY_SERVICE_CONFIGW*>(config),
                             sizeof config, &needed)) {
      return Answer<ServiceStatus>::Unknown(CodeReason(GetLastError()));
    }
    return Answer<ServiceStatus>::Of(
        {RunOf(status.dwCurrentState),
         StartOf(reinterpret_cast<const QUERY_SERVICE_CONFIGW*>(config)->dwStartType)});
  });
}

Answer<std::uint32_t> WinReachPlatform::CurrentFirewallProfiles() {
  return Guarded<std::uint32_t>([]() -> Answer<std::uint32_t> {
    const ComForOneQuestion com;
    HRESULT hr = S_OK;
    const UniqueInterface<INetFwPolicy2> policy = FirewallPolicy(com, hr);
    if (!policy) return Answer<std::uint32_t>::Unknown(ResultReason(hr));
    long profiles = 0;
    hr = policy.get()->get_CurrentProfileTypes(&profiles);
    if (FAILED(hr)) return Answer<std::uint32_t>::Unknown(ResultReason(hr));
    return Answer<std::uint32_t>::Of(static_cast<std::uint32_t>(profiles) & 7u);
  });
}

Answer<bool> WinReachPlatform::FirewallOn(NetworkKind profile) {
  return Guarded<bool>([profile]() -> Answer<bool> {
    const ComForOneQuestion com;
    HRESULT hr = S_OK;
    const UniqueInterface<INetFwPolicy2> policy = FirewallPolicy(com, hr);
    if (!policy) return Answer<bool>::Unknown(ResultReason(hr));
    VARIANT_BOOL on = VARIANT_FALSE;
    hr = policy.get()->get_FirewallEnabled(static_cast<NET_FW_PROFILE_TYPE2>(profile), &on);
    if (FAILED(hr)) return Answer<bool>::Unknown(ResultReason(hr));
    return Answer<bool>::Of(on != VARIANT_FALSE);
  });
}

Answer<bool> WinReachPlatform::SharingRulesEnabled(NetworkKind profile) {
  return Guarded<bool>([profile]() -> Answer<bool> {
    const ComForOneQuestion com;
    HRESULT hr = S_OK;
    const UniqueInterface<INetFwPolicy2> policy = FirewallPolicy(com, hr);
    if (!policy) return Answer<bool>::Unknown(ResultReason(hr));
    const UniqueSystemString group = SystemString(kSharingRuleGroup);
    VARIANT_BOOL on = VARIANT_FALSE;
    hr = policy.get()->IsRuleGroupEnabled(static_cast<long>(profile), group.get(), &on);
    if (FAILED(hr)) return Answer<bool>::Unknown(ResultReason(hr));
    // S_FALSE: the system has no such group, so there is nothing to be on or off.
    if (hr == S_FALSE) return Answer<bool>::Unknown("規則のグループがありません");
    return Answer<bool>::Of(on != VARIANT_FALSE);
  });
}

AnsiString WinReachPlatform::EnableSharingRules(NetworkKind profile) {
  // The public profile is never opened, whoever asks.
  if (profile == NetworkKind::Public) return "パブリック ネットワークは変更しません";
  const Answer<bool> done = Guarded<bool>([profile]() -> Answer<bool> {
    const ComForOneQuestion com;
    HRESULT hr = S_OK;
    const UniqueInterface<INetFwPolicy2> policy = FirewallPolicy(com, hr);
    if (!policy) return Answer<bool>::Unknown(ResultReason(hr));
    const UniqueSystemString group = SystemString(kSharingRuleGroup);
    hr = policy.get()->EnableRuleGroup(static_cast<long>(profile), group.get(), VARIANT_TRUE);
    if (FAILED(hr)) return Answer<bool>::Unknown(ResultReason(hr));
    if (hr == S_FALSE) return Answer<bool>::Unknown("規則のグループがありません");
    return Answer<bool>::Of(true);
  });
  return done.known() ? AnsiString() : done.reason;
}

Answer<std::vector<ConnectedNetwork>> WinReachPlatform::ConnectedNetworks() {
  using Networks = std::vector<ConnectedNetwork>;
  return Guarded<Networks>([]() -> Answer<Networks> {
    const ComForOneQuestion com;
    if (!com.usable()) return Answer<Networks>::Unknown(ResultReason(com.result()));
    UniqueInterface<INetworkListManager> list;
    HRESULT hr = QV_LAZY("ole32.dll", CoCreateInstance)(
        kNetworkListClass, nullptr, CLSCTX_INPROC_SERVER, __uuidof(INetworkListManager),
        reinterpret_cast<void**>(list.put()));
    if (FAILED(hr)) return Answer<Networks>::Unknown(ResultReason(hr));
    UniqueInterface<IEnumNetworks> networks;
    hr = list.get()->GetNetworks(NLM_ENUM_NETWORK_CONNECTED, networks.put());
    if (FAILED(hr) || !networks) return Answer<Networks>::Unknown(ResultReason(hr));
    Networks found;
    for (;;) {
      UniqueInterface<INetwork> network;
      ULONG fetched = 0;
      hr = networks.get()->Next(1, network.put(), &fetched);
      if (FAILED(hr)) return Answer<Networks>::Unknown(ResultReason(hr));
      if (hr != S_OK || fetched == 0 || !network) break;
      ConnectedNetwork n;
      UniqueSystemString name;
      if (SUCCEEDED(network.get()->GetName(name.put())) && name) n.name = ToAnsi(name.get());
      NLM_NETWORK_CATEGORY category = NLM_NETWORK_CATEGORY_PUBLIC;
      hr = network.get()->GetCategory(&category);
      if (FAILED(hr)) return Answer<Networks>::Unknown(ResultReason(hr));
      n.kind = category == NLM_NETWORK_CATEGORY_DOMAIN_AUTHENTICATED ? NetworkKind::Domain
               : category == NLM_NETWORK_CATEGORY_PRIVATE            ? NetworkKind::Private
                                                                     : NetworkKind::Public;
      found.push_back(std::move(n));
    }
    return Answer<Networks>::Of(std::move(found));
  });
}

Answer<AnsiString> WinReachPlatform::ComputerName() {
  return Guarded<AnsiString>([]() -> Answer<AnsiString> {
    std::wstring name(MAX_COMPUTERNAME_LENGTH + 1, L'\0');
    DWORD size = static_cast<DWORD>(name.size());
    if (!GetComputerNameExW(ComputerNameNetBIOS, name.data(), &size)) {
      const DWORD code = GetLastError();
      if (code != ERROR_MORE_DATA) return Answer<AnsiString>::Unknown(CodeReason(code));
      name.assign(size, L'\0');
      if (!GetComputerNameExW(ComputerNameNetBIOS, name.data(), &size)) {
        return Answer<AnsiString>::Unknown(CodeReason(GetLastError()));
      }
    }
    name.resize(size);
    return Answer<AnsiString>::Of(ToAnsi(name));
  });
}

Answer<std::vector<AnsiString>> WinReachPlatform::Ipv4Addresses() {
  using Addresses = std::vector<AnsiString>;
  return Guarded<Addresses>([]() -> Answer<Addresses> {
    constexpr ULONG kFlags =
        GAA_FLAG_SKIP_ANYCAST | GAA_FLAG_SKIP_MULTICAST | GAA_FLAG_SKIP_DNS_SERVER;
    auto* const query = QV_LAZY("iphlpapi.dll", GetAdaptersAddresses);
    // The list may grow between the size query and the read; a few rounds settle it.
    std::vector<std::uint64_t> buffer(15 * 1024 / sizeof(std::uint64_t));
    ULONG result = ERROR_BUFFER_OVERFLOW;
    for (int round = 0; round < 4 && result == ERROR_BUFFER_OVERFLOW; ++round) {
      ULONG size = static_cast<ULONG>(buffer.size() * sizeof(std::uint64_t));
      result = query(AF_INET, kFlags, nullptr,
                     reinterpret_cast<IP_ADAPTER_ADDRESSES*>(buffer.data()), &size);
      if (result == ERROR_BUFFER_OVERFLOW) buffer.resize(size / sizeof(std::uint64_t) + 1);
    }
    Addresses found;
    if (result == ERROR_NO_DATA) return Answer<Addresses>::Of(found);
    if (result != ERROR_SUCCESS) return Answer<Addresses>::Unknown(CodeReason(result));
    for (auto* a = reinterpret_cast<const IP_ADAPTER_ADDRESSES*>(buffer.data()); a; a = a->Next) {
      if (a->OperStatus != IfOperStatusUp || a->IfType == IF_TYPE_SOFTWARE_LOOPBACK) continue;
      for (auto* u = a->FirstUnicastAddress; u; u = u->Next) {
        const SOCKADDR* sa = u->Address.lpSockaddr;
        if (!sa || sa->sa_family != AF_INET) continue;
        const auto* b = reinterpret_cast<const unsigned char*>(
            &reinterpret_cast<const sockaddr_in*>(sa)->sin_addr);
        if (b[0] == 127) continue;
        found.push_back(Format("%u.%u.%u.%u", b[0], b[1], b[2], b[3]));
      }
    }
    return Answer<Addresses>::Of(std::move(found));
  });
}

Answer<bool> WinReachPlatform::GuestDisabled() {
  return Guarded<bool>([]() -> Answer<bool> {
    NetBuffer buffer;
    const NET_API_STATUS status =
        QV_LAZY("netapi32.dll", NetUserGetInfo)(nullptr, L"Guest", 1, buffer.put());
    if (status != NERR_Success || !buffer) {
      return Answer<bool>::Unknown(status == NERR_UserNotFound
                                       ? AnsiString("Guest アカウントがありません(code=2221)")
                                       : CodeReason(status));
    }
    const auto* user = reinterpret_cast<const USER_INFO_1*>(buffer.get());
    return Answer<bool>::Of((user->usri1_flags & UF_ACCOUNTDISABLE) != 0);
  });
}

}  // namespace qv::win
