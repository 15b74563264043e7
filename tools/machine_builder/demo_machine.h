// The demo machine: a standard installation with a few problems that the
// wizard finds and mends.
#pragma once

#include "machine_builder/machine_builder.h"

namespace dxl::tools {

void AddDemoProblems(MachineBuilder& builder);

}  // namespace dxl::tools
