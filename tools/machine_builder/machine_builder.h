// Writes a Windows 95 installation into a host directory (its C: drive): the
// files of a machine for the tests and for the demo. Paths are Windows paths
// on C:, written with the spelling given; text is written byte for byte.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "machine_builder/used_hive.h"

namespace dxl::tools {

class MachineBuilder {
 public:
  // Writes MSDOS.SYS and the Windows, system, temporary and DXL directories.
  explicit MachineBuilder(std::filesystem::path root, std::string windowsDirectory = "C:\\WINDOWS");

  const std::filesystem::path& Root() const { return root_; }
  const std::string& WindowsDirectory() const { return windowsDirectory_; }
  // "<windows>\<relative>", "<windows>\SYSTEM\<relative>".
  std::string InWindows(std::string_view relative) const;
  std::string InSystem(std::string_view relative) const;

  // Any file, with the directories it needs.
  MachineBuilder& File(std::string_view windowsPath, std::string_view bytes);
  MachineBuilder& Directory(std::string_view windowsPath);
  MachineBuilder& Remove(std::string_view windowsPath);
  // Sets a file's last-write time: "YYYY/MM/DD HH:MM:SS", the machine's local
  // time, which is UTC.
  MachineBuilder& FileTime(std::string_view windowsPath, std::string_view stamp);

  // Sets `key`=`value` in `section` of MACHINE.INI at the root (created when
  // missing); with value nullopt the key is removed.
  MachineBuilder& MachineIni(std::string_view section, std::string_view key, std::optional<std::string_view> value);

  MachineBuilder& SystemIni(std::string_view bytes) { return File(InWindows("SYSTEM.INI"), bytes); }
  MachineBuilder& WinIni(std::string_view bytes) { return File(InWindows("WIN.INI"), bytes); }

  // SYSTEM.INI and WIN.INI of an installation whose printing system is set up
  // right, with the printer on LPT1:.
  MachineBuilder& InstallPrintingSystem();

  std::filesystem::path HostPath(std::string_view windowsPath) const;
  std::string Read(std::string_view windowsPath) const;

  // From now on the registry is kept in SYSTEM.DAT and USER.DAT, as a real
  // installation keeps it; hives already written are converted.
  MachineBuilder& UseBinaryRegistry();
  bool BinaryRegistry() const { return binaryRegistry_; }
  // From now on the binary hives are laid out as after years of use
  // (used_hive.h) instead of fresh; hives already written are laid out again.
  // Takes effect with the binary registry on (UseBinaryRegistry first).
  MachineBuilder& UseUsedHives(const UsedHiveOptions& options);
  const std::optional<UsedHiveOptions>& UsedHives() const { return usedHives_; }

 private:
  bool binaryRegistry_ = false;
  std::optional<UsedHiveOptions> usedHives_;
  std::filesystem::path root_;
  std::string windowsDirectory_;
};

// The INI files InstallPrintingSystem writes (CR LF line ends).
std::string StandardSystemIni();
std::string StandardWinIni();

}  // namespace dxl::tools
