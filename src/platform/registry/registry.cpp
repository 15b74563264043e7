#include "platform/registry/registry.h"

#include <map>
#include <memory>
#include <utility>
#include <vector>

#include "platform/machine/machine.h"
#include "platform/registry/reg_store.h"

namespace w95 {

namespace {

// Ids 1 to 3 are the predefined keys; opened keys count up from here.
constexpr std::uint64_t kFirstOpenKeyId = 16;

std::uint64_t RootId(RootKey root) { return static_cast<std::uint64_t>(root) + 1; }

// An open key: its hive, its path inside the hive and the rights it was opened
// with. Keys are found by path on every call, so a key deleted meanwhile is
// noticed instead of being used.
struct OpenKey {
  std::shared_ptr<HiveFile> hive;
  std::vector<std::string> path;
  REGSAM access = 0;
  bool predefined = false;
};

struct KeyTable {
  std::map<std::uint64_t, OpenKey> keys;
  std::uint64_t nextId = kFirstOpenKeyId;
};

KeyTable& Table() {
  static auto* table = new KeyTable;  // outlives every RegKey, also static ones
  return *table;
}

LONG ResolvePredefined(std::uint64_t id, OpenKey& out) {
  auto root = static_cast<RootKey>(id - 1);
  auto& store = Machine::Current().Service<RegistryStore>();
  auto hive = store.Hive(root);
  if (!hive->Usable()) return ERROR_BADDB;
  out = OpenKey{hive, SplitKeyPath(store.Prefix(root)), KEY_ALL_ACCESS, true};
  return ERROR_SUCCESS;
}

LONG Resolve(const RegKey& key, OpenKey& out) {
  std::uint64_t id = key.Id();
  if (id >= RootId(RootKey::ClassesRoot) && id <= RootId(RootKey::LocalMachine)) return ResolvePredefined(id, out);
  auto it = Table().keys.find(id);
  if (it == Table().keys.end()) return ERROR_INVALID_HANDLE;
  out = it->second;
  if (!out.hive->Usable()) return ERROR_BADDB;
  return ERROR_SUCCESS;
}

// The key's node for reading. A predefined key whose branch does not exist yet
// (HKEY_CLASSES_ROOT of a hive without SOFTWARE\Classes) reads as empty.
LONG NodeForReading(const OpenKey& key, const RegNode*& node) {
  static const RegNode kEmpty("");
  node = key.hive->Hive().Find(key.path);
  if (node) return ERROR_SUCCESS;
  if (key.predefined) {
    node = &kEmpty;
    return ERROR_SUCCESS;
  }
  return ERROR_KEY_DELETED;
}

LONG NodeForWriting(const OpenKey& key, RegNode*& node) {
  node = key.predefined ? &key.hive->Hive().Create(key.path) : key.hive->Hive().Find(key.path);
  return node ? ERROR_SUCCESS : ERROR_KEY_DELETED;
}

bool Allows(const OpenKey& key, REGSAM right) { return (key.access & right) == right; }

RegKey Register(OpenKey key) {
  auto& table = Table();
  std::uint64_t id = table.nextId++;
  table.keys.emplace(id, std::move(key));
  return RegKey(id);
}

// Names that a hive file can hold: no NUL and no line break.
bool StorableName(std::string_view name) {
  return name.find_first_of(std::string_view("\0\r\n", 3)) == std::string_view::npos;
}

std::vector<std::string> Join(const std::vector<std::string>& base, std::string_view subKey) {
  std::vector<std::string> path = base;
  for (auto& part : SplitKeyPath(subKey)) path.push_back(std::move(part));
  return path;
}

}  // namespace

RegKey::~RegKey() {
  if (id_ >= kFirstOpenKeyId) Table().keys.erase(id_);
}

RegKey::RegKey(RegKey&& other) noexcept : id_(std::exchange(other.id_, 0)) {}

RegKey& RegKey::operator=(RegKey&& other) noexcept {
  if (this != &other) {
    if (id_ >= kFirstOpenKeyId) Table().keys.erase(id_);
    id_ = std::exchange(other.id_, 0);
  }
  return *this;
}

RegKey RegKey::Root(RootKey root) { return RegKey(RootId(root)); }

LONG RegOpenKeyExA(const RegKey& parent, std::string_view subKey, DWORD /*options*/, REGSAM desired, RegKey& result) {
  result = RegKey();
  OpenKey key;
  if (LONG error = Resolve(parent, key)) return error;
  key.path = Join(key.path, subKey);
  if (!key.hive->Hive().Find(key.path)) {
    // The predefined HKEY_CLASSES_ROOT itself always opens.
    if (!(key.predefined && SplitKeyPath(subKey).empty())) return ERROR_FILE_NOT_FOUND;
  }
  key.access = desired;
  key.predefined = key.predefined && SplitKeyPath(subKey).empty();
  result = Register(std::move(key));
  return ERROR_SUCCESS;
}

LONG RegOpenKeyExA(RootKey parent, std::string_view subKey, DWORD options, REGSAM desired, RegKey& result) {
  return RegOpenKeyExA(RegKey::Root(parent), subKey, options, desired, result);
}

LONG RegCreateKeyExA(const RegKey& parent, std::string_view subKey, REGSAM desired, RegKey& result) {
  result = RegKey();
  OpenKey key;
  if (LONG error = Resolve(parent, key)) return error;
  std::vector<std::string> path = Join(key.path, subKey);
  if (!key.hive->Hive().Find(path)) {
    if (!StorableName(subKey)) return ERROR_INVALID_PARAMETER;
    if (!Allows(key, KEY_CREATE_SUB_KEY)) return ERROR_ACCESS_DENIED;
    if (!key.predefined && !key.hive->Hive().Find(key.path)) return ERROR_KEY_DELETED;
    key.hive->Hive().Create(path);
    if (LONG error = static_cast<LONG>(key.hive->Commit())) return error;
  }
  key.path = std::move(path);
  key.access = desired;
  key.predefined = false;
  result = Register(std::move(key));
  return ERROR_SUCCESS;
}

LONG RegCreateKeyExA(RootKey parent, std::string_view subKey, REGSAM desired, RegKey& result) {
  return RegCreateKeyExA(RegKey::Root(parent), subKey, desired, result);
}

LONG RegEnumKeyExA(const RegKey& key, DWORD index, std::string& name, DWORD& nameSize) {
  OpenKey open;
  if (LONG error = Resolve(key, open)) return error;
  if (!Allows(open, KEY_ENUMERATE_SUB_KEYS)) return ERROR_ACCESS_DENIED;
  const RegNode* node = nullptr;
  if (LONG error = NodeForReading(open, node)) return error;
  if (index >= node->Children().size()) return ERROR_NO_MORE_ITEMS;
  const std::string_view childName = node->Children()[index]->Name();
  if (childName.size() + 1 > nameSize) return ERROR_MORE_DATA;
  name = childName;
  nameSize = static_cast<DWORD>(childName.size());
  return ERROR_SUCCESS;
}

LONG RegQueryValueExA(const RegKey& key, std::string_view valueName, DWORD* type, std::string* data, DWORD& dataSize) {
  OpenKey open;
  if (LONG error = Resolve(key, open)) return error;
  if (!Allows(open, KEY_QUERY_VALUE)) return ERROR_ACCESS_DENIED;
  const RegNode* node = nullptr;
  if (LONG error = NodeForReading(open, node)) return error;
  DWORD valueType = REG_NONE;
  std::string_view valueData;
  if (!node->FindValue(valueName, valueType, valueData)) {
    if (!data) dataSize = 0;
    return ERROR_FILE_NOT_FOUND;
  }
  if (type) *type = valueType;
  auto size = static_cast<DWORD>(valueData.size());
  if (data && size > dataSize) {
    dataSize = size;
    return ERROR_MORE_DATA;
  }
  if (data) data->assign(valueData);
  dataSize = size;
  return ERROR_SUCCESS;
}

LONG RegSetValueExA(const RegKey& key, std::string_view valueName, DWORD type, std::string_view data) {
  OpenKey open;
  if (LONG error = Resolve(key, open)) return error;
  if (!Allows(open, KEY_SET_VALUE)) return ERROR_ACCESS_DENIED;
  if (!StorableName(valueName)) return ERROR_INVALID_PARAMETER;
  RegNode* node = nullptr;
  if (LONG error = NodeForWriting(open, node)) return error;
  std::string bytes(data);
  if ((type == REG_SZ || type == REG_EXPAND_SZ) && (bytes.empty() || bytes.back() != '\0')) bytes.push_back('\0');
  node->SetValue(valueName, type, std::move(bytes));
  return static_cast<LONG>(open.hive->Commit());
}

LONG RegDeleteValueA(const RegKey& key, std::string_view valueName) {
  OpenKey open;
  if (LONG error = Resolve(key, open)) return error;
  if (!Allows(open, KEY_SET_VALUE)) return ERROR_ACCESS_DENIED;
  RegNode* node = open.hive->Hive().Find(open.path);
  if (!node) return open.predefined ? ERROR_FILE_NOT_FOUND : ERROR_KEY_DELETED;
  if (!node->RemoveValue(valueName)) return ERROR_FILE_NOT_FOUND;
  return static_cast<LONG>(open.hive->Commit());
}

LONG RegDeleteKeyA(const RegKey& parent, std::string_view subKey) {
  OpenKey open;
  if (LONG error = Resolve(parent, open)) return error;
  std::vector<std::string> path = Join(open.path, subKey);
  if (path.size() == open.path.size()) return ERROR_INVALID_PARAMETER;
  if (!Allows(open, KEY_CREATE_SUB_KEY)) return ERROR_ACCESS_DENIED;
  if (!open.hive->Hive().Remove(path)) return ERROR_FILE_NOT_FOUND;
  return static_cast<LONG>(open.hive->Commit());
}

LONG RegCloseKey(RegKey& key) {
  if (!key.Valid()) return ERROR_INVALID_HANDLE;
  if (key.Id() >= kFirstOpenKeyId && Table().keys.find(key.Id()) == Table().keys.end()) return ERROR_INVALID_HANDLE;
  key = RegKey();
  return ERROR_SUCCESS;
}

std::string RegText(const std::string& data) { return data.substr(0, data.find('\0')); }

std::string RegistryLoadError(RootKey root) {
  return Machine::Current().Service<RegistryStore>().Hive(root)->LoadError();
}

}  // namespace w95
