// The network around a built machine: the servers of the network
// neighbourhood (MACHINE.INI [Server NAME] sections, with the embedded
// backend's host directory under the machine root's .network directory),
// their shares and files, and the current connections of the ports.
#pragma once

#include <optional>
#include <string_view>

#include "machine_builder/machine_builder.h"

namespace dxl::tools {

// Declares the server and makes its directory (no shares yet).
MachineBuilder& AddServer(MachineBuilder& builder, std::string_view server);
// A disk share: a directory of the server.
MachineBuilder& AddShare(MachineBuilder& builder, std::string_view server, std::string_view share);
// A print share, added to the server's PrintShares list.
MachineBuilder& AddPrintShare(MachineBuilder& builder, std::string_view server, std::string_view share);
// A file on a disk share (`path` below the share, backslashes between
// components), with its last-write time ("YYYY/MM/DD HH:MM:SS", UTC) when given.
MachineBuilder& AddShareFile(MachineBuilder& builder, std::string_view server, std::string_view share,
                             std::string_view path, std::string_view bytes,
                             std::optional<std::string_view> stamp = std::nullopt);
// Whether the server answers (it still has its directory when it does not).
MachineBuilder& SetServerReachable(MachineBuilder& builder, std::string_view server, bool reachable);
// The Windows path of the server's directory on the machine's C: drive
// ("C:\.network\PRINTSRV"), for files the helpers above do not cover.
std::string ServerDirectory(std::string_view server);

// A current (non-persistent) connection of the port "LPTn" to `remoteName`
// (MACHINE.INI [Connections]); nullopt removes it.
MachineBuilder& SetCurrentConnection(MachineBuilder& builder, unsigned port,
                                     std::optional<std::string_view> remoteName);

// The user's persistent connection of the port "LPTn", as Windows keeps it in
// USER.REG (HKEY_CURRENT_USER\Network\Persistent\LPTn, value "RemotePath").
// With nullopt the key is written without the value. A machine whose
// registry was already used must be activated again to see it.
MachineBuilder& AddPersistentConnection(MachineBuilder& builder, unsigned port,
                                        std::optional<std::string_view> remoteName);

}  // namespace dxl::tools
