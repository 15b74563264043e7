#include "platform/network/network_state.h"

#include "platform/base/ini_text.h"
#include "platform/machine/machine.h"
#include "platform/machine/machine_ini.h"
#include "platform/machine/paths.h"
#include "platform/network/persistent_connections.h"
#include "platform/network/server_backend.h"

namespace w95 {

namespace {

constexpr std::string_view kConnections = "Connections";

}  // namespace

bool ServerAnswers(const Machine& machine, std::string_view remoteName) {
  if (!remoteName.starts_with("\\\\")) return false;
  std::string_view rest = remoteName.substr(2);
  auto server = OpenServer(machine, rest.substr(0, rest.find('\\')));
  return server && server->Reachable();
}

NetworkState::NetworkState(Machine& machine) : machine_(machine) { Logon(); }

void NetworkState::Logon() {
  connections_.clear();
  for (const auto& [device, remote] : ReadPersistentConnections())
    connections_[device] = Connection{remote, ServerAnswers(machine_, remote), true};
  auto ini = MachineIni(machine_);
  for (const auto& key : ini->KeyNames(kConnections)) {
    std::string device = RedirectableDevice(key);
    auto remote = ini->Value(kConnections, key);
    if (device.empty() || !remote || !remote->starts_with("\\\\")) continue;
    bool persistent = connections_.contains(device) && connections_[device].remoteName == *remote;
    connections_[device] = Connection{*remote, true, persistent};
  }
}

NetworkRestart NetworkState::Restart() {
  NetworkRestart done;
  for (const auto& [device, connection] : connections_) done.ended += !connection.persistent;
  IniText ini = *MachineIni(machine_);
  // Every [Connections] section goes: a second one would be read as the first at the next logon.
  bool changed = false;
  while (ini.DeleteSection(kConnections)) changed = true;
  if (changed) ReplaceMachineIni(machine_, ini);
  Logon();
  done.restored = static_cast<int>(connections_.size());
  return done;
}

const Connection* NetworkState::Find(const std::string& device) const {
  auto it = connections_.find(device);
  return it == connections_.end() ? nullptr : &it->second;
}

void NetworkState::Connect(const std::string& device, const std::string& remoteName, bool persistent) {
  connections_[device] = Connection{remoteName, true, persistent};
  SetCurrentConnection(device, persistent ? std::nullopt : std::optional<std::string_view>(remoteName));
}

void NetworkState::Disconnect(const std::string& device) {
  connections_.erase(device);
  SetCurrentConnection(device, std::nullopt);
}

ConnectionUse NetworkState::Use(const std::string& device) const {
  const Connection* connection = Find(device);
  return connection ? ConnectionUse(connection->useMarker) : ConnectionUse();
}

void NetworkState::SetCurrentConnection(const std::string& device, std::optional<std::string_view> remoteName) {
  IniText ini = *MachineIni(machine_);
  bool changed = false;
  // Every spelling of the device goes ("lpt1", "LPT1:"), then the one we keep is set.
  for (const auto& key : ini.KeyNames(kConnections))
    if (RedirectableDevice(key) == device) changed |= ini.DeleteKey(kConnections, key);
  if (remoteName) changed |= ini.SetValue(kConnections, device, *remoteName);
  if (changed) ReplaceMachineIni(machine_, ini);
}

}  // namespace w95
