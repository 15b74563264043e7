// A private Samba server for one test: smbd on a free loopback port, with its
// configuration, state and shares in a temporary directory of its own. The
// test starts it; the destructor stops every process it started (smbd, its
// samba-dcerpcd and their workers) and removes the directory.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "machine_builder/machine_builder.h"

namespace dxl::testing {

class SmbTestServer {
 public:
  SmbTestServer();
  ~SmbTestServer();
  SmbTestServer(const SmbTestServer&) = delete;
  SmbTestServer& operator=(const SmbTestServer&) = delete;

  // Shares are declared before Start().
  void AddDiskShare(std::string_view share);
  void AddPrintShare(std::string_view share);
  // A file of a disk share (`path` with '/' between components), with its
  // modification time in seconds since 1970 (UTC) when given.
  void AddFile(std::string_view share, std::string_view path, std::string_view bytes,
               std::optional<std::int64_t> modified = std::nullopt);

  // Starts smbd and waits (bounded) until it accepts connections; false
  // with a test failure recorded when it does not come up.
  bool Start();
  // Stops every process the server started; waits a bounded time.
  void Stop();

  std::uint16_t Port() const { return port_; }
  // Declares the server `name` in the machine's MACHINE.INI, reached over
  // SMB at this server's address and port.
  void Declare(tools::MachineBuilder& builder, std::string_view name) const;

 private:
  std::filesystem::path ShareDirectory(std::string_view share) const { return dir_ / "shares" / std::string(share); }
  std::string Configuration() const;
  std::vector<int> OwnProcesses() const;

  std::filesystem::path dir_;
  std::vector<std::string> diskShares_;
  std::vector<std::string> printShares_;
  std::uint16_t port_ = 0;
  bool started_ = false;
};

}  // namespace dxl::testing
