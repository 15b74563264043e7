#include "ports/printer_lists.h"

#include "platform/registry/registry.h"

namespace dxl {

namespace {
constexpr w95::DWORD kNameBufferSize = 32;
constexpr std::string_view kFamilyMark = "DXLQ7";
}  // namespace

std::vector<std::string> DriverPrinterKeys(std::string_view listKey) {
  std::vector<std::string> names;
  w95::RegKey key;
  if (w95::RegOpenKeyExA(w95::RootKey::ClassesRoot, listKey, 0, w95::KEY_READ, key) != w95::ERROR_SUCCESS) return names;
  for (w95::DWORD index = 0;; ++index) {
    std::string name;
    w95::DWORD size = kNameBufferSize;
    w95::LONG result = w95::RegEnumKeyExA(key, index, name, size);
    if (result == w95::ERROR_MORE_DATA) continue;  // cannot be read whole: not a name we can use
    if (result != w95::ERROR_SUCCESS) break;
    if (name.find(kFamilyMark) != std::string::npos) names.push_back(std::move(name));
  }
  return names;
}

std::optional<std::string> PrinterPortPart(std::string_view keyName) {
  size_t comma = keyName.find(',');
  if (comma == std::string_view::npos || comma + 1 == keyName.size()) return std::nullopt;
  return std::string(keyName.substr(comma + 1));
}

}  // namespace dxl
