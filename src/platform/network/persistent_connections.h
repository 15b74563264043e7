// The user's persistent network connections: one key per redirected device,
// HKEY_CURRENT_USER\Network\Persistent\<device> ("LPT1"), with the value
// "RemotePath" (REG_SZ).
#pragma once

#include <map>
#include <string>
#include <string_view>

#include "platform/base/win_types.h"

namespace w95 {

// Device name (upper case, "LPT1") to remote name. Keys without a RemotePath,
// and keys that name no redirectable device, are left out.
std::map<std::string, std::string> ReadPersistentConnections();

// ERROR_SUCCESS or the registry's error code. Keys of other spellings of the
// device ("lpt1:") are taken out, so that the one written is the one read.
LONG WritePersistentConnection(std::string_view device, std::string_view remoteName);
// Removes the device's keys, of every spelling; a missing key is no error.
LONG RemovePersistentConnection(std::string_view device);

// "LPT1" for "lpt1:", "LPT1" and the like (LPT1 to LPT9); empty for any other name.
std::string RedirectableDevice(std::string_view localName);

}  // namespace w95
