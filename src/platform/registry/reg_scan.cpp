#include "platform/registry/reg_scan.h"

#include <string>
#include <vector>

#include "platform/machine/machine.h"
#include "platform/registry/reg_hive.h"
#include "platform/registry/reg_store.h"

namespace w95 {

namespace {

constexpr size_t kNameBuffer = 256;

// What an enumeration with a 256-byte name buffer and an open by that name reach: one part of a path.
bool ScannableName(std::string_view name) {
  if (name.size() >= kNameBuffer) return false;
  const auto parts = SplitKeyPathViews(name);
  return parts.size() == 1 && parts[0].size() == name.size();
}

void ScanBelow(const RegNode& node, int depth, const std::function<void(const RegScannedKey&)>& visit) {
  if (depth == 0) return visit(RegScannedKey(node));
  node.VisitChildren([&](const RegNode& child) {
    if (ScannableName(child.Name())) ScanBelow(child, depth - 1, visit);
  });
}

}  // namespace

bool RegScannedKey::Value(std::string_view name, DWORD& type, std::string_view& data) const {
  return node_.FindValue(name, type, data);
}

LONG RegScanKeys(RootKey root, std::string_view subKey, int depth,
                 const std::function<void(const RegScannedKey&)>& visit) {
  auto& store = Machine::Current().Service<RegistryStore>();
  auto hive = store.Hive(root);
  if (!hive->Usable()) return ERROR_BADDB;
  std::vector<std::string> path = SplitKeyPath(store.Prefix(root));
  for (auto& part : SplitKeyPath(subKey)) path.push_back(std::move(part));
  const RegNode* node = hive->Hive().Find(path);
  if (!node) return ERROR_FILE_NOT_FOUND;
  ScanBelow(*node, depth, visit);
  return ERROR_SUCCESS;
}

}  // namespace w95
