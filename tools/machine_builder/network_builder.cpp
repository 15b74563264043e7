#include "machine_builder/network_builder.h"

#include "machine_builder/hives.h"
#include "platform/base/ini_text.h"
#include "platform/base/text.h"

namespace dxl::tools {

namespace {

std::string ServerSection(std::string_view server) { return "Server " + std::string(server); }

std::string ShareDirectory(std::string_view server, std::string_view share) {
  return ServerDirectory(server) + "\\" + std::string(share);
}

}  // namespace

std::string ServerDirectory(std::string_view server) { return "C:\\.network\\" + std::string(server); }

MachineBuilder& AddServer(MachineBuilder& builder, std::string_view server) {
  builder.MachineIni(ServerSection(server), "Directory", ".network\\" + std::string(server));
  return builder.Directory(ServerDirectory(server));
}

MachineBuilder& AddShare(MachineBuilder& builder, std::string_view server, std::string_view share) {
  return builder.Directory(ShareDirectory(server, share));
}

MachineBuilder& AddPrintShare(MachineBuilder& builder, std::string_view server, std::string_view share) {
  w95::IniText ini(builder.Read("C:\\MACHINE.INI"));
  std::string list = ini.Value(ServerSection(server), "PrintShares").value_or("");
  if (!w95::Trim(list).empty()) list += ",";
  list += share;
  return builder.MachineIni(ServerSection(server), "PrintShares", list);
}

MachineBuilder& AddShareFile(MachineBuilder& builder, std::string_view server, std::string_view share,
                             std::string_view path, std::string_view bytes, std::optional<std::string_view> stamp) {
  std::string windowsPath = ShareDirectory(server, share) + "\\" + std::string(path);
  builder.File(windowsPath, bytes);
  if (stamp) builder.FileTime(windowsPath, *stamp);
  return builder;
}

MachineBuilder& SetServerReachable(MachineBuilder& builder, std::string_view server, bool reachable) {
  return builder.MachineIni(ServerSection(server), "Reachable", reachable ? "1" : "0");
}

MachineBuilder& SetCurrentConnection(MachineBuilder& builder, unsigned port,
                                     std::optional<std::string_view> remoteName) {
  return builder.MachineIni("Connections", "LPT" + std::to_string(port), remoteName);
}

MachineBuilder& AddPersistentConnection(MachineBuilder& builder, unsigned port,
                                        std::optional<std::string_view> remoteName) {
  std::string key = "HKEY_CURRENT_USER\\Network\\Persistent\\LPT" + std::to_string(port);
  if (remoteName) {
    SetRegistryText(builder, key, "RemotePath", *remoteName);
  } else {
    CreateRegistryKey(builder, key);
  }
  return builder;
}

}  // namespace dxl::tools
