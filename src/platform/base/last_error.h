// The calling thread's last-error value, as GetLastError/SetLastError keep it.
#pragma once

#include "platform/base/win_types.h"

namespace w95 {

DWORD GetLastError();
void SetLastError(DWORD code);

// Sets the last error and returns `result`: lets a failing call end with
// `return Fail(ERROR_X, false);`.
template <typename T>
T Fail(DWORD code, T result) {
  SetLastError(code);
  return result;
}

}  // namespace w95
