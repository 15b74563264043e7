// The servers of the network neighbourhood, as MACHINE.INI declares them:
//
//   [Server PRINTSRV]
//   Directory=.network\PRINTSRV   ; host directory of the embedded backend
//   PrintShares=KRT310,LASER
//   Reachable=1
//
//   [Server OFFICE]
//   Backend=smb           ; a real SMB server (smb_server.h)
//   Address=127.0.0.1
//   Port=4455
#include <algorithm>

#include "platform/base/case_rules.h"
#include "platform/base/ini_text.h"
#include "platform/base/last_error.h"
#include "platform/base/text.h"
#include "platform/machine/machine.h"
#include "platform/machine/machine_ini.h"
#include "platform/machine/paths.h"
#include "platform/network/directory_server.h"
#include "platform/network/smb/smb_server.h"

namespace fs = std::filesystem;

namespace w95 {

namespace {

constexpr std::string_view kServerPrefix = "Server ";

std::vector<std::string> SplitList(std::string_view list) {
  std::vector<std::string> items;
  size_t pos = 0;
  while (pos <= list.size()) {
    size_t end = std::min(list.find(',', pos), list.size());
    std::string item(Trim(list.substr(pos, end - pos)));
    if (IsValidNetName(item)) items.push_back(std::move(item));
    pos = end + 1;
  }
  return items;
}

bool IsNo(std::string_view value) {
  auto v = Trim(value);
  return v == "0" || EqualsNoCase(v, "no") || EqualsNoCase(v, "false") || EqualsNoCase(v, "off");
}

// A Directory= value: a host path, relative ones taken from the machine root.
fs::path ServerDirectory(const Machine& machine, const std::string& name, const std::optional<std::string>& value) {
  if (!value || Trim(*value).empty()) return machine.Root() / ".network" / HostName(name).value_or(name);
  std::string path(Trim(*value));
  std::replace(path.begin(), path.end(), '\\', '/');
  fs::path host(path);
  return host.is_absolute() ? host : machine.Root() / host;
}

}  // namespace

std::vector<std::string> DeclaredServers(const Machine& machine) {
  std::vector<std::string> servers;
  for (const auto& section : MachineIni(machine)->SectionNames()) {
    if (section.size() <= kServerPrefix.size() || !EqualsNoCase(section.substr(0, kServerPrefix.size()), kServerPrefix))
      continue;
    std::string name(Trim(std::string_view(section).substr(kServerPrefix.size())));
    if (IsValidNetName(name)) servers.push_back(name);
  }
  return servers;
}

std::unique_ptr<ServerBackend> OpenServer(const Machine& machine, std::string_view name) {
  if (!IsValidNetName(name)) return Fail(ERROR_BAD_NETPATH, std::unique_ptr<ServerBackend>());
  auto servers = DeclaredServers(machine);
  auto found =
      std::find_if(servers.begin(), servers.end(), [&](const std::string& s) { return EqualsNoCase(s, name); });
  if (found == servers.end()) return Fail(ERROR_BAD_NETPATH, std::unique_ptr<ServerBackend>());
  auto machineIni = MachineIni(machine);
  const IniText& ini = *machineIni;
  std::string section = std::string(kServerPrefix) + *found;
  auto backend = ini.Value(section, "Backend");
  bool reachable = !IsNo(ini.Value(section, "Reachable").value_or("1"));
  if (backend && EqualsNoCase(Trim(*backend), "smb"))
    return std::make_unique<SmbServer>(*found, SmbSettingsFromIni(ini, section, *found, reachable));
  // A backend this build does not have answers as a server that is down.
  if (backend && !Trim(*backend).empty() && !EqualsNoCase(Trim(*backend), "directory")) reachable = false;
  return std::make_unique<DirectoryServer>(*found, ServerDirectory(machine, *found, ini.Value(section, "Directory")),
                                           SplitList(ini.Value(section, "PrintShares").value_or("")), reachable);
}

}  // namespace w95
