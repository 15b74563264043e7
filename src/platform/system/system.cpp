#include "platform/system/system.h"

#include <cstdio>
#include <cstdlib>

#include "platform/machine/exit_work.h"

#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/lsan_interface.h>
#endif

namespace w95 {

void ExitProcess(UINT exitCode) {
  exitCode = RunExitWork(exitCode);  // a disk image takes the run's changes
  std::fflush(nullptr);
#if defined(__SANITIZE_ADDRESS__)
  __lsan_do_leak_check();  // what an ordinary exit checks
#endif
  std::_Exit(static_cast<int>(exitCode));
}

}  // namespace w95
