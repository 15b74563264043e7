// A machine of the size real Windows 95 installations reach after some years
// of use: a registry of thousands of keys, a crowded system directory, a
// server with many shares. Used to measure what a user waits for.
#pragma once

#include <cstddef>
#include <string_view>

#include "machine_builder/machine_builder.h"

namespace dxl::tools {

// Appends `componentCount` registered components to SYSTEM.REG, each with the
// keys Windows keeps for one (a class id with its server, a file type, a
// device of the hardware tree with binary ids, a driver class entry): five
// keys and about 900 bytes of hive text per component. Keys already in the
// hive keep their bytes. Returns the number of keys added.
std::size_t AddRegisteredComponents(MachineBuilder& builder, std::size_t componentCount);

// `count` files "SYS00000.DLL" ... in the system directory, each a few dozen
// bytes; the printing system's files are left as they are.
void AddSystemDirectoryFiles(MachineBuilder& builder, std::size_t count);

// Declares `server` (when it is not yet) with `diskShares` disk shares
// "DISK000" ... and `printShares` print shares "PRINT000" ....
void AddCrowdedServer(MachineBuilder& builder, std::string_view server, std::size_t diskShares,
                      std::size_t printShares);

}  // namespace dxl::tools
