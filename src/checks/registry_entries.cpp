#include "checks/registry_entries.h"

#include <optional>
#include <string>
#include <vector>

#include "platform/base/case_rules.h"
#include "platform/base/text.h"
#include "platform/files/files.h"
#include "platform/profile/profile.h"
#include "platform/registry/registry.h"

namespace dxl {

namespace {

constexpr w95::DWORD kValueBufferSize = 64;
constexpr w95::DWORD kPathBufferSize = 260;
constexpr std::string_view kLocalPrinters = "DXL\\LocalPrinters";
constexpr std::string_view kRemotePrinters = "DXL\\RemotePrinters";
constexpr std::string_view kProviderKey = "DXL\\Providers\\DXLQ7\\";
constexpr std::string_view kHardwareProfileKey =
    "Config\\0001\\System\\CurrentControlSet\\Control\\Print\\Printers\\Tavix KRT-310";
constexpr std::string_view kDriverKey =
    "System\\CurrentControlSet\\control\\Print\\Environments\\Windows 4.0\\Drivers\\Tavix KRT-310";

// An entry and the texts it accepts: the whole value must equal one of them
// (port key) or contain the one given (provider and driver).
struct Entry {
  std::string_view name;
  std::vector<std::string> accepted;
};

struct ContainsEntry {
  std::string_view name;
  std::string_view contained;
};

constexpr ContainsEntry kProviderEntries[] = {
    {"InitialSpoolMethod", "1"},
    {"Module", "DXLQ7PSM.DLL"},
};

constexpr ContainsEntry kDriverValues[] = {
    {"Configuration File", "DXLQ7.Drv"}, {"Data File", "DXLQ7.Drv"}, {"Datatype", "EMF"}, {"Driver", "DXLQ7.Drv"},
    {"Monitor", "DXL Monitor"},
};

std::string HelpDirOfSetup() {
  std::string helpDir;
  w95::GetPrivateProfileStringA("Config", "HELPDIR", "", helpDir, kPathBufferSize,
                                w95::GetSystemDirectoryA() + "\\DXLQ7CST.INF");
  return helpDir;
}

std::vector<Entry> PortEntries() {
  return {
      {"APD", {w95::GetWindowsDirectoryA() + "\\DXL\\" + "DXLQ7APD.APD"}},
      {"DeviceID", {"TAVIXKRT-310__826D", "TAVIXKRT-120__709D"}},
      {"Emulation", {"Tavix KRT-310 PCL Emulation"}},
      {"HelpDir", {HelpDirOfSetup()}},
      {"Mfg", {"Tavix"}},
      {"Model", {"KRT-310", "KRT-120"}},
      {"Provider", {"DXLQ7PSM"}},
      {"Sleek", {"1"}},
  };
}

// The text of a value read into the 64-byte buffer; nullopt when it cannot be read.
std::optional<std::string> ReadValue(const w95::RegKey& key, std::string_view valueName) {
  std::string data;
  w95::DWORD size = kValueBufferSize;
  if (w95::RegQueryValueExA(key, valueName, nullptr, &data, size) != w95::ERROR_SUCCESS) return std::nullopt;
  return w95::RegText(data);
}

bool Open(w95::RootKey root, const std::string& path, w95::RegKey& key) {
  return w95::RegOpenKeyExA(root, path, 0, w95::KEY_READ, key) == w95::ERROR_SUCCESS;
}

bool EqualsOneOf(const std::string& value, const std::vector<std::string>& accepted) {
  for (const auto& text : accepted) {
    if (w95::EqualsNoCase(value, text)) return true;
  }
  return false;
}

bool PortEntriesRight(const std::string& portKey) {
  for (const auto& entry : PortEntries()) {
    w95::RegKey key;
    if (!Open(w95::RootKey::ClassesRoot, portKey + "\\" + std::string(entry.name), key)) return false;
    auto value = ReadValue(key, "");
    if (value && !EqualsOneOf(*value, entry.accepted)) return false;
  }
  return true;
}

bool ProviderEntriesRight() {
  for (const auto& entry : kProviderEntries) {
    w95::RegKey key;
    if (!Open(w95::RootKey::ClassesRoot, std::string(kProviderKey) + std::string(entry.name), key)) return false;
    auto value = ReadValue(key, "");
    if (value && !w95::FindTextNoCase(*value, entry.contained)) return false;
  }
  return true;
}

bool DriverEntriesRight() {
  w95::RegKey profile;
  if (!Open(w95::RootKey::LocalMachine, std::string(kHardwareProfileKey), profile)) return false;
  w95::RegKey driver;
  if (!Open(w95::RootKey::LocalMachine, std::string(kDriverKey), driver)) return false;
  for (const auto& entry : kDriverValues) {
    auto value = ReadValue(driver, entry.name);
    if (value && !w95::FindTextNoCase(*value, entry.contained)) return false;
  }
  return true;
}

}  // namespace

int CheckRegistryEntries(std::string_view portName, int portNotLocal) {
  std::string portKey =
      std::string(portNotLocal ? kRemotePrinters : kLocalPrinters) + "\\DXLQ7," + std::string(portName);
  w95::RegKey key;
  if (!Open(w95::RootKey::ClassesRoot, portKey, key)) return 0;
  return PortEntriesRight(portKey) && ProviderEntriesRight() && DriverEntriesRight() ? 1 : 0;
}

}  // namespace dxl
