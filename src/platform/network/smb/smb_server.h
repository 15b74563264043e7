// A server of the network neighbourhood reached over SMB (libsmbclient): a real
// Samba or Windows server at an address and port of the host's network. Its
// disk and print shares are what the server lists; its files are read through
// the SMB client, never written.
//
// libsmbclient itself is reached through a module loaded on first use
// (client/smb_client.h); without the module every server answers as down.
//
// The first question of a backend object connects and lists the server's
// shares; later questions reuse that connection. A server that does not
// accept a connection within a short time, that does not speak SMB, or that
// refuses the configured user answers as one that is down (ERROR_BAD_NETPATH).
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/network/server_backend.h"

namespace w95 {

struct SmbServerSettings {
  std::string address;       // host name or IPv4 address of the server
  std::uint16_t port = 445;  // 0: no usable port, the server is down
  std::string user;          // empty: guest
  std::string password;
  std::string workgroup = "WORKGROUP";
  bool declaredReachable = true;
};

class IniText;

// The settings of the MACHINE.INI section `section` of the server `name`:
//   Backend=smb
//   Address=127.0.0.1     ; default: the server's name, resolved by the host
//   Port=4455             ; default 445
//   User=, Password=, Workgroup=   ; default: guest in WORKGROUP
// A port that is not a number from 1 to 65535 leaves the server down.
SmbServerSettings SmbSettingsFromIni(const IniText& ini, const std::string& section, const std::string& name,
                                     bool declaredReachable);

namespace smb {
class Client;
}

class SmbServer : public ServerBackend {
 public:
  SmbServer(std::string name, SmbServerSettings settings);
  ~SmbServer() override;
  SmbServer(const SmbServer&) = delete;
  SmbServer& operator=(const SmbServer&) = delete;

  const std::string& Name() const override { return name_; }
  bool Reachable() override;
  std::optional<std::vector<std::string>> ListShares() override;
  std::optional<std::vector<std::string>> ListPrintShares() override;
  std::optional<std::vector<FindData>> FindEntries(std::string_view share, const std::vector<std::string>& directory,
                                                   std::string_view pattern) override;
  std::unique_ptr<FileObject> OpenForReading(std::string_view share, const std::vector<std::string>& path) override;

 private:
  // Connects and lists the shares once; false (last error set) when the
  // server does not answer.
  bool Connect();
  // The URL of an entry of a disk share, or nullopt with the last error set
  // (no such share, a name that cannot travel).
  std::optional<std::string> EntryUrl(std::string_view share, const std::vector<std::string>& path);

  std::string name_;
  SmbServerSettings settings_;
  std::shared_ptr<smb::Client> client_;
  bool connected_ = false;
  bool tried_ = false;
  std::vector<std::string> diskShares_;
  std::vector<std::string> printShares_;
};

}  // namespace w95
