#include "app/installation_check.h"

#include <system_error>

#include "platform/machine/machine.h"
#include "platform/machine/paths.h"

namespace fs = std::filesystem;

namespace dxl {

namespace {

constexpr const char* kWhatToSet =
    "set TSHOOTER_ROOT to the C: drive of a Windows 95 installation (the directory that holds MSDOS.SYS and the "
    "Windows directory)";

bool HasFile(const w95::Machine& machine, const std::string& windowsPath) {
  std::error_code ec;
  auto host = w95::HostPath(machine, windowsPath);
  return host && fs::is_regular_file(*host, ec);
}

}  // namespace

std::optional<std::string> InstallationProblem(const fs::path& root) {
  std::error_code ec;
  auto status = fs::status(root, ec);
  std::string where = "TSHOOTER_ROOT=" + root.string();
  if (status.type() == fs::file_type::not_found) return where + ": no such directory.\n" + kWhatToSet + ".";
  if (status.type() != fs::file_type::directory) return where + ": not a directory.\n" + kWhatToSet + ".";
  w95::Machine machine(root);
  const std::string& windows = machine.WindowsDirectory();
  bool hasIni = HasFile(machine, windows + "\\SYSTEM.INI");
  bool hasRegistry = HasFile(machine, windows + "\\SYSTEM.DAT") || HasFile(machine, windows + "\\SYSTEM.REG");
  if (hasIni && hasRegistry) return std::nullopt;
  return where + ": no Windows installation: looked for " + windows + "\\SYSTEM.INI and a registry (" + windows +
         "\\SYSTEM.DAT) there.\n" + kWhatToSet + ".";
}

}  // namespace dxl
