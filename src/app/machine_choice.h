// Which Windows 95 installation the program works on.
#pragma once

#include <filesystem>

namespace dxl {

// TSHOOTER_ROOT when set; otherwise the demo machine in the user's data
// directory ($XDG_DATA_HOME or ~/.local/share, dxlq7trs/demo), copied from the
// bundled demo on first use so that fixes never change the bundled one.
// Empty when neither can be had. With `freshDemo` the demo machine is copied
// again from the bundled one, dropping every repair made to it.
std::filesystem::path ChooseMachineRoot(bool freshDemo = false);

}  // namespace dxl
