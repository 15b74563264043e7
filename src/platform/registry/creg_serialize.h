// Writing a whole binary hive of Windows 95 (the CREG format) from a tree,
// for new machines.
#pragma once

#include <string>

#include "platform/registry/reg_hive.h"

namespace w95 {

std::string SerializeCreg(const RegNode& root);

}  // namespace w95
