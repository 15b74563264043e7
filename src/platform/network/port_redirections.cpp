#include "platform/network/port_redirections.h"

#include "platform/machine/machine.h"
#include "platform/network/network_state.h"

namespace w95 {

// Connected ports and remembered ones whose server is down alike: both are
// network ports to the user.
std::vector<PortRedirection> RedirectedLptPorts() {
  std::vector<PortRedirection> ports;
  for (const auto& [device, connection] : Machine::Current().Service<NetworkState>().Connections())
    ports.push_back(PortRedirection{device + ":", connection.remoteName});
  return ports;
}

}  // namespace w95
