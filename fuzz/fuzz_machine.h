// The machine directory of a harness that goes through files: a standard
// installation built once per process in a fresh temporary directory, made the
// current machine, removed at exit. Beside it lies a directory that nothing
// may ever write to, to catch a way out of the root; C:\TRAP and C:\TRAPFILE.TXT
// are symbolic links into it.
#pragma once

#include <filesystem>
#include <optional>
#include <string_view>

#include "machine_builder/machine_builder.h"

namespace dxl::fuzz {

class FuzzMachine {
 public:
  // The process's machine, built on first use and made current.
  static FuzzMachine& Get();

  const std::filesystem::path& Root() const { return root_; }
  // Writes a file of the machine (Windows path) byte for byte.
  void Write(std::string_view windowsPath, std::string_view bytes);
  tools::MachineBuilder& Builder() { return *builder_; }
  // Aborts when anything beside the root was created, changed or removed.
  void CheckOutsideUntouched() const;

 private:
  FuzzMachine();

  std::filesystem::path base_;
  std::filesystem::path root_;
  std::filesystem::path outside_;
  std::optional<tools::MachineBuilder> builder_;
};

}  // namespace dxl::fuzz
