// A machine directory of one test: built in a fresh temporary directory, made
// the current machine, removed afterwards.
#pragma once

#include <filesystem>
#include <optional>
#include <string>

#include "machine_builder/hives.h"
#include "machine_builder/machine_builder.h"

namespace dxl::testing {

// Which registry store a machine's hives are written in: the suite runs once
// on each (DXL_TEST_REGISTRY=binary), tests of the text format itself pin it.
enum class HiveStore { AsTheSuiteRuns, Text };

class TempMachine {
 public:
  explicit TempMachine(HiveStore store = HiveStore::AsTheSuiteRuns);
  ~TempMachine();
  TempMachine(const TempMachine&) = delete;
  TempMachine& operator=(const TempMachine&) = delete;

  tools::MachineBuilder& Builder() { return *builder_; }
  const tools::MachineBuilder& Builder() const { return *builder_; }
  const std::filesystem::path& Root() const { return root_; }
  // Makes this the current machine (dropping all cached platform state).
  void Activate();
  // The bytes of a file on the machine (Windows path), read from the host.
  std::string Read(std::string_view windowsPath) const { return builder_->Read(windowsPath); }
  bool Exists(std::string_view windowsPath) const;
  // A standard installation with 512 MB of free disk, 16,384 KB of free
  // memory and its clock stopped at `now` ("1998/03/15 10:20:30").
  void InstallWithFixedFigures(std::string_view now) {
    builder_->InstallPrintingSystem();
    builder_->MachineIni("System", "FreeDiskMB", "512");
    builder_->MachineIni("System", "FreeMemoryKB", "16384");
    builder_->MachineIni("Clock", "Now", now);
  }
  // The machine (or user) hive's file in the store this machine uses, and its
  // keys as REGEDIT4 text whichever store holds them.
  std::string HiveFile(bool user = false) const { return tools::HiveFile(*builder_, user); }
  std::string HiveText(bool user = false) const { return tools::HiveText(*builder_, user); }

 private:
  std::filesystem::path root_;
  std::optional<tools::MachineBuilder> builder_;
};

}  // namespace dxl::testing
