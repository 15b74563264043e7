// Reading a binary hive of Windows 95 (SYSTEM.DAT, USER.DAT) through libcreg,
// names and strings as the code page 936 bytes the file holds.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/registry/reg_hive.h"

namespace w95 {

// Reads the hive file at `path` into `hive` (which should be empty), which
// keeps the file's bytes: its keys are named by them and read their values from
// them when first asked (when libcreg reads the file as its navigation entries
// say; else the tree is libcreg's reading, copied). Returns
// the reason when the file cannot be read, is no regular file, or libcreg finds
// it corrupted (a navigation loop, which libcreg would follow forever, included).
std::optional<std::string> ReadCregFile(const std::filesystem::path& path, RegHive& hive);
// The same for hive bytes held in memory (read through an anonymous memory
// file; when it cannot be written, the last error says why).
std::optional<std::string> ReadCregBytes(std::string_view bytes, RegHive& hive);
// The same for the file open at `fd` (from OpenHostFile), whose bytes are
// `bytes`, which the hive keeps: libcreg reads that very file, not whatever
// its name points to by then.
std::optional<std::string> ReadCregOpenFile(int fd, std::string bytes, RegHive& hive);
// ReadCregBytes, the hive keeping `bytes` themselves instead of a copy.
std::optional<std::string> ReadCregBytesOwned(std::string bytes, RegHive& hive);
// libcreg's reading of the file alone, names and values copied into the tree
// (what a file gets that libcreg reads otherwise than its navigation says).
std::optional<std::string> ReadCregFileByLibrary(const std::filesystem::path& path, RegHive& hive);
// Reads again, without libcreg, the file an empty `hive` keeps and libcreg
// read as its navigation says before (its root has a CregKey); false otherwise.
bool ReadCregKept(RegHive& hive);

// The values of one key name entry of a hive file (`entry` from its first
// byte), as libcreg reads them, into `values`; false when the entry does not hold them.
bool ParseCregEntryValues(std::string_view entry, std::vector<RegValue>& values);

// Copies the keys and values below `from` into `to` (for an empty `to`).
void CopyRegTree(const RegNode& from, RegNode& to);
// Same names (exact bytes), values in the same order and subkeys in the same order.
bool SameRegTree(const RegNode& a, const RegNode& b);

}  // namespace w95
