// The reachability sources on Windows: the service manager, the firewall's policy object, the
// network list, the adapters and the local accounts. Each failure becomes the reason the report
// shows; nothing here raises.
#pragma once

#include "reach/reach_platform.h"

namespace qv::win {

class WinReachPlatform : public IReachPlatform {
 public:
  Answer<ServiceStatus> ServerService() override;
  Answer<std::uint32_t> CurrentFirewallProfiles() override;
  Answer<bool> FirewallOn(NetworkKind profile) override;
  Answer<bool> SharingRulesEnabled(NetworkKind profile) override;
  AnsiString EnableSharingRules(NetworkKind profile) override;
  Answer<std::vector<ConnectedNetwork>> ConnectedNetworks() override;
  Answer<AnsiString> ComputerName() override;
  Answer<std::vector<AnsiString>> Ipv4Addresses() override;
  Answer<bool> GuestDisabled() override;
};

}  // namespace qv::win
