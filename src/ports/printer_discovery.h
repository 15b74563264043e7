// Where the printer of the driver family is installed, from the printing
// system's registry lists of installed printers; and the repair of a port
// whose network connection is not persistent.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace dxl {

// -1: no printer of the family is installed (or none names a port); 0:
// installed, but not on "LPT<portNumber>:"; 1: installed on it. For 0 and 1,
// `out` holds the comma-separated list of the printers' ports.
int FindDriverPorts(std::int32_t portNotLocal, std::int32_t portNumber, std::string& out, std::size_t size);

// Makes the port's network connection persistent: 1 when it now is, 0 when
// it could not be made (the port then keeps the connection it had).
int ReconnectPort(std::string_view localName);

}  // namespace dxl
