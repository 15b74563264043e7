// Whether a host accepts TCP connections on a port, asked with a short,
// bounded wait: a server that is switched off or unroutable must answer as
// "down" at once, not after the SMB client's long connect timeout.
#pragma once

#include <chrono>
#include <cstdint>
#include <string>

namespace w95 {

bool AcceptsConnections(const std::string& host, std::uint16_t port, std::chrono::milliseconds timeout);

}  // namespace w95
