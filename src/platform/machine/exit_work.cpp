#include "platform/machine/exit_work.h"

#include <utility>

namespace w95 {

namespace {

std::function<unsigned(unsigned)>& ExitWork() {
  static std::function<unsigned(unsigned)> work;
  return work;
}

}  // namespace

void SetExitWork(std::function<unsigned(unsigned)> work) { ExitWork() = std::move(work); }

unsigned RunExitWork(unsigned exitCode) {
  auto work = std::exchange(ExitWork(), nullptr);
  return work ? work(exitCode) : exitCode;
}

}  // namespace w95
