#include "platform/network/smb/client/smb_client_config.h"

#include <stdlib.h>

#include <fstream>
#include <string>

namespace fs = std::filesystem;

namespace w95 {

namespace {

std::string ConfigurationText(const fs::path& dir) {
  std::string text = "[global]\n";
  for (const char* key :
       {"private dir", "lock directory", "state directory", "cache directory", "pid directory", "ncalrpc dir"})
    text += std::string("  ") + key + " = " + (dir / "state").string() + "\n";
  // Server names are mapped to addresses by the caller; never ask the LAN, and
  // never answer from a name cache.
  text +=
      "  name cache timeout = 0\n"
      "  name resolve order = host\n"
      "  disable netbios = yes\n"
      "  log level = 0\n"
      "  client use kerberos = off\n";
  return text;
}

class ClientDirectory {
 public:
  ClientDirectory() {
    std::error_code ec;
    std::string templ = (fs::temp_directory_path(ec) / "dxlq7trs-smbclient-XXXXXX").string();
    if (ec || !mkdtemp(templ.data())) return;
    dir_ = templ;
    fs::create_directory(dir_ / "state", ec);
    std::ofstream out(dir_ / "smb.conf", std::ios::binary | std::ios::trunc);
    out << ConfigurationText(dir_);
    out.close();
    if (ec || !out) return;
    configuration_ = dir_ / "smb.conf";
  }
  ~ClientDirectory() {
    std::error_code ec;
    if (!dir_.empty()) fs::remove_all(dir_, ec);
  }
  ClientDirectory(const ClientDirectory&) = delete;
  ClientDirectory& operator=(const ClientDirectory&) = delete;

  const std::optional<fs::path>& Configuration() const { return configuration_; }

 private:
  fs::path dir_;
  std::optional<fs::path> configuration_;
};

}  // namespace

std::optional<fs::path> SmbClientConfiguration() {
  static ClientDirectory directory;
  return directory.Configuration();
}

}  // namespace w95
