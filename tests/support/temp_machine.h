// A machine directory of one test: built in a fresh temporary directory, made
// the current machine, removed afterwards.
#pragma once

#include <filesystem>
#include <optional>
#include <string>

#include "machine_builder/machine_builder.h"

namespace dxl::testing {

class TempMachine {
 public:
  TempMachine();
  ~TempMachine();
  TempMachine(const TempMachine&) = delete;
  TempMachine& operator=(const TempMachine&) = delete;

  tools::MachineBuilder& Builder() { return *builder_; }
  const std::filesystem::path& Root() const { return root_; }
  // Makes this the current machine (dropping all cached platform state).
  void Activate();
  // The bytes of a file on the machine (Windows path), read from the host.
  std::string Read(std::string_view windowsPath) const { return builder_->Read(windowsPath); }
  bool Exists(std::string_view windowsPath) const;

 private:
  std::filesystem::path root_;
  std::optional<tools::MachineBuilder> builder_;
};

}  // namespace dxl::testing
