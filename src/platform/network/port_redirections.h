// Where the spooler learns which LPT ports are redirected to network printers.
// The network layer supplies the answer; until it does, no port is redirected.
#pragma once

#include <string>
#include <vector>

namespace w95 {

struct PortRedirection {
  std::string portName;    // "LPT2:"
  std::string remoteName;  // "\\SERVER\PRINTER"
};

// The LPT ports of the current machine that are redirected now.
std::vector<PortRedirection> RedirectedLptPorts();

}  // namespace w95
