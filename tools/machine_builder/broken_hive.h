// A damaged system hive: SYSTEM.REG with a line the registry cannot read, so
// that HKEY_LOCAL_MACHINE and HKEY_CLASSES_ROOT fail to open, as on a Windows
// 95 whose registry is damaged.
#pragma once

#include "machine_builder/machine_builder.h"

namespace dxl::tools {

// The line appended to SYSTEM.REG.
inline constexpr std::string_view kDamagedHiveLine = "\"Damaged\"=this is no value\r\n";

// Appends the damaged line to <windows>\SYSTEM.REG (written when missing).
void BreakSystemHive(MachineBuilder& builder);

}  // namespace dxl::tools
