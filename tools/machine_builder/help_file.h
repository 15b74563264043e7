// The help file of the printing system, DXLQ7IN.HLP in the Windows directory:
// a WinHelp file with one topic for each help context the troubleshooter's
// pages open.
#pragma once

#include <string>

#include "machine_builder/winhelp_writer.h"

namespace dxl::tools {

class MachineBuilder;

// The topics, in code page 936.
WinHelpSource StandardHelpSource();
// The file's bytes (a WinHelp file of Windows 95, code page 936).
const std::string& StandardHelpFile();
void WriteHelpFile(MachineBuilder& builder);

}  // namespace dxl::tools
