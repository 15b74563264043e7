// The registry of the emulated Windows 95, with the Win32 calls' results.
//
// The hives are REGEDIT4 text files: HKEY_LOCAL_MACHINE in <windows>\SYSTEM.REG,
// HKEY_CURRENT_USER in <windows>\USER.REG; HKEY_CLASSES_ROOT is a live view of
// HKEY_LOCAL_MACHINE\SOFTWARE\Classes. A hive is loaded once per machine and
// saved atomically after every change. Key names compare without regard to
// case. Access rights are enforced: a key opened with KEY_READ cannot be
// written (ERROR_ACCESS_DENIED).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/base/win_types.h"

namespace w95 {

using REGSAM = DWORD;

// Value types.
constexpr DWORD REG_NONE = 0;
constexpr DWORD REG_SZ = 1;
constexpr DWORD REG_EXPAND_SZ = 2;
constexpr DWORD REG_BINARY = 3;
constexpr DWORD REG_DWORD = 4;
constexpr DWORD REG_MULTI_SZ = 7;

// Access rights.
constexpr REGSAM KEY_QUERY_VALUE = 0x0001;
constexpr REGSAM KEY_SET_VALUE = 0x0002;
constexpr REGSAM KEY_CREATE_SUB_KEY = 0x0004;
constexpr REGSAM KEY_ENUMERATE_SUB_KEYS = 0x0008;
constexpr REGSAM KEY_NOTIFY = 0x0010;
constexpr REGSAM KEY_READ = 0x20019;
constexpr REGSAM KEY_WRITE = 0x20006;
constexpr REGSAM KEY_ALL_ACCESS = 0xF003F;

// A key that was deleted while it was open.
constexpr DWORD ERROR_KEY_DELETED = 1018;

enum class RootKey { ClassesRoot, CurrentUser, LocalMachine };

// An open key (HKEY). Closes itself; RegCloseKey closes early. A default
// constructed key is invalid.
class RegKey {
 public:
  RegKey() = default;
  ~RegKey();
  RegKey(RegKey&& other) noexcept;
  RegKey& operator=(RegKey&& other) noexcept;
  RegKey(const RegKey&) = delete;
  RegKey& operator=(const RegKey&) = delete;

  bool Valid() const { return id_ != 0; }
  explicit operator bool() const { return Valid(); }

  // The predefined key of a root, open with all access.
  static RegKey Root(RootKey root);

  // Implementation detail of the registry: an id into its open-key table.
  explicit RegKey(std::uint64_t id) : id_(id) {}
  std::uint64_t Id() const { return id_; }

 private:
  std::uint64_t id_ = 0;
};

// Each call returns ERROR_SUCCESS or a Windows error code (it does not set the
// last error), as the Win32 registry calls do.

// Opens `subKey` (may be empty: the same key again) below `parent`.
// ERROR_FILE_NOT_FOUND when it does not exist; ERROR_BADDB when the hive file
// cannot be parsed.
LONG RegOpenKeyExA(const RegKey& parent, std::string_view subKey, DWORD options, REGSAM desired, RegKey& result);
LONG RegOpenKeyExA(RootKey parent, std::string_view subKey, DWORD options, REGSAM desired, RegKey& result);
// Opens or creates `subKey` (with its intermediate keys).
LONG RegCreateKeyExA(const RegKey& parent, std::string_view subKey, REGSAM desired, RegKey& result);
LONG RegCreateKeyExA(RootKey parent, std::string_view subKey, REGSAM desired, RegKey& result);

// Subkey `index` (0, 1, ... in the hive's order) into `name`. `nameSize` is the
// size of the caller's buffer in bytes, NUL included; a name that does not fit
// gives ERROR_MORE_DATA with `nameSize` unchanged; on success `nameSize` is the
// name's length without NUL. ERROR_NO_MORE_ITEMS past the last one.
LONG RegEnumKeyExA(const RegKey& key, DWORD index, std::string& name, DWORD& nameSize);

// Value `valueName` (empty: the default value). `dataSize` is the size of the
// caller's buffer; on success `data` holds the bytes (a REG_SZ with its NUL)
// and `dataSize` their number; a value that does not fit gives ERROR_MORE_DATA
// with `dataSize` set to the size needed. With `data` null only the size is
// asked. ERROR_FILE_NOT_FOUND for a missing value.
LONG RegQueryValueExA(const RegKey& key, std::string_view valueName, DWORD* type, std::string* data, DWORD& dataSize);
// Stores `data` as the value's bytes; REG_SZ and REG_EXPAND_SZ data get a
// terminating NUL when they lack one. The hive is saved before the call
// returns; when that fails nothing is changed and the error is returned.
LONG RegSetValueExA(const RegKey& key, std::string_view valueName, DWORD type, std::string_view data);
LONG RegDeleteValueA(const RegKey& key, std::string_view valueName);
// Deletes `subKey` and everything below it.
LONG RegDeleteKeyA(const RegKey& parent, std::string_view subKey);
LONG RegCloseKey(RegKey& key);

// Conveniences for REG_SZ data: the text up to its first NUL.
std::string RegText(const std::string& data);

// Why the hive of `root` cannot be used: "<file> line <n>: <reason>" for a
// file that cannot be parsed, empty when the hive is fine (or not yet loaded
// and loads fine).
std::string RegistryLoadError(RootKey root);

}  // namespace w95
