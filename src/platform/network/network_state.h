// The network connections of the emulated machine, kept per machine for the
// process (Machine::Service<NetworkState>). Made at "logon": the user's
// persistent connections are restored, connected when their server answers and
// remembered but unavailable when not; then the current connections that
// MACHINE.INI [Connections] lists are added. Changes are mirrored to
// [Connections] so that the next process sees the same connections.
#pragma once

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "platform/base/win_types.h"
#include "platform/network/network.h"

namespace w95 {

class Machine;

struct Connection {
  std::string remoteName;
  bool connected = true;  // false: remembered, not connected
  bool persistent = false;
  // Shared with every ConnectionUse of the connection: in use while shared.
  std::shared_ptr<const int> useMarker = std::make_shared<const int>(0);

  bool InUse() const { return useMarker.use_count() > 1; }
};

// Marks a connection as in use (an open print job, an open file) while it
// lives; WNetCancelConnection2A then refuses to drop it without force.
class ConnectionUse {
 public:
  ConnectionUse() = default;
  explicit ConnectionUse(std::shared_ptr<const int> marker) : marker_(std::move(marker)) {}
  explicit operator bool() const { return marker_ != nullptr; }

 private:
  std::shared_ptr<const int> marker_;
};

class NetworkState {
 public:
  explicit NetworkState(Machine& machine);

  // Logon again, as at a restart of Windows: the non-persistent connections
  // end (MACHINE.INI [Connections] is emptied), the persistent ones are
  // restored.
  NetworkRestart Restart();

  // The connection of a device ("LPT1"), or null.
  const Connection* Find(const std::string& device) const;
  const std::map<std::string, Connection>& Connections() const { return connections_; }

  // Sets the device's connection and records it in MACHINE.INI (non-persistent
  // ones) or takes it out of there (persistent ones).
  void Connect(const std::string& device, const std::string& remoteName, bool persistent);
  void Disconnect(const std::string& device);

  // A use of the device's connection; empty when it has none.
  ConnectionUse Use(const std::string& device) const;

 private:
  void Logon();
  void SetCurrentConnection(const std::string& device, std::optional<std::string_view> remoteName);

  Machine& machine_;
  std::map<std::string, Connection> connections_;
};

// Whether the server part of `remoteName` (\\server\...) is declared and answers.
bool ServerAnswers(const Machine& machine, std::string_view remoteName);

}  // namespace w95
