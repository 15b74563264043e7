// The binary hive store: a machine whose Windows directory holds SYSTEM.DAT
// keeps HKEY_LOCAL_MACHINE there and HKEY_USERS in USER.DAT, as Windows 95
// does (docs/registry.md). HKEY_CURRENT_USER is HKEY_USERS\.Default, or with
// user profiles on the last user's <windows>\Profiles\<user>\USER.DAT.
#pragma once

#include <filesystem>
#include <memory>
#include <string>

#include "platform/registry/reg_store.h"

namespace w95 {

class Machine;

class BinaryHiveFile : public HiveFile {
 public:
  BinaryHiveFile(const HiveLayout& layout, std::string windowsPath, std::filesystem::path hostPath,
                 std::filesystem::path backupPath);

  // Patches the file, checks the result (every bookkeeping rule; libcreg
  // reads each changed key as it must), keeps the file as found beside it
  // (once per load) and replaces it atomically, whatever its attributes, as
  // Windows' registry does.
  DWORD Commit() override;

 private:
  std::filesystem::path hostPath_;
  std::filesystem::path backupPath_;
  // The tree the file last saved reads as, kept only when the program's own
  // reader does not understand the file and libcreg's reading holds; else the
  // hive's keys know where they are in that file (the hive keeps its bytes).
  std::unique_ptr<RegHive> saved_;
  bool backedUp_ = false;

  void KeepSavedTree();
  // The hive read anew from the file just saved, or set back to the file last saved.
  void Saved(std::shared_ptr<const HiveBytes> bytes);
  void Undo(const std::shared_ptr<const HiveBytes>& savedBytes);
};

// The name of the copy of a hive kept before the first change ("SYSTEM.DXB").
std::string BinaryHiveBackupName(std::string_view hiveFileName);

// True when the machine's registry is the binary one (<windows>\SYSTEM.DAT exists).
bool UsesBinaryHives(Machine& machine);

// The binary hive for `root`: SYSTEM.DAT for the machine roots; for
// HKEY_CURRENT_USER the user hive, and `userPrefix` set to the key below its
// root that stands for HKEY_CURRENT_USER. `machineHive` answers the profile
// settings.
std::shared_ptr<HiveFile> LoadBinaryHive(Machine& machine, RootKey root, HiveFile* machineHive,
                                         std::string& userPrefix);

}  // namespace w95
