// The emulated machine: a Windows 95 installation held in a host directory that
// is its C: drive. Knows the Windows, system and temporary directories and keeps
// the per-machine state of the platform services (registry hives, network, ...).
#pragma once

#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <typeindex>

#include "platform/machine/ini_cache.h"

namespace w95 {

class Machine {
 public:
  // Reads MSDOS.SYS [Paths] WinDir of the root; C:\WINDOWS when it is missing,
  // names another drive, or leaves the root.
  explicit Machine(std::filesystem::path root);
  Machine(const Machine&) = delete;
  Machine& operator=(const Machine&) = delete;

  // The machine the program runs on: the one set by Use(), else TSHOOTER_ROOT,
  // else the current directory.
  static Machine& Current();
  // Switches to the machine at `root`, dropping every service's state.
  static Machine& Use(const std::filesystem::path& root);

  const std::filesystem::path& Root() const { return root_; }
  // The root with every symbolic link resolved, found once; nullptr while the
  // root cannot be resolved.
  const std::filesystem::path* CanonicalRoot() const;
  // Windows forms: "C:\WINDOWS", "C:\WINDOWS\SYSTEM", "C:\WINDOWS\TEMP\".
  const std::string& WindowsDirectory() const { return windowsDirectory_; }
  std::string SystemDirectory() const { return windowsDirectory_ + "\\SYSTEM"; }
  std::string TempPath() const { return windowsDirectory_ + "\\TEMP\\"; }

  // The state a platform service keeps for this machine, made on first use
  // with T(Machine&).
  template <typename T>
  T& Service() {
    auto& slot = services_[std::type_index(typeid(T))];
    if (!slot) slot = std::shared_ptr<void>(std::make_shared<T>(*this));
    return *static_cast<T*>(slot.get());
  }

  // The parsed files of the machine directory itself (MACHINE.INI), kept while unchanged.
  IniCache& HostIniFiles() const { return hostIniFiles_; }

 private:
  std::filesystem::path root_;
  std::string windowsDirectory_;
  std::map<std::type_index, std::shared_ptr<void>> services_;
  mutable std::optional<std::filesystem::path> canonicalRoot_;
  mutable IniCache hostIniFiles_;
};

// The root directory from the environment: TSHOOTER_ROOT, or empty when unset.
std::filesystem::path RootFromEnvironment();

}  // namespace w95
