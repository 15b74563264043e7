#include "platform/port_redirections.h"

namespace w95 {

// Placeholder until the network layer reports its connections here.
std::vector<PortRedirection> RedirectedLptPorts() { return {}; }

}  // namespace w95
