// The help file of the printing system, DXLQ7IN.HLP in the Windows directory:
// one topic for each help context the troubleshooter's pages open.
#pragma once

#include <string>

namespace dxl::tools {

class MachineBuilder;

// The file's bytes (code page 936, CR LF), in the format of docs/help.md.
std::string StandardHelpFile();
void WriteHelpFile(MachineBuilder& builder);

}  // namespace dxl::tools
