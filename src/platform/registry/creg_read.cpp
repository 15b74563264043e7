#include "platform/registry/creg_read.h"

// Debian's libcreg headers announce libbfio, whose headers it does not ship;
// nothing here uses its file I/O handles.
#include <libcreg/features.h>
#undef LIBCREG_HAVE_BFIO
#include <fcntl.h>
#include <libcreg.h>
#include <stdlib.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cerrno>
#include <memory>
#include <vector>

#include "platform/base/last_error.h"
#include "platform/machine/host_errors.h"
#include "platform/machine/host_open.h"

namespace w95 {

namespace {

class Key {
 public:
  Key() = default;
  ~Key() {
    if (key_) libcreg_key_free(&key_, nullptr);
  }
  Key(const Key&) = delete;
  Key& operator=(const Key&) = delete;
  libcreg_key_t** Out() { return &key_; }
  libcreg_key_t* Get() const { return key_; }

 private:
  libcreg_key_t* key_ = nullptr;
};

class Value {
 public:
  ~Value() {
    if (value_) libcreg_value_free(&value_, nullptr);
  }
  libcreg_value_t** Out() { return &value_; }
  libcreg_value_t* Get() const { return value_; }

 private:
  libcreg_value_t* value_ = nullptr;
};

std::string TrimNul(std::string text) {
  while (!text.empty() && text.back() == '\0') text.pop_back();
  return text;
}

bool KeyName(libcreg_key_t* key, std::string& name) {
  size_t size = 0;
  if (libcreg_key_get_name_size(key, &size, nullptr) != 1) return false;
  std::string bytes(size, '\0');
  if (size && libcreg_key_get_name(key, reinterpret_cast<uint8_t*>(bytes.data()), size, nullptr) != 1) return false;
  name = TrimNul(std::move(bytes));
  return true;
}

bool ReadValue(libcreg_value_t* value, RegNode& node) {
  size_t nameSize = 0;
  uint32_t type = 0;
  size_t dataSize = 0;
  if (libcreg_value_get_name_size(value, &nameSize, nullptr) != 1) return false;
  std::string name(nameSize, '\0');
  if (nameSize && libcreg_value_get_name(value, reinterpret_cast<uint8_t*>(name.data()), nameSize, nullptr) != 1)
    return false;
  if (libcreg_value_get_value_type(value, &type, nullptr) != 1) return false;
  if (libcreg_value_get_value_data_size(value, &dataSize, nullptr) != 1) return false;
  std::string data(dataSize, '\0');
  if (dataSize && libcreg_value_get_value_data(value, reinterpret_cast<uint8_t*>(data.data()), dataSize, nullptr) != 1)
    return false;
  node.SetValue(TrimNul(std::move(name)), type, std::move(data));
  return true;
}

// Hives nest a few dozen levels at most; a deeper chain is a loop in a damaged file.
constexpr int kMaxDepth = 512;

bool ReadKey(libcreg_key_t* key, RegNode& node, int depth) {
  if (depth > kMaxDepth) return false;
  if (libcreg_key_is_corrupted(key, nullptr) == 1) return false;
  int values = 0;
  if (libcreg_key_get_number_of_values(key, &values, nullptr) != 1) return false;
  for (int i = 0; i < values; ++i) {
    Value value;
    if (libcreg_key_get_value_by_index(key, i, value.Out(), nullptr) != 1) return false;
    if (!ReadValue(value.Get(), node)) return false;
  }
  int subKeys = 0;
  if (libcreg_key_get_number_of_sub_keys(key, &subKeys, nullptr) != 1) return false;
  for (int i = 0; i < subKeys; ++i) {
    Key sub;
    std::string name;
    if (libcreg_key_get_sub_key_by_index(key, i, sub.Out(), nullptr) != 1) return false;
    if (!KeyName(sub.Get(), name)) return false;
    RegNode& child = node.ChildOrNew(name);
    if (!ReadKey(sub.Get(), child, depth + 1)) return false;
  }
  return true;
}

uint32_t Get32(std::string_view bytes, size_t at) {
  uint32_t value = 0;
  for (size_t i = 0; i < 4; ++i) value |= static_cast<uint32_t>(static_cast<unsigned char>(bytes[at + i])) << (8 * i);
  return value;
}

// Whether a key of the navigation area is reached twice through the child
// and next links from the root: libcreg follows such a loop without end.
bool NavigationLoops(std::string_view bytes) {
  constexpr size_t kNavigation = 32;  // the RGKN record, after the file header
  constexpr size_t kKeyEntry = 28;
  constexpr uint32_t kNone = 0xFFFFFFFF;
  if (bytes.size() < kNavigation + 12 || bytes.substr(kNavigation, 4) != "RGKN") return false;
  std::vector<bool> seen(bytes.size(), false);
  std::vector<uint32_t> pending{Get32(bytes, kNavigation + 8)};
  while (!pending.empty()) {
    const uint32_t offset = pending.back();
    pending.pop_back();
    if (offset == kNone || kNavigation + size_t{offset} + kKeyEntry > bytes.size()) continue;
    if (seen[offset]) return true;
    seen[offset] = true;
    pending.push_back(Get32(bytes, kNavigation + offset + 20));  // next sibling
    pending.push_back(Get32(bytes, kNavigation + offset + 16));  // first child
  }
  return false;
}

void MarkRead(RegNode& node) {
  node.MarkUnchanged();
  for (const auto& child : node.Children()) MarkRead(*child);
}

}  // namespace

std::optional<std::string> ReadCregFile(const std::filesystem::path& path, RegHive& hive) {
  UniqueFd fd(OpenHostFile(path, O_RDONLY));
  if (fd.get() < 0) return "not a Windows 95 registry file";
  auto bytes = ReadOpenHostFile(fd.get());
  if (!bytes) return "the file cannot be read";
  return ReadCregOpenFile(fd.get(), *bytes, hive);
}

std::optional<std::string> ReadCregOpenFile(int fd, std::string_view bytes, RegHive& hive) {
  if (NavigationLoops(bytes)) return "the registry file is damaged";
  const std::string path = "/proc/self/fd/" + std::to_string(fd);
  libcreg_file_t* file = nullptr;
  if (libcreg_file_initialize(&file, nullptr) != 1) return "the registry library cannot start";
  std::optional<std::string> failure;
  if (libcreg_file_set_ascii_codepage(file, LIBCREG_CODEPAGE_WINDOWS_936, nullptr) != 1 ||
      libcreg_file_open(file, path.c_str(), LIBCREG_OPEN_READ, nullptr) != 1) {
    failure = "not a Windows 95 registry file";
  } else {
    Key root;
    int found = libcreg_file_get_root_key(file, root.Out(), nullptr);
    if (libcreg_file_is_corrupted(file, nullptr) != 0 || found == -1) failure = "the registry file is damaged";
    if (!failure && found == 1 && !ReadKey(root.Get(), hive.Root(), 0)) failure = "the registry file is damaged";
    if (!failure && libcreg_file_is_corrupted(file, nullptr) != 0) failure = "the registry file is damaged";
    libcreg_file_close(file, nullptr);
  }
  libcreg_file_free(&file, nullptr);
  if (!failure) MarkRead(hive.Root());
  return failure;
}

std::optional<std::string> ReadCregBytes(std::string_view bytes, RegHive& hive) {
  // In memory, not in a temporary directory that may be full or missing.
  UniqueFd fd(memfd_create("dxl-creg", MFD_CLOEXEC));
  if (fd.get() < 0)
    return Fail(ErrorFromErrno(errno), std::optional<std::string>("no memory for reading the hive back"));
  if (!WriteAllToFd(fd.get(), bytes)) {
    SetLastError(ErrorFromErrno(errno));
    return "the hive could not be read back";
  }
  return ReadCregOpenFile(fd.get(), bytes, hive);
}

namespace {

uint32_t Get16(std::string_view bytes, size_t at) {
  return static_cast<unsigned char>(bytes[at]) | static_cast<uint32_t>(static_cast<unsigned char>(bytes[at + 1])) << 8;
}

std::string_view TrimNulView(std::string_view text) {
  while (!text.empty() && text.back() == '\0') text.remove_suffix(1);
  return text;
}

}  // namespace

bool ParseCregEntryValues(std::string_view entry, std::vector<RegValue>& values) {
  constexpr size_t kEntryHeader = 20;
  constexpr size_t kValueHeader = 12;
  if (entry.size() < kEntryHeader) return false;
  size_t at = kEntryHeader + Get16(entry, 12);
  const uint32_t count = Get16(entry, 14);
  for (uint32_t i = 0; i < count; ++i) {
    if (at + kValueHeader > entry.size()) return false;
    const uint32_t type = Get32(entry, at);
    const size_t nameSize = Get16(entry, at + 8);
    const size_t dataSize = Get16(entry, at + 10);
    at += kValueHeader;
    if (at + nameSize + dataSize > entry.size()) return false;
    SetValueIn(values, TrimNulView(entry.substr(at, nameSize)), type,
               std::string(entry.substr(at + nameSize, dataSize)));
    at += nameSize + dataSize;
  }
  return true;
}

void CopyRegTree(const RegNode& from, RegNode& to) {
  for (const auto& value : from.Values()) to.SetValue(value.name, value.type, value.data);
  for (const auto& child : from.Children()) CopyRegTree(*child, to.ChildOrNew(child->Name()));
}

bool SameRegTree(const RegNode& a, const RegNode& b) {
  if (a.Values().size() != b.Values().size() || a.Children().size() != b.Children().size()) return false;
  for (size_t i = 0; i < a.Values().size(); ++i) {
    const RegValue& x = a.Values()[i];
    const RegValue& y = b.Values()[i];
    if (x.name != y.name || x.type != y.type || x.data != y.data) return false;
  }
  for (size_t i = 0; i < a.Children().size(); ++i) {
    if (a.Children()[i]->Name() != b.Children()[i]->Name()) return false;
    if (!SameRegTree(*a.Children()[i], *b.Children()[i])) return false;
  }
  return true;
}

}  // namespace w95
