// Fakes of the reachability sources and of a share's files: every answer can be set, every
// source can be made unreadable, and the files remember what is on the share.
#pragma once

#include <map>
#include <set>

#include "reach/reach_platform.h"
#include "reach/save_trial.h"

namespace qv {

class FakeReachPlatform : public IReachPlatform {
 public:
  Answer<ServiceStatus> ServerService() override { return service; }
  Answer<std::uint32_t> CurrentFirewallProfiles() override { return profiles; }
  Answer<bool> FirewallOn(NetworkKind p) override { return Lookup(firewallOn, p); }
  Answer<bool> SharingRulesEnabled(NetworkKind p) override { return Lookup(rulesOn, p); }
  AnsiString EnableSharingRules(NetworkKind p) override {
    enabled.push_back(p);
    return enableFailure;
  }
  Answer<std::vector<ConnectedNetwork>> ConnectedNetworks() override { return networks; }
  Answer<AnsiString> ComputerName() override { return computer; }
  Answer<std::vector<AnsiString>> Ipv4Addresses() override { return addresses; }
  Answer<bool> GuestDisabled() override { return guestDisabled; }

  // A computer whose share others can reach: server running, one private network, firewall on
  // with the sharing rules open.
  Answer<ServiceStatus> service =
      Answer<ServiceStatus>::Of({ServiceRun::Running, ServiceStart::Automatic});
  Answer<std::uint32_t> profiles = Answer<std::uint32_t>::Of(2);
  std::map<NetworkKind, Answer<bool>> firewallOn{{NetworkKind::Domain, Answer<bool>::Of(true)},
                                                 {NetworkKind::Private, Answer<bool>::Of(true)},
                                                 {NetworkKind::Public, Answer<bool>::Of(true)}};
  std::map<NetworkKind, Answer<bool>> rulesOn{{NetworkKind::Domain, Answer<bool>::Of(true)},
                                              {NetworkKind::Private, Answer<bool>::Of(true)},
                                              {NetworkKind::Public, Answer<bool>::Of(false)}};
  Answer<std::vector<ConnectedNetwork>> networks =
      Answer<std::vector<ConnectedNetwork>>::Of({{"Office", NetworkKind::Private}});
  Answer<AnsiString> computer = Answer<AnsiString>::Of("KEIRI-PC");
  Answer<std::vector<AnsiString>> addresses = Answer<std::vector<AnsiString>>::Of({"192.168.1.20"});
  Answer<bool> guestDisabled = Answer<bool>::Of(true);
  AnsiString enableFailure;
  std::vector<NetworkKind> enabled;

 private:
  static Answer<bool> Lookup(const std::map<NetworkKind, Answer<bool>>& m, NetworkKind p) {
    auto it = m.find(p);
    return it == m.end() ? Answer<bool>::Unknown("no such profile in the fake") : it->second;
  }
};

class FakeShareFiles : public IShareFiles {
 public:
  // Each step's answer (0 for success), and whether the read gives other bytes than were written.
  void WillAnswer(std::uint32_t create, std::uint32_t write, std::uint32_t read,
                  std::uint32_t remove, bool corrupt) {
    createCode = create;
    writeCode = write;
    readCode = read;
    removeCode = remove;
    corruptRead = corrupt;
  }
  std::uint32_t Create(const AnsiString& path) override {
    created.push_back(path);
    if (createCode != 0) return createCode;
    if (onShare.count(path.bytes())) return 80;
    onShare.insert(path.bytes());
    open = path.bytes();
    return 0;
  }
  std::uint32_t Write(const std::vector<std::uint8_t>& data) override {
    if (writeCode != 0) return writeCode;
    stored = data;
    return 0;
  }
  std::uint32_t ReadBack(std::size_t size, std::vector<std::uint8_t>& into) override {
    if (readCode != 0) return readCode;
    into.assign(stored.begin(), stored.begin() + std::min(size, stored.size()));
    if (corruptRead && !into.empty()) into[into.size() / 2] ^= 1;
    return 0;
  }
  void Close() override {
    ++closes;
    open.clear();
  }
  std::uint32_t Remove(const AnsiString& path) override {
    removed.push_back(path);
    if (!open.empty()) return 32;  // still open: a sharing violation, as on Windows
    if (removeCode != 0) return removeCode;
    return onShare.erase(path.bytes()) ? 0 : 2;
  }
  double Seconds() override { return clock += 0.25; }
  AnsiString UniqueFileName() override { return "qvsetshare-test.tmp"; }
  AnsiString SystemText(std::uint32_t code) override {
    return code == 5 ? AnsiString("アクセスが拒否されました。") : AnsiString("");
  }

  std::uint32_t createCode = 0, writeCode = 0, readCode = 0, removeCode = 0;
  bool corruptRead = false;
  std::set<std::string> onShare;
  std::string open;
  std::vector<std::uint8_t> stored;
  std::vector<AnsiString> created, removed;
  int closes = 0;
  double clock = 0;
};

}  // namespace qv
