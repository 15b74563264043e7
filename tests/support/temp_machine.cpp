#include "support/temp_machine.h"

#include <unistd.h>

#include <random>

#include "platform/machine/machine.h"

namespace fs = std::filesystem;

namespace dxl::testing {

TempMachine::TempMachine() {
  std::random_device random;
  root_ = fs::temp_directory_path() / ("dxl-machine-" + std::to_string(getpid()) + "-" + std::to_string(random()));
  builder_.emplace(root_);
  Activate();
}

TempMachine::~TempMachine() {
  std::error_code ec;
  fs::remove_all(root_, ec);
}

void TempMachine::Activate() { w95::Machine::Use(root_); }

bool TempMachine::Exists(std::string_view windowsPath) const { return fs::exists(builder_->HostPath(windowsPath)); }

}  // namespace dxl::testing
