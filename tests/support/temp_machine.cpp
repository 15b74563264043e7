#include "support/temp_machine.h"

#include <unistd.h>

#include <cstdlib>
#include <random>
#include <string_view>

#include "platform/machine/machine.h"

namespace fs = std::filesystem;

namespace dxl::testing {

TempMachine::TempMachine(HiveStore store) {
  std::random_device random;
  root_ = fs::temp_directory_path() / ("dxl-machine-" + std::to_string(getpid()) + "-" + std::to_string(random()));
  builder_.emplace(root_);
  // The suite runs a second time on the binary registry of a real installation.
  const char* suiteStore = std::getenv("DXL_TEST_REGISTRY");
  if (store == HiveStore::AsTheSuiteRuns && suiteStore && std::string_view(suiteStore) == "binary")
    builder_->UseBinaryRegistry();
  Activate();
}

TempMachine::~TempMachine() {
  std::error_code ec;
  fs::remove_all(root_, ec);
}

void TempMachine::Activate() { w95::Machine::Use(root_); }

bool TempMachine::Exists(std::string_view windowsPath) const { return fs::exists(builder_->HostPath(windowsPath)); }

}  // namespace dxl::testing
