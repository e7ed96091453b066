// What stands between a share and the other computers of the office, asked of the system one
// source at a time. Each answer is either a reading or the reason it could not be had; the
// report decides what the readings mean, the platform only asks.
#pragma once

#include <cstdint>
#include <optional>
#include <utility>
#include <vector>

#include "framework/ansi_string.h"

namespace qv {

// A reading, or why there is none (the system's text and code, in our words).
template <typename T>
struct Answer {
  std::optional<T> value;
  AnsiString reason;

  static Answer Of(T v) { return Answer{std::move(v), {}}; }
  static Answer Unknown(AnsiString why) { return Answer{std::nullopt, std::move(why)}; }
  bool known() const { return value.has_value(); }
};

enum class ServiceRun { Stopped, Starting, Stopping, Running, Paused, Other };
enum class ServiceStart { Automatic, Manual, Disabled, Other };

struct ServiceStatus {
  ServiceRun run = ServiceRun::Stopped;
  ServiceStart start = ServiceStart::Automatic;
};

// The firewall's and the network list's classification of a network; the firewall's profile
// bits use the same values (domain 1, private 2, public 4).
enum class NetworkKind : std::uint32_t { Domain = 1, Private = 2, Public = 4 };

struct ConnectedNetwork {
  AnsiString name;
  NetworkKind kind = NetworkKind::Public;
};

class IReachPlatform {
 public:
  virtual ~IReachPlatform() = default;

  // The Server service (LanmanServer), which answers other computers' file requests.
  virtual Answer<ServiceStatus> ServerService() = 0;
  // The firewall profiles in force now, as a set of NetworkKind bits.
  virtual Answer<std::uint32_t> CurrentFirewallProfiles() = 0;
  virtual Answer<bool> FirewallOn(NetworkKind profile) = 0;
  // Whether the built-in File and Printer Sharing rule group is enabled for the profile.
  virtual Answer<bool> SharingRulesEnabled(NetworkKind profile) = 0;
  // Enables that rule group for the one profile; "" on success, else why it failed.
  virtual AnsiString EnableSharingRules(NetworkKind profile) = 0;
  virtual Answer<std::vector<ConnectedNetwork>> ConnectedNetworks() = 0;
  // The name other computers know this one by (NetBIOS name).
  virtual Answer<AnsiString> ComputerName() = 0;
  // Dotted IPv4 addresses of the adapters that are up, loopback left out.
  virtual Answer<std::vector<AnsiString>> Ipv4Addresses() = 0;
  // Whether the built-in Guest account is disabled.
  virtual Answer<bool> GuestDisabled() = 0;
};

}  // namespace qv
