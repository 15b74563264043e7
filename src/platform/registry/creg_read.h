// Reading a binary hive of Windows 95 (SYSTEM.DAT, USER.DAT), names and
// strings as the code page 936 bytes the file holds.
//
// The program reads a hive itself, in proportion to what is asked: opening it
// checks the file's headers and blocks only; a key's subkeys are built from
// the navigation slots when first asked for, its values parsed from its name
// entry when first asked for (ReadCregOpenFile). libcreg is the independent
// reader: the tests and the machine builder read whole trees through it
// (ReadCregFile, ReadCregBytes), and the writer has it read back every key it
// changed before a new file replaces the old one (LibraryReadsChanges).
#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/registry/reg_hive.h"

namespace w95 {

// The program's reading of the file open at `fd` (from OpenHostFile), whose
// bytes (mapped, or a copy) are `bytes`, into the empty `hive`, which keeps them. A file whose
// headers, navigation record or blocks its own reader does not understand is
// read whole through libcreg (the tree is then libcreg's, and its root has no
// CregKey). Returns the reason when neither can read it.
std::optional<std::string> ReadCregOpenFile(int fd, std::shared_ptr<const HiveBytes> bytes, RegHive& hive);
// The program's reading of hive bytes held in memory or mapped (nothing when
// its own reader does not understand them).
bool ReadCregKept(std::shared_ptr<const HiveBytes> bytes, RegHive& hive);

// libcreg's reading of a whole hive file (or of bytes, through an anonymous
// memory file; when it cannot be written, the last error says why) into the
// empty `hive`. Returns the reason when libcreg cannot read it, marks it
// corrupted, or its navigation links loop (which libcreg would follow forever).
std::optional<std::string> ReadCregFile(const std::filesystem::path& path, RegHive& hive);
std::optional<std::string> ReadCregBytes(std::string_view bytes, RegHive& hive);

// What the writer changed: a key whose values changed or that was added
// (`node`, its values and subkeys as they must read), or one deleted (null).
struct CregChange {
  std::vector<std::string> path;  // below the root
  const RegNode* node = nullptr;
};
// Whether libcreg reads each changed key of `bytes` as it must: found by its
// path with the node's values in order, or not found when deleted.
bool LibraryReadsChanges(std::string_view bytes, const std::vector<CregChange>& changes);
// The same for those bytes written to the file open at `fd` (the new file before it replaces the old one).
bool LibraryReadsChanges(int fd, std::string_view bytes, const std::vector<CregChange>& changes);

// The subkeys of the key whose slot is at `key` (relative to the navigation
// record) that the program's reader shows, in order: slots in use that name
// `key` as their parent and have a name entry that holds their values; of two
// names that differ only in case, the first.
std::vector<std::uint32_t> CregVisibleSubkeys(std::string_view bytes, std::uint32_t key);

// The values of one key name entry of a hive file (`entry` from its first
// byte), as libcreg reads them, into `values`; false when the entry does not hold them.
bool ParseCregEntryValues(std::string_view entry, std::vector<RegValue>& values);
// The value of that name (compared without case) among those ParseCregEntryValues
// gives, its data within `entry`; false when there is none.
bool FindCregEntryValue(std::string_view entry, std::string_view name, DWORD& type, std::string_view& data);

// Copies the keys and values below `from` into `to` (for an empty `to`).
void CopyRegTree(const RegNode& from, RegNode& to);
// Same names (exact bytes), values in the same order and subkeys in the same order.
bool SameRegTree(const RegNode& a, const RegNode& b);

}  // namespace w95
