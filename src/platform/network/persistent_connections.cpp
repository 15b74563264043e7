#include "platform/network/persistent_connections.h"

#include <vector>

#include "platform/base/case_rules.h"
#include "platform/base/text.h"
#include "platform/registry/registry.h"

namespace w95 {

namespace {

constexpr std::string_view kPersistentKey = "Network\\Persistent";

std::string RemotePathOf(const RegKey& parent, const std::string& device) {
  RegKey key;
  if (RegOpenKeyExA(parent, device, 0, KEY_READ, key) != ERROR_SUCCESS) return {};
  std::string data;
  DWORD size = kMaxPath;
  DWORD type = REG_NONE;
  if (RegQueryValueExA(key, "RemotePath", &type, &data, size) != ERROR_SUCCESS) return {};
  if (type != REG_SZ && type != REG_EXPAND_SZ) return {};
  return RegText(data);
}

}  // namespace

std::string RedirectableDevice(std::string_view localName) {
  std::string upper = UpperName(localName);
  if (upper.size() == 5 && upper.back() == ':') upper.pop_back();
  if (upper.size() != 4 || !upper.starts_with("LPT") || upper[3] < '1' || upper[3] > '9') return {};
  return upper;
}

std::map<std::string, std::string> ReadPersistentConnections() {
  std::map<std::string, std::string> connections;
  RegKey persistent;
  if (RegOpenKeyExA(RootKey::CurrentUser, kPersistentKey, 0, KEY_READ, persistent) != ERROR_SUCCESS) return connections;
  for (DWORD index = 0;; ++index) {
    std::string name;
    DWORD size = kMaxPath;
    LONG result = RegEnumKeyExA(persistent, index, name, size);
    if (result == ERROR_MORE_DATA) continue;
    if (result != ERROR_SUCCESS) break;
    std::string device = RedirectableDevice(name);
    if (device.empty()) continue;
    std::string remote = RemotePathOf(persistent, name);
    if (!remote.empty()) connections[device] = remote;
  }
  return connections;
}

namespace {

// Deletes the keys that name `device` ("lpt1", "LPT1:", ...) other than `keep`.
LONG RemoveSpellings(std::string_view device, std::string_view keep) {
  RegKey persistent;
  LONG result = RegOpenKeyExA(RootKey::CurrentUser, kPersistentKey, 0, KEY_ALL_ACCESS, persistent);
  if (result == ERROR_FILE_NOT_FOUND) return ERROR_SUCCESS;
  if (result != ERROR_SUCCESS) return result;
  const std::string wanted = RedirectableDevice(device);
  std::vector<std::string> names;
  for (DWORD index = 0;; ++index) {
    std::string name;
    DWORD size = kMaxPath;
    result = RegEnumKeyExA(persistent, index, name, size);
    if (result == ERROR_MORE_DATA) continue;
    if (result != ERROR_SUCCESS) break;
    const bool namesDevice = wanted.empty() ? EqualsNoCase(name, device) : RedirectableDevice(name) == wanted;
    if (namesDevice && !EqualsNoCase(name, keep)) names.push_back(name);
  }
  for (const auto& name : names)
    if (result = RegDeleteKeyA(persistent, name); result != ERROR_SUCCESS) return result;
  return ERROR_SUCCESS;
}

}  // namespace

LONG WritePersistentConnection(std::string_view device, std::string_view remoteName) {
  RegKey key;
  LONG result = RegCreateKeyExA(RootKey::CurrentUser, std::string(kPersistentKey) + "\\" + std::string(device),
                                KEY_ALL_ACCESS, key);
  if (result != ERROR_SUCCESS) return result;
  result = RegSetValueExA(key, "RemotePath", REG_SZ, remoteName);
  // Another spelling of the device, read after this key, would win at the next logon.
  return result == ERROR_SUCCESS ? RemoveSpellings(device, device) : result;
}

LONG RemovePersistentConnection(std::string_view device) { return RemoveSpellings(device, ""); }

}  // namespace w95
