// The hive files of one machine: loaded on first use, saved after each change.
//
// HKEY_LOCAL_MACHINE lives in <windows>\SYSTEM.REG (HKEY_CLASSES_ROOT is its
// SOFTWARE\Classes), HKEY_CURRENT_USER in <windows>\USER.REG. A missing file is
// an empty hive, written when something is first stored in it. A file that
// cannot be parsed is kept as it is: its hive refuses every call (ERROR_BADDB)
// and LoadError() tells which line is wrong.
#pragma once

#include <filesystem>
#include <memory>
#include <optional>
#include <span>
#include <string>

#include "platform/registry/reg_hive.h"
#include "platform/registry/regedit4.h"
#include "platform/registry/registry.h"

namespace w95 {

class Machine;

// Where a root key is kept: the hive file in the Windows directory, the name of
// the hive's root, the root names its file may use, and the key below the
// hive's root that the root key stands for.
struct HiveLayout {
  std::string_view fileName;
  std::string_view rootName;
  std::span<const RegRootName> fileRoots;
  std::string_view prefix;
};
const HiveLayout& LayoutOf(RootKey root);

class HiveFile {
 public:
  // `windowsPath` names the file in messages; `hostPath` is where it is kept
  // (none when its directory does not exist: the hive is then empty and read-only).
  HiveFile(const HiveLayout& layout, std::string windowsPath, std::optional<std::filesystem::path> hostPath);
  virtual ~HiveFile() = default;

  bool Usable() const { return loadError_.empty(); }
  const std::string& LoadError() const { return loadError_; }
  const std::string& WindowsPath() const { return windowsPath_; }
  RegHive& Hive() { return hive_; }

  // Writes the hive after a change. On failure the change is undone (the hive
  // is read back from the bytes last saved) and the Windows error returned.
  virtual DWORD Commit();

 protected:
  // For the binary store (creg_hive_file.h), which reads and writes on its own.
  HiveFile(const HiveLayout& layout, std::string windowsPath);

 private:
  const HiveLayout& layout_;
  std::string windowsPath_;
  std::optional<std::filesystem::path> hostPath_;
  std::string savedBytes_;

 protected:
  std::string loadError_;
  RegHive hive_;

 private:
  bool Parse(std::string bytes);
};

class RegistryStore {
 public:
  explicit RegistryStore(Machine& machine);

  // The hive that holds `root` (the machine hive for HKEY_CLASSES_ROOT).
  std::shared_ptr<HiveFile> Hive(RootKey root);
  // The key below the hive's root that `root` stands for ("SOFTWARE\Classes").
  std::string Prefix(RootKey root);

 private:
  std::shared_ptr<HiveFile> Load(RootKey root);

  Machine& machine_;
  std::string userPrefix_;
  std::shared_ptr<HiveFile> machineHive_;
  std::shared_ptr<HiveFile> userHive_;
};

}  // namespace w95
