#include "platform/system/system.h"

#include <cstdio>
#include <cstdlib>

namespace w95 {

void ExitProcess(UINT exitCode) {
  std::fflush(nullptr);
  std::_Exit(static_cast<int>(exitCode));
}

}  // namespace w95
