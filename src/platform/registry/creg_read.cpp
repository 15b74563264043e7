#include "platform/registry/creg_read.h"

#include <fcntl.h>
#include <malloc.h>
#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <memory>
#include <numeric>
#include <vector>

// Debian's libcreg headers announce libbfio, whose headers it does not ship;
// nothing here uses its file I/O handles.
#include <libcreg/features.h>
#undef LIBCREG_HAVE_BFIO
#include <libcreg.h>

#include "platform/base/case_rules.h"
#include "platform/base/last_error.h"
#include "platform/base/text.h"
#include "platform/machine/host_errors.h"
#include "platform/machine/host_open.h"
#include "platform/registry/creg_format.h"

namespace w95 {

namespace {

using namespace creg::names;

std::string_view TrimNulView(std::string_view text) {
  while (!text.empty() && text.back() == '\0') text.remove_suffix(1);
  return text;
}

// ---- libcreg, the independent reader ----

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
  Value() = default;
  ~Value() {
    if (value_) libcreg_value_free(&value_, nullptr);
  }
  Value(const Value&) = delete;
  Value& operator=(const Value&) = delete;
  libcreg_value_t** Out() { return &value_; }
  libcreg_value_t* Get() const { return value_; }

 private:
  libcreg_value_t* value_ = nullptr;
};

// A file libcreg has open (code page 936), closed and freed on every path.
class LibraryFile {
 public:
  // `whole`: the whole tree is read, and the many small pieces libcreg allocates for it
  // are given back to the system afterwards. A few lookups leave the pieces with malloc,
  // which serves the next save's lookups from them instead of fresh pages.
  explicit LibraryFile(int fd, bool whole) : whole_(whole) {
    const std::string path = "/proc/self/fd/" + std::to_string(fd);
    if (libcreg_file_initialize(&file_, nullptr) != 1) {
      file_ = nullptr;
      return;
    }
    open_ = libcreg_file_set_ascii_codepage(file_, LIBCREG_CODEPAGE_WINDOWS_936, nullptr) == 1 &&
            libcreg_file_open(file_, path.c_str(), LIBCREG_OPEN_READ, nullptr) == 1;
  }
  ~LibraryFile() {
    if (open_) libcreg_file_close(file_, nullptr);
    if (file_) libcreg_file_free(&file_, nullptr);
    // libcreg allocates some ten times what it reads in small pieces; freed,
    // they would stay with the process (malloc keeps that much).
    if (whole_) malloc_trim(0);
  }
  LibraryFile(const LibraryFile&) = delete;
  LibraryFile& operator=(const LibraryFile&) = delete;
  bool Open() const { return open_; }
  libcreg_file_t* Get() const { return file_; }

