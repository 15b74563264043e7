// The SMB client module (client/smb_client.h), loaded on the first call.
#pragma once

#include <memory>

#include "platform/network/smb/client/smb_client.h"

namespace w95 {

// A client over the loaded module; nullptr when the module is missing or the
// client could not be set up. A missing module is said once on standard
// error; the caller answers as for a server that does not answer.
std::shared_ptr<smb::Client> OpenSmbClient(const smb::ClientSettings& settings);

}  // namespace w95
