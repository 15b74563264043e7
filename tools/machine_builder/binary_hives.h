// The machine builder's binary registry (SYSTEM.DAT, USER.DAT), as a real
// Windows 95 installation keeps it: HKEY_LOCAL_MACHINE in SYSTEM.DAT,
// HKEY_CURRENT_USER as HKEY_USERS\.Default in USER.DAT.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "machine_builder/machine_builder.h"
#include "platform/registry/reg_hive.h"

namespace dxl::tools {

// Edits one binary hive (`user`: USER.DAT, `path` below HKEY_CURRENT_USER)
// and writes it again; a missing file is an empty hive.
void EditBinaryHive(MachineBuilder& builder, bool user, const std::vector<std::string>& path,
                    const std::function<void(w95::RegHive&, const std::vector<std::string>&)>& edit);

// Turns the machine's SYSTEM.REG and USER.REG, when present, into SYSTEM.DAT
// and USER.DAT and removes the text files; both .DAT files exist afterwards.
void ConvertHivesToBinary(MachineBuilder& builder);

// The hive file as a tree (empty when missing); throws when libcreg cannot read it.
w95::RegHive ReadBinaryHive(const MachineBuilder& builder, bool user);

}  // namespace dxl::tools
