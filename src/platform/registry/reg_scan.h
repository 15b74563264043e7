// A scan of many keys for a value or two each, which keeps none of the keys it
// passes: HKEY_LOCAL_MACHINE\Enum of a used installation lists thousands of
// devices, and opening each through the registry calls would build and keep
// every one of them (with their subkeys) for the rest of the run.
#pragma once

#include <functional>
#include <string_view>

#include "platform/registry/registry.h"

namespace w95 {

class RegNode;

// A key a scan passes, valid during the visit.
class RegScannedKey {
 public:
  explicit RegScannedKey(const RegNode& node) : node_(node) {}
  // The value's type and bytes as RegQueryValueExA gives them; false when it is missing.
  bool Value(std::string_view name, DWORD& type, std::string_view& data) const;

 private:
  const RegNode& node_;
};

// Calls `visit` with every key `depth` levels below `subKey` of `root` that
// RegEnumKeyExA (with a buffer of 256 bytes) and RegOpenKeyExA by the name
// found would reach, in the same order. ERROR_FILE_NOT_FOUND without
// `subKey`; ERROR_BADDB when the hive cannot be used.
LONG RegScanKeys(RootKey root, std::string_view subKey, int depth,
                 const std::function<void(const RegScannedKey&)>& visit);

}  // namespace w95
