// Windows error codes for the host's errno values.
#pragma once

#include "platform/base/win_types.h"

namespace w95 {

DWORD ErrorFromErrno(int error);

}  // namespace w95
