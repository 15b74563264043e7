// Process and system calls of the emulated Windows 95.
#pragma once

#include "platform/win_types.h"

namespace w95 {

// Ends the process at once with `exitCode`.
[[noreturn]] void ExitProcess(UINT exitCode);

}  // namespace w95