 private:
  libcreg_file_t* file_ = nullptr;
  bool open_ = false;
  bool whole_;
};

bool KeyName(libcreg_key_t* key, std::string& name) {
  size_t size = 0;
  if (libcreg_key_get_name_size(key, &size, nullptr) != 1) return false;
  name.assign(size, '\0');
  if (size && libcreg_key_get_name(key, reinterpret_cast<uint8_t*>(name.data()), size, nullptr) != 1) return false;
  name.resize(TrimNulView(name).size());
  return true;
}

// The value's name (with its NULs), type and data as libcreg reads them.
bool LibraryValue(libcreg_value_t* value, std::string& name, uint32_t& type, std::string& data) {
  size_t nameSize = 0;
  size_t dataSize = 0;
  if (libcreg_value_get_name_size(value, &nameSize, nullptr) != 1) return false;
  name.resize(nameSize);
  if (nameSize && libcreg_value_get_name(value, reinterpret_cast<uint8_t*>(name.data()), nameSize, nullptr) != 1)
    return false;
  if (libcreg_value_get_value_type(value, &type, nullptr) != 1) return false;
  if (libcreg_value_get_value_data_size(value, &dataSize, nullptr) != 1) return false;
  data.resize(dataSize);
  if (dataSize && libcreg_value_get_value_data(value, reinterpret_cast<uint8_t*>(data.data()), dataSize, nullptr) != 1)
    return false;
  return true;
}

// The key's values as libcreg reads them.
bool LibraryValues(libcreg_key_t* key, std::vector<RegValue>& values) {
  int count = 0;
  if (libcreg_key_get_number_of_values(key, &count, nullptr) != 1) return false;
  std::string name, data;
  for (int i = 0; i < count; ++i) {
    Value value;
    uint32_t type = 0;
    if (libcreg_key_get_value_by_index(key, i, value.Out(), nullptr) != 1) return false;
    if (!LibraryValue(value.Get(), name, type, data)) return false;
    SetValueIn(values, TrimNulView(name), type, data);
  }
  return true;
}

bool ReadKey(libcreg_key_t* key, RegNode& node, int depth) {
  if (depth > kMaxDepth || libcreg_key_is_corrupted(key, nullptr) == 1) return false;
  std::vector<RegValue> values;
  if (!LibraryValues(key, values)) return false;
  for (auto& value : values) node.SetValue(value.name, value.type, std::move(value.data));
  int subKeys = 0;
  if (libcreg_key_get_number_of_sub_keys(key, &subKeys, nullptr) != 1) return false;
  std::string name;
  for (int i = 0; i < subKeys; ++i) {
    Key sub;
    if (libcreg_key_get_sub_key_by_index(key, i, sub.Out(), nullptr) != 1) return false;
    if (!KeyName(sub.Get(), name)) return false;
    if (!ReadKey(sub.Get(), node.ChildOrNew(name), depth + 1)) return false;
  }
  return true;
}

// Whether a slot is reached twice through the child and next links from the
// root: libcreg follows such a loop without end.
bool NavigationLoops(std::string_view bytes) {
  if (bytes.size() < nav::kAt + nav::kSize || bytes.substr(nav::kAt, 4) != nav::kMagic) return false;
  std::vector<bool> seen(bytes.size(), false);
  std::vector<uint32_t> pending{Get32(bytes, nav::kAt + nav::kRoot)};
  while (!pending.empty()) {
    const uint32_t offset = pending.back();
    pending.pop_back();
    if (offset == kNone || nav::kAt + size_t{offset} + slot::kSize > bytes.size()) continue;
    if (seen[offset]) return true;
    seen[offset] = true;
    pending.push_back(Get32(bytes, nav::kAt + offset + slot::kNext));
    pending.push_back(Get32(bytes, nav::kAt + offset + slot::kChild));
  }
  return false;
}

void MarkRead(RegNode& node) {
  node.MarkUnchanged();
  node.ShrinkToFit();
  for (const auto& child : node.Children()) MarkRead(*child);
}

// libcreg's reading of the whole file open at `fd` (whose bytes are `bytes`) into the empty `hive`.
std::optional<std::string> ReadThroughLibrary(int fd, std::string_view bytes, RegHive& hive) {
  if (NavigationLoops(bytes)) return "the registry file is damaged";
  LibraryFile file(fd, true);
  if (!file.Get()) return "the registry library cannot start";
  if (!file.Open()) return "not a Windows 95 registry file";
  Key root;
  const int found = libcreg_file_get_root_key(file.Get(), root.Out(), nullptr);
  if (libcreg_file_is_corrupted(file.Get(), nullptr) != 0 || found == -1) return "the registry file is damaged";
  // A file without a root key reads as an empty tree.
  if (found == 1 && !ReadKey(root.Get(), hive.Root(), 0)) return "the registry file is damaged";
  if (libcreg_file_is_corrupted(file.Get(), nullptr) != 0) return "the registry file is damaged";
  MarkRead(hive.Root());
  return std::nullopt;
}

// An anonymous memory file holding `bytes` (not a temporary directory, which may be full or missing).
int MemoryFile(std::string_view bytes) {
  UniqueFd fd(memfd_create("dxl-creg", MFD_CLOEXEC));
  if (fd.get() < 0) {
    SetLastError(ErrorFromErrno(errno));
    return -1;
  }
  if (!WriteAllToFd(fd.get(), bytes)) {
    SetLastError(ErrorFromErrno(errno));
    return -1;
  }
  return fd.release();
}

// The subkey of `key` named `name` (case aside), through libcreg: its lookup
// by name first (which may answer another key with a similar name), else its
// subkeys one by one.
bool LibrarySubkey(libcreg_key_t* key, const std::string& name, Key& found) {
  std::string seen;
  const bool ascii = std::all_of(name.begin(), name.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
  if (ascii &&
      libcreg_key_get_sub_key_by_utf8_name(key, reinterpret_cast<const uint8_t*>(name.data()), name.size(), found.Out(),
                                           nullptr) == 1 &&
      KeyName(found.Get(), seen) && EqualsNoCase(seen, name))
    return true;
  int count = 0;
  if (libcreg_key_get_number_of_sub_keys(key, &count, nullptr) != 1) return false;
  for (int i = 0; i < count; ++i) {
    Key sub;
    if (libcreg_key_get_sub_key_by_index(key, i, sub.Out(), nullptr) != 1 || !KeyName(sub.Get(), seen)) return false;
    if (EqualsNoCase(seen, name)) {
      Key old;
      std::swap(*old.Out(), *found.Out());
      std::swap(*found.Out(), *sub.Out());
      return true;
    }
  }
  return false;
}

// The key at `path` below libcreg's root, found one name at a time.
bool LibraryFind(libcreg_file_t* file, const std::vector<std::string>& path, Key& found) {
  if (libcreg_file_get_root_key(file, found.Out(), nullptr) != 1) return false;
  for (const auto& part : path) {
    Key next;
    if (!LibrarySubkey(found.Get(), part, next)) return false;
    std::swap(*found.Out(), *next.Out());
  }
  return true;
}

// ---- the program's own reader ----

// A hive file as its navigation slots and blocks describe it; a key's
// subkeys are built from it when first asked for.
class CregView final : public RegChildSource {
 public:
  explicit CregView(std::string_view bytes) : b_(bytes) { usable_ = IndexBlocks(); }

  bool Usable() const { return usable_; }
  uint32_t Root() const { return Get32(b_, nav::kAt + nav::kRoot); }

  // A root the reader can start from: a slot in use without a name entry.
  bool UsableRoot() const { return usable_ && Slot(Root()) && Get16(b_, At(Root()) + slot::kBlock) == kNoId; }

  std::vector<uint32_t> Subkeys(uint32_t key) const {
    std::vector<uint32_t> shown;
    std::vector<uint32_t> hashes;
    size_t steps = 0;
    for (uint32_t child = Get32(b_, At(key) + slot::kChild); child != kNone;
         child = Get32(b_, At(child) + slot::kNext)) {
      if (++steps > MaxSteps() || !Slot(child)) break;
      if (Get32(b_, At(child) + slot::kParent) != key) continue;
      std::string_view entry = EntryOf(child);
      if (entry.empty()) continue;
      shown.push_back(child);
      hashes.push_back(static_cast<uint32_t>(FoldedNameHash(NameOf(entry))));
    }
    DropLaterNamesAlike(shown, hashes);
    return shown;
  }

  // Of subkeys whose names differ only in case, keeps the first: those alike
  // are found among equal hashes (a few words per key, where a hash table of
  // thousands of keys would cost fresh memory for each).
  void DropLaterNamesAlike(std::vector<uint32_t>& shown, const std::vector<uint32_t>& hashes) const {
    std::vector<uint32_t> order(shown.size());
    std::iota(order.begin(), order.end(), 0u);
    std::stable_sort(order.begin(), order.end(), [&](uint32_t a, uint32_t b) { return hashes[a] < hashes[b]; });
    bool dropped = false;
    for (size_t run = 0, end = 0; run < order.size(); run = end) {
      for (end = run + 1; end < order.size() && hashes[order[end]] == hashes[order[run]];) ++end;
      for (size_t later = run + 1; later < end; ++later) {
        const std::string_view name = NameOf(EntryOf(shown[order[later]]));
        for (size_t first = run; first < later; ++first) {
          if (shown[order[first]] == kNone || !EqualsNoCase(NameOf(EntryOf(shown[order[first]])), name)) continue;
          shown[order[later]] = kNone;
          dropped = true;
          break;
        }
      }
    }
    if (dropped) std::erase(shown, kNone);
  }

  void BuildChildren(RegNode& node) const override {
    const std::vector<uint32_t> shown = Subkeys(node.CregKey());
    node.ReserveChildren(shown.size());
    for (uint32_t child : shown) {
      std::string_view entry = EntryOf(child);
      Fill(node.ChildOrNewKeptName(NameOf(entry)), child, entry);
    }
  }

  void VisitChildren(const RegNode& node, const std::function<void(const RegNode&)>& visit) const override {
    for (uint32_t child : Subkeys(node.CregKey())) {
      std::string_view entry = EntryOf(child);
      RegNode sub(NameOf(entry));
      Fill(sub, child, entry);
      visit(sub);
    }
  }

 private:
  struct Block {
    size_t start;
    size_t size;
    uint32_t index;
  };

  // A key read from the slot `child`, whose name entry is `entry`.
  void Fill(RegNode& sub, uint32_t child, std::string_view entry) const {
    sub.SetCregKey(child);
    sub.AppendOriginalText(entry);
    if (Get16(entry, ent::kValueCount) != 0) sub.DeferValues(RegSource::Creg);
    if (Get32(b_, At(child) + slot::kChild) != kNone) sub.DeferChildren(this);
    sub.MarkUnchanged();
  }

  size_t At(uint32_t key) const { return nav::kAt + key; }
  size_t AreaSize() const { return Get32(b_, nav::kAt + nav::kAreaSize); }
  size_t MaxSteps() const { return AreaSize() / slot::kSize + 1; }
  // A slot in use that libcreg reads too (short of the area's last 32 bytes).
  bool Slot(uint32_t key) const {
    return key != kNone && key >= nav::kSize && key + slot::kSize + nav::kLibcregSlack <= AreaSize() &&
           At(key) + slot::kSize <= b_.size() && Get32(b_, At(key) + slot::kState) == slot::kInUse;
  }

  bool IndexBlocks() {
    if (b_.size() < nav::kAt + nav::kSize || b_.substr(0, 4) != creg::file::kMagic ||
        b_.substr(nav::kAt, 4) != nav::kMagic || b_.size() > UINT32_MAX)
      return false;
    size_t at = Get32(b_, creg::file::kFirstBlock);
    for (uint32_t i = Get16(b_, creg::file::kBlockCount); i > 0; --i) {
      if (at + blk::kHeaderSize > b_.size() || b_.substr(at, 4) != blk::kMagic) return false;
      const size_t size = Get32(b_, at + blk::kSize);
      if (size < blk::kHeaderSize || at + size > b_.size()) return false;
      const uint32_t index = Get16(b_, at + blk::kIndex);
      if (index >= byIndex_.size()) byIndex_.resize(index + 1, kNoBlock);
      if (byIndex_[index] != kNoBlock) return false;
      byIndex_[index] = blocks_.size();
      blocks_.push_back(Block{at, size, index});
      at += size;
    }
    entries_.resize(blocks_.size());
    return true;
  }

  // The file offsets of a block's name entries by id (0: none), found the first time the block is asked.
  const std::vector<uint32_t>& EntriesOf(size_t blockAt) const {
    std::vector<uint32_t>& entries = entries_[blockAt];
    if (!entries.empty()) return entries;
    entries.assign(creg::kMaxId + 1, 0);
    const Block& block = blocks_[blockAt];
    const size_t end = block.start + block.size;
    for (size_t at = block.start + blk::kHeaderSize; at + ent::kHeaderSize <= end;) {
      const size_t size = Get32(b_, at + ent::kSize);
      if (size < ent::kHeaderSize || size > end - at) break;
      const uint32_t id = Get16(b_, at + ent::kId);
      if (id <= creg::kMaxId && entries[id] == 0) entries[id] = static_cast<uint32_t>(at);
      at += size;
    }
    return entries;
  }

  // The key's name entry (up to its size), or nothing when it has none or it
  // does not hold its name and values.
  std::string_view EntryOf(uint32_t key) const {
    const uint32_t index = Get16(b_, At(key) + slot::kBlock);
    const uint32_t id = Get16(b_, At(key) + slot::kId);
    if (index >= byIndex_.size() || byIndex_[index] == kNoBlock || id > creg::kMaxId) return {};
    const size_t blockAt = byIndex_[index];
    const uint32_t at = EntriesOf(blockAt)[id];
    if (at == 0) return {};
    std::string_view entry = b_.substr(at, Get32(b_, at + ent::kSize));
    if (!creg::EntryHoldsValues(entry, entry.size())) return {};
    return entry;
  }

  static std::string_view NameOf(std::string_view entry) {
    return TrimNulView(entry.substr(ent::kName, Get16(entry, ent::kNameSize)));
  }

  static constexpr size_t kNoBlock = SIZE_MAX;
  std::string_view b_;
  bool usable_ = false;
  std::vector<Block> blocks_;
  std::vector<size_t> byIndex_;
  mutable std::vector<std::vector<uint32_t>> entries_;
};

}  // namespace

namespace {

// The hive's keys as its kept bytes describe them, built when asked for.
bool BuildOnDemand(RegHive& hive) {
  auto view = std::make_shared<CregView>(*hive.Text());
  if (!view->UsableRoot()) return false;
  hive.Root().SetCregKey(view->Root());
  if (Get32(*hive.Text(), nav::kAt + view->Root() + slot::kChild) != kNone) hive.Root().DeferChildren(view.get());
  hive.Root().MarkUnchanged();
  hive.KeepChildSource(std::move(view));
  return true;
}

}  // namespace

bool ReadCregKept(std::shared_ptr<const HiveBytes> bytes, RegHive& hive) {
  hive.ShareText(std::move(bytes));
  return BuildOnDemand(hive);
}

std::optional<std::string> ReadCregOpenFile(int fd, std::shared_ptr<const HiveBytes> bytes, RegHive& hive) {
  if (ReadCregKept(std::move(bytes), hive)) return std::nullopt;
  // Not understood by the program's reader: libcreg's reading holds.
  RegHive own(hive.RootName());
  own.ShareText(hive.Text());
  hive = std::move(own);
  return ReadThroughLibrary(fd, *hive.Text(), hive);
}

std::optional<std::string> ReadCregFile(const std::filesystem::path& path, RegHive& hive) {
  UniqueFd fd(OpenHostFile(path, O_RDONLY));
  if (fd.get() < 0) return "not a Windows 95 registry file";
  auto bytes = ReadOpenHostFile(fd.get());
  if (!bytes) return "the file cannot be read";
  return ReadThroughLibrary(fd.get(), *bytes, hive);
}

std::optional<std::string> ReadCregBytes(std::string_view bytes, RegHive& hive) {
  UniqueFd fd(MemoryFile(bytes));
  if (fd.get() < 0) return "the hive could not be read back";
  return ReadThroughLibrary(fd.get(), bytes, hive);
}

bool LibraryReadsChanges(std::string_view bytes, const std::vector<CregChange>& changes) {
  if (changes.empty()) return true;
  UniqueFd fd(MemoryFile(bytes));
  return fd.get() >= 0 && LibraryReadsChanges(fd.get(), bytes, changes);
}

bool LibraryReadsChanges(int fd, std::string_view bytes, const std::vector<CregChange>& changes) {
  if (changes.empty()) return true;
  if (NavigationLoops(bytes)) return false;
  LibraryFile file(fd, false);
  if (!file.Open() || libcreg_file_is_corrupted(file.Get(), nullptr) != 0) return false;
  for (const auto& change : changes) {
    Key key;
    const bool found = LibraryFind(file.Get(), change.path, key);
    if (!change.node) {
      if (found) return false;
      continue;
    }
    std::vector<RegValue> values;
    if (!found || !LibraryValues(key.Get(), values) || values != change.node->Values()) return false;
  }
  return libcreg_file_is_corrupted(file.Get(), nullptr) == 0;
}

std::vector<std::uint32_t> CregVisibleSubkeys(std::string_view bytes, std::uint32_t key) {
  CregView view(bytes);
  return view.Usable() ? view.Subkeys(key) : std::vector<std::uint32_t>();
}

namespace {

// Calls `take(name, type, data)` for each value of the entry in order; false when the entry does not hold them
// (the values before the first that does not fit are taken).
template <typename Take>
bool ForEachEntryValue(std::string_view entry, Take take) {
  if (entry.size() < ent::kHeaderSize) return false;
  size_t at = ent::kName + Get16(entry, ent::kNameSize);
  for (uint32_t i = Get16(entry, ent::kValueCount); i > 0; --i) {
    if (at + val::kHeaderSize > entry.size()) return false;
    const uint32_t type = Get32(entry, at + val::kType);
    const size_t nameSize = Get16(entry, at + val::kNameSize);
    const size_t dataSize = Get16(entry, at + val::kDataSize);
    at += val::kHeaderSize;
    if (at + nameSize + dataSize > entry.size()) return false;
    take(TrimNulView(entry.substr(at, nameSize)), type, entry.substr(at + nameSize, dataSize));
    at += nameSize + dataSize;
  }
  return true;
}

}  // namespace

bool ParseCregEntryValues(std::string_view entry, std::vector<RegValue>& values) {
  return ForEachEntryValue(entry, [&](std::string_view name, uint32_t type, std::string_view data) {
    SetValueIn(values, name, type, std::string(data));
  });
}

bool FindCregEntryValue(std::string_view entry, std::string_view name, DWORD& type, std::string_view& data) {
  bool found = false;
  // A name set twice reads as its last setting (SetValueIn).
  ForEachEntryValue(entry, [&](std::string_view valueName, uint32_t valueType, std::string_view valueData) {
    if (!EqualsNoCase(valueName, name)) return;
    found = true;
    type = valueType;
    data = valueData;
  });
  return found;
}

void CopyRegTree(const RegNode& from, RegNode& to) {
  for (const auto& value : from.Values()) to.SetValue(value.name, value.type, value.data);
  for (const auto& child : from.Children()) CopyRegTree(*child, to.ChildOrNew(child->Name()));
}

bool SameRegTree(const RegNode& a, const RegNode& b) {
  if (a.Children().size() != b.Children().size() || a.Values() != b.Values()) return false;
  for (size_t i = 0; i < a.Children().size(); ++i) {
    if (a.Children()[i]->Name() != b.Children()[i]->Name()) return false;
    if (!SameRegTree(*a.Children()[i], *b.Children()[i])) return false;
  }
  return true;
}

}  // namespace w95
