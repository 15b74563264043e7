#include "platform/registry/creg_read.h"

#include <fcntl.h>
#include <malloc.h>
#include <stdlib.h>
#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <memory>
#include <vector>

#include "platform/base/last_error.h"
#include "platform/machine/host_errors.h"
#include "platform/machine/host_open.h"
#include "platform/registry/creg_library.h"

namespace w95 {

namespace {

// Called only once ReadThroughLibrary has the library.
const CregLibrary& Lib() { return *Creg(); }

class Key {
 public:
  Key() = default;
  ~Key() {
    if (key_) Lib().libcreg_key_free(&key_, nullptr);
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
    if (value_) Lib().libcreg_value_free(&value_, nullptr);
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
  if (Lib().libcreg_key_get_name_size(key, &size, nullptr) != 1) return false;
  std::string bytes(size, '\0');
  if (size && Lib().libcreg_key_get_name(key, reinterpret_cast<uint8_t*>(bytes.data()), size, nullptr) != 1)
    return false;
  name = TrimNul(std::move(bytes));
  return true;
}

// The value's name (with its NULs), type and data as libcreg reads them, into
// `name` and `data` (which a caller may reuse from value to value).
bool LibraryValue(libcreg_value_t* value, std::string& name, uint32_t& type, std::string& data) {
  size_t nameSize = 0;
  size_t dataSize = 0;
  if (Lib().libcreg_value_get_name_size(value, &nameSize, nullptr) != 1) return false;
  name.resize(nameSize);
  if (nameSize && Lib().libcreg_value_get_name(value, reinterpret_cast<uint8_t*>(name.data()), nameSize, nullptr) != 1)
    return false;
  if (Lib().libcreg_value_get_value_type(value, &type, nullptr) != 1) return false;
  if (Lib().libcreg_value_get_value_data_size(value, &dataSize, nullptr) != 1) return false;
  data.resize(dataSize);
  if (dataSize &&
      Lib().libcreg_value_get_value_data(value, reinterpret_cast<uint8_t*>(data.data()), dataSize, nullptr) != 1)
    return false;
  return true;
}

bool ReadValue(libcreg_value_t* value, RegNode& node) {
  std::string name, data;
  uint32_t type = 0;
  if (!LibraryValue(value, name, type, data)) return false;
  node.SetValue(TrimNul(std::move(name)), type, std::move(data));
  return true;
}

// Hives nest a few dozen levels at most; a deeper chain is a loop in a damaged file.
constexpr int kMaxDepth = 512;

bool ReadKey(libcreg_key_t* key, RegNode& node, int depth) {
  if (depth > kMaxDepth) return false;
  if (Lib().libcreg_key_is_corrupted(key, nullptr) == 1) return false;
  int values = 0;
  if (Lib().libcreg_key_get_number_of_values(key, &values, nullptr) != 1) return false;
  for (int i = 0; i < values; ++i) {
    Value value;
    if (Lib().libcreg_key_get_value_by_index(key, i, value.Out(), nullptr) != 1) return false;
    if (!ReadValue(value.Get(), node)) return false;
  }
  int subKeys = 0;
  if (Lib().libcreg_key_get_number_of_sub_keys(key, &subKeys, nullptr) != 1) return false;
  for (int i = 0; i < subKeys; ++i) {
    Key sub;
    std::string name;
    if (Lib().libcreg_key_get_sub_key_by_index(key, i, sub.Out(), nullptr) != 1) return false;
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

constexpr size_t kNavigation = 32;  // the RGKN record, after the file header
constexpr size_t kKeyEntry = 28;
constexpr uint32_t kNone = 0xFFFFFFFF;

// Whether a key of the navigation area is reached twice through the child
// and next links from the root: libcreg follows such a loop without end.
bool NavigationLoops(std::string_view bytes) {
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
  node.ShrinkToFit();
  for (const auto& child : node.Children()) MarkRead(*child);
}

uint32_t Get16(std::string_view bytes, size_t at) {
  return static_cast<unsigned char>(bytes[at]) | static_cast<uint32_t>(static_cast<unsigned char>(bytes[at + 1])) << 8;
}

std::string_view TrimNulView(std::string_view text) {
  while (!text.empty() && text.back() == '\0') text.remove_suffix(1);
  return text;
}

constexpr size_t kNameEntryHeader = 20;
constexpr size_t kValueHeader = 12;
constexpr size_t kBlockHeader = 32;
// The writer's bound on key entries, which is libcreg's: 32 bytes short of the navigation area's end.
constexpr size_t kNavigationSlack = 32;

// The keys of a hive file as its navigation entries link them, each named by,
// and with its values in, its name entry, found as the writer finds it
// (creg_write.cpp). Builds nothing for a file it does not understand in every
// detail: that one is read through libcreg alone.
class NavigationReader {
 public:
  explicit NavigationReader(std::string_view bytes) : b_(bytes) {}

  bool Build(RegNode& root) {
    if (b_.size() < kNavigation + kBlockHeader || b_.substr(0, 4) != "CREG" || b_.substr(kNavigation, 4) != "RGKN")
      return false;
    if (!IndexBlocks()) return false;
    const uint32_t rootKey = Get32(b_, kNavigation + 8);
    if (!ValidKey(rootKey) || Get16(b_, Key(rootKey) + 26) != 0xFFFF) return false;  // a root without values
    root.SetCregKey(rootKey);
    return BuildKey(rootKey, root, 0);
  }

 private:
  size_t Key(uint32_t offset) const { return kNavigation + offset; }
  bool ValidKey(uint32_t offset) const {
    return offset != kNone && size_t{offset} + kKeyEntry + kNavigationSlack <= Get32(b_, kNavigation + 4) &&
           Key(offset) + kKeyEntry <= b_.size();
  }

  // Lists the name entries of every block (the first block of an index, the
  // first entry of a number count), before the tree takes its memory.
  bool IndexBlocks() {
    size_t at = Get32(b_, 8);
    const uint32_t count = Get16(b_, 16);
    for (uint32_t i = 0; i < count; ++i) {
      if (at + kBlockHeader > b_.size() || b_.substr(at, 4) != "RGDB") return false;
      const size_t size = Get32(b_, at + 4);
      if (size < kBlockHeader || at + size > b_.size()) return false;
      const uint32_t index = Get16(b_, at + 14);
      bool seen = false;
      for (const auto& block : blocks_) seen = seen || block.index == index;
      if (!seen) blocks_.push_back(Block{at, size, index});
      at += size;
    }
    for (const auto& block : blocks_) {
      for (size_t entry = block.start + kBlockHeader; entry + kNameEntryHeader <= block.start + block.size;) {
        const size_t size = Get32(b_, entry);
        if (size < kNameEntryHeader) break;
        entries_.push_back(Entry{block.index, Get16(b_, entry + 4), static_cast<uint32_t>(entry)});
        entry += size;
      }
    }
    // Sorted by block and number, the first of equals first.
    std::stable_sort(entries_.begin(), entries_.end(), [](const Entry& a, const Entry& b) {
      return a.block != b.block ? a.block < b.block : a.number < b.number;
    });
    return b_.size() <= UINT32_MAX;
  }

  // The bytes of the key's name entry (up to its size, within its block), or nothing.
  std::string_view NameEntryOf(uint32_t key) const {
    const Entry wanted{Get16(b_, Key(key) + 26), Get16(b_, Key(key) + 24), 0};
    auto found = std::lower_bound(entries_.begin(), entries_.end(), wanted, [](const Entry& a, const Entry& b) {
      return a.block != b.block ? a.block < b.block : a.number < b.number;
    });
    if (found == entries_.end() || found->block != wanted.block || found->number != wanted.number) return {};
    for (const auto& block : blocks_) {
      if (block.index != wanted.block) continue;
      const size_t end = block.start + block.size;
      return b_.substr(found->at, std::min<size_t>(Get32(b_, found->at), end - found->at));
    }
    return {};
  }

  struct Block {
    size_t start;
    size_t size;
    uint32_t index;
  };
  struct Entry {
    uint32_t block;
    uint32_t number;
    uint32_t at;
  };

  bool BuildKey(uint32_t key, RegNode& node, int depth) {
    if (depth > kMaxDepth) return false;
    size_t count = 0;
    for (uint32_t child = Get32(b_, Key(key) + 16); child != kNone && ValidKey(child);
         child = Get32(b_, Key(child) + 20))
      ++count;
    node.ReserveChildren(count);
    for (uint32_t child = Get32(b_, Key(key) + 16); child != kNone; child = Get32(b_, Key(child) + 20)) {
      if (!ValidKey(child)) return false;
      std::string_view entry = NameEntryOf(child);
      if (entry.size() < kNameEntryHeader) return false;
      const size_t nameSize = Get16(entry, 12);
      if (kNameEntryHeader + nameSize > entry.size()) return false;
      std::string_view name = TrimNulView(entry.substr(kNameEntryHeader, nameSize));
      if (node.Child(name)) return false;  // two subkeys of one name: libcreg's reading decides
      RegNode& sub = node.ChildOrNewKeptName(name);
      sub.SetCregKey(child);
      sub.AppendOriginalText(entry);
      if (Get16(entry, 14) != 0) sub.DeferValues(RegSource::Creg);
      if (!BuildKey(child, sub, depth + 1)) return false;
    }
    return true;
  }

  std::string_view b_;
  std::vector<Block> blocks_;
  std::vector<Entry> entries_;
};

enum class Check { Same, Differs, Damaged };

// Compares, through libcreg, the file with the tree the navigation reader built
// from it: the tree stands only when libcreg reads exactly the same.
class LibraryCheck {
 public:
  Check Key(libcreg_key_t* key, const RegNode& node, int depth) {
    if (depth > kMaxDepth) return Check::Damaged;
    if (Lib().libcreg_key_is_corrupted(key, nullptr) == 1) return Check::Damaged;
    int values = 0;
    if (Lib().libcreg_key_get_number_of_values(key, &values, nullptr) != 1) return Check::Damaged;
    std::string_view entry = node.HasOriginalText() ? node.OriginalText() : std::string_view();
    if (values != (entry.empty() ? 0 : static_cast<int>(Get16(entry, 14)))) return Check::Differs;
    size_t at = entry.empty() ? 0 : kNameEntryHeader + Get16(entry, 12);
    for (int i = 0; i < values; ++i) {
      Value value;
      if (Lib().libcreg_key_get_value_by_index(key, i, value.Out(), nullptr) != 1) return Check::Damaged;
      uint32_t type = 0;
      if (!LibraryValue(value.Get(), name_, type, data_)) return Check::Damaged;
      if (at + kValueHeader > entry.size()) return Check::Differs;
      const size_t nameSize = Get16(entry, at + 8);
      const size_t dataSize = Get16(entry, at + 10);
      at += kValueHeader;
      if (at + nameSize + dataSize > entry.size()) return Check::Differs;
      if (type != Get32(entry, at - kValueHeader) || TrimNulView(name_) != TrimNulView(entry.substr(at, nameSize)) ||
          std::string_view(data_) != entry.substr(at + nameSize, dataSize))
        return Check::Differs;
      at += nameSize + dataSize;
    }
    int subKeys = 0;
    if (Lib().libcreg_key_get_number_of_sub_keys(key, &subKeys, nullptr) != 1) return Check::Damaged;
    if (static_cast<size_t>(subKeys) != node.Children().size()) return Check::Differs;
    for (int i = 0; i < subKeys; ++i) {
      ::w95::Key sub;
      if (Lib().libcreg_key_get_sub_key_by_index(key, i, sub.Out(), nullptr) != 1) return Check::Damaged;
      if (!KeyName(sub.Get(), name_)) return Check::Damaged;
      const RegNode& child = *node.Children()[static_cast<size_t>(i)];
      if (child.Name() != name_) return Check::Differs;
      Check result = Key(sub.Get(), child, depth + 1);
      if (result != Check::Same) return result;
    }
    return Check::Same;
  }

 private:
  // Reused from value to value: nothing allocated per value.
  std::string name_;
  std::string data_;
};

// Reads the hive's kept file (open at `fd`) through libcreg: into the tree the
// navigation reader built when `check`, else into a tree of libcreg's own.
std::optional<std::string> ReadThroughLibrary(int fd, RegHive& hive, bool check, bool& differs) {
  std::string unavailable;
  if (!Creg(&unavailable)) return "the registry library cannot be loaded (" + unavailable + ")";
  const std::string path = "/proc/self/fd/" + std::to_string(fd);
  libcreg_file_t* file = nullptr;
  if (Lib().libcreg_file_initialize(&file, nullptr) != 1) return "the registry library cannot start";
  std::optional<std::string> failure;
  differs = false;
  if (Lib().libcreg_file_set_ascii_codepage(file, LIBCREG_CODEPAGE_WINDOWS_936, nullptr) != 1 ||
      Lib().libcreg_file_open(file, path.c_str(), LIBCREG_OPEN_READ, nullptr) != 1) {
    failure = "not a Windows 95 registry file";
  } else {
    Key root;
    int found = Lib().libcreg_file_get_root_key(file, root.Out(), nullptr);
    if (Lib().libcreg_file_is_corrupted(file, nullptr) != 0 || found == -1) failure = "the registry file is damaged";
    if (!failure && check) {
      // A file without a root key reads as an empty tree.
      Check result = found == 1 ? LibraryCheck().Key(root.Get(), hive.Root(), 0)
                                : (hive.Root().Children().empty() ? Check::Same : Check::Differs);
      if (result == Check::Damaged) failure = "the registry file is damaged";
      differs = result == Check::Differs;
    } else if (!failure && found == 1 && !ReadKey(root.Get(), hive.Root(), 0)) {
      failure = "the registry file is damaged";
    }
    if (!failure && Lib().libcreg_file_is_corrupted(file, nullptr) != 0) failure = "the registry file is damaged";
    Lib().libcreg_file_close(file, nullptr);
  }
  Lib().libcreg_file_free(&file, nullptr);
  // libcreg allocates some ten times the file's size in small pieces while it
  // reads; freed, they would stay with the process (malloc keeps that much).
  malloc_trim(0);
  return failure;
}

// libcreg's reading of the file open at `fd`, copied into the empty `hive`.
std::optional<std::string> ReadCopied(int fd, RegHive& hive) {
  bool differs = false;
  auto failure = ReadThroughLibrary(fd, hive, false, differs);
  if (!failure) MarkRead(hive.Root());
  return failure;
}

// Reads the file open at `fd`, whose bytes the hive keeps.
std::optional<std::string> ReadKept(int fd, RegHive& hive) {
  const std::string_view bytes = *hive.Text();
  if (NavigationLoops(bytes)) return "the registry file is damaged";
  bool differs = false;
  if (NavigationReader(bytes).Build(hive.Root())) {
    auto failure = ReadThroughLibrary(fd, hive, true, differs);
    if (failure) return failure;
    if (!differs) {
      MarkRead(hive.Root());
      return std::nullopt;
    }
  }
  // libcreg reads the file otherwise than its navigation says: its reading holds.
  RegHive own(hive.RootName());
  own.ShareText(hive.Text());
  hive = std::move(own);
  return ReadCopied(fd, hive);
}

}  // namespace

std::optional<std::string> ReadCregFile(const std::filesystem::path& path, RegHive& hive) {
  UniqueFd fd(OpenHostFile(path, O_RDONLY));
  if (fd.get() < 0) return "not a Windows 95 registry file";
  auto bytes = ReadOpenHostFile(fd.get());
  if (!bytes) return "the file cannot be read";
  return ReadCregOpenFile(fd.get(), std::move(*bytes), hive);
}

std::optional<std::string> ReadCregFileByLibrary(const std::filesystem::path& path, RegHive& hive) {
  UniqueFd fd(OpenHostFile(path, O_RDONLY));
  if (fd.get() < 0) return "not a Windows 95 registry file";
  auto bytes = ReadOpenHostFile(fd.get());
  if (!bytes) return "the file cannot be read";
  if (NavigationLoops(*bytes)) return "the registry file is damaged";
  return ReadCopied(fd.get(), hive);
}

std::optional<std::string> ReadCregOpenFile(int fd, std::string bytes, RegHive& hive) {
  hive.KeepText(std::move(bytes));
  return ReadKept(fd, hive);
}

bool ReadCregKept(RegHive& hive) {
  if (!hive.Text() || NavigationLoops(*hive.Text()) || !NavigationReader(*hive.Text()).Build(hive.Root())) return false;
  MarkRead(hive.Root());
  return true;
}

std::optional<std::string> ReadCregBytes(std::string_view bytes, RegHive& hive) {
  return ReadCregBytesOwned(std::string(bytes), hive);
}

std::optional<std::string> ReadCregBytesOwned(std::string bytes, RegHive& hive) {
  // In memory, not in a temporary directory that may be full or missing.
  UniqueFd fd(memfd_create("dxl-creg", MFD_CLOEXEC));
  if (fd.get() < 0)
    return Fail(ErrorFromErrno(errno), std::optional<std::string>("no memory for reading the hive back"));
  if (!WriteAllToFd(fd.get(), bytes)) {
    SetLastError(ErrorFromErrno(errno));
    return "the hive could not be read back";
  }
  return ReadCregOpenFile(fd.get(), std::move(bytes), hive);
}

bool ParseCregEntryValues(std::string_view entry, std::vector<RegValue>& values) {
  if (entry.size() < kNameEntryHeader) return false;
  size_t at = kNameEntryHeader + Get16(entry, 12);
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

namespace {

// The values of a name entry as bytes, from the first value's header to the
// end of the last value's data (nothing when the entry does not hold them).
std::string_view ValueBytes(std::string_view entry) {
  if (entry.size() < kNameEntryHeader) return {};
  const size_t first = kNameEntryHeader + Get16(entry, 12);
  size_t at = first;
  for (uint32_t i = Get16(entry, 14); i > 0; --i) {
    if (at + kValueHeader > entry.size()) return {};
    at += kValueHeader + Get16(entry, at + 8) + Get16(entry, at + 10);
  }
  return at > entry.size() ? std::string_view() : entry.substr(first, at - first);
}

// Keys whose values are both still in their name entries compare those bytes:
// comparing a tree read from a file with the one it was written from parses
// only the values that were asked for or changed.
bool SameValues(const RegNode& a, const RegNode& b) {
  if (!a.ValuesParsed() && !b.ValuesParsed() && a.Source() == RegSource::Creg && b.Source() == RegSource::Creg &&
      a.OriginalText().size() >= kNameEntryHeader && b.OriginalText().size() >= kNameEntryHeader) {
    std::string_view x = a.OriginalText();
    std::string_view y = b.OriginalText();
    std::string_view xValues = ValueBytes(x);
    if (Get16(x, 14) == Get16(y, 14) && !xValues.empty() && xValues == ValueBytes(y)) return true;
  }
  if (a.Values().size() != b.Values().size()) return false;
  for (size_t i = 0; i < a.Values().size(); ++i) {
    const RegValue& x = a.Values()[i];
    const RegValue& y = b.Values()[i];
    if (x.name != y.name || x.type != y.type || x.data != y.data) return false;
  }
  return true;
}

}  // namespace

bool SameRegTree(const RegNode& a, const RegNode& b) {
  if (a.Children().size() != b.Children().size() || !SameValues(a, b)) return false;
  for (size_t i = 0; i < a.Children().size(); ++i) {
    if (a.Children()[i]->Name() != b.Children()[i]->Name()) return false;
    if (!SameRegTree(*a.Children()[i], *b.Children()[i])) return false;
  }
  return true;
}

}  // namespace w95
