// Port and NetworkResource: a local port's network redirection, and a print
// server's reachability. Plain values, built afresh for each question.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/network/network.h"

namespace dxl {

class Port {
 public:
  // Asks the network layer where `localName` ("LPT1:") is redirected.
  explicit Port(std::string_view localName);

  std::string GetRemoteName() const { return remoteName; }
  // The server part of the remote name with its leading backslashes ("\\srv").
  std::string GetServerName() const;
  // 1 when the user's persistent-connection record for the port exists and
  // has a "RemotePath" value, else 0.
  int IsPersitentRedirected() const;

  std::string name;
  std::string remoteName;
  std::uint32_t lastError = 0;
  std::int32_t portNumber = 0;
};

class NetworkResource {
 public:
  explicit NetworkResource(std::string_view resourceName) : name(resourceName) {}

  // The enumeration's error code (0 = success); also kept in lastError.
  std::uint32_t Enumerate(std::uint32_t scope, std::uint32_t type, std::uint32_t usage,
                          const w95::NetResource& resource);
  int CanAccess();
  int CanAccessPrinters();
  int HasDirectory(std::string_view subDirectory) const;

  std::string name;
  std::uint32_t lastError = 0;
};

}  // namespace dxl
