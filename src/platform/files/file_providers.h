// The names CreateFileA and FindFirstFileA hand on to other parts of the
// platform: devices (LPT1:, ...) here, UNC paths to the network
// (platform/network/unc_files.h).
#pragma once

#include <memory>

#include "platform/machine/file_object.h"
#include "platform/machine/paths.h"

namespace w95 {

class Machine;

// nullptr with the last error set when the device cannot be opened.
std::unique_ptr<FileObject> OpenDeviceFile(Machine& machine, const ParsedPath& path, DWORD desiredAccess);

}  // namespace w95
