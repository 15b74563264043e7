#include "platform/registry/creg_write.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

#include "platform/base/case_rules.h"
#include "platform/base/text.h"
#include "platform/registry/creg_read.h"

namespace w95 {

namespace {

constexpr uint32_t kNone = 0xFFFFFFFF;
constexpr size_t kHeaderSize = 32;
constexpr size_t kRgknOffset = 32;
constexpr size_t kKeyEntrySize = 28;
constexpr size_t kBlockHeaderSize = 32;
constexpr size_t kNameEntryHeaderSize = 20;
constexpr size_t kValueHeaderSize = 12;
constexpr size_t kMaxBlockSize = 0xFFFF;
// libcreg reads key entries only up to the navigation area's size less 32.
constexpr size_t kNavigationSlack = 32;

void Put16(std::string& b, size_t at, uint32_t v) {
  b[at] = static_cast<char>(v & 0xFF);
  b[at + 1] = static_cast<char>((v >> 8) & 0xFF);
}
void Put32(std::string& b, size_t at, uint32_t v) {
  Put16(b, at, v & 0xFFFF);
  Put16(b, at + 2, v >> 16);
}
void Append16(std::string& b, uint32_t v) {
  b.append(2, '\0');
  Put16(b, b.size() - 2, v);
}
void Append32(std::string& b, uint32_t v) {
  b.append(4, '\0');
  Put32(b, b.size() - 4, v);
}
uint32_t Get16(const std::string& b, size_t at) {
  return static_cast<unsigned char>(b[at]) | (static_cast<unsigned char>(b[at + 1]) << 8);
}
uint32_t Get32(const std::string& b, size_t at) { return Get16(b, at) | (Get16(b, at + 2) << 16); }

// A key name entry: its header, name and values (entry size = used size).
std::string NameEntry(const RegNode& node, uint32_t keyNumber) {
  std::string entry;
  Append32(entry, 0);
  Append16(entry, keyNumber);
  Append16(entry, 0);
  Append32(entry, 0);
  Append16(entry, static_cast<uint32_t>(node.Name().size()));
  Append16(entry, static_cast<uint32_t>(node.Values().size()));
  Append32(entry, 0);
  entry += node.Name();
  for (const auto& value : node.Values()) {
    Append32(entry, value.type);
    Append32(entry, 0);
    Append16(entry, static_cast<uint32_t>(value.name.size()));
    Append16(entry, static_cast<uint32_t>(value.data.size()));
    entry += value.name;
    entry += value.data;
  }
  Put32(entry, 0, static_cast<uint32_t>(entry.size()));
  Put32(entry, 8, static_cast<uint32_t>(entry.size()));
  return entry;
}

std::string KeyEntry(uint32_t hash, uint32_t parent, uint32_t child, uint32_t next, uint32_t number, uint32_t block) {
  std::string entry;
  Append32(entry, 0);
  Append32(entry, hash);
  Append32(entry, kNone);
  Append32(entry, parent);
  Append32(entry, child);
  Append32(entry, next);
  Append16(entry, number);
  Append16(entry, block);
  return entry;
}

std::string BlockHeader(uint32_t index) {
  std::string header = "RGDB";
  Append32(header, kBlockHeaderSize);  // size, set when the block is done
  Append32(header, 0);                 // unused
  Append16(header, 8);
  Append16(header, index);
  Append32(header, kBlockHeaderSize);  // used
  header.append(12, '\0');
  return header;
}

void SetBlockSize(std::string& block, size_t blockStart, size_t size) {
  Put32(block, blockStart + 4, static_cast<uint32_t>(size));
  Put32(block, blockStart + 16, static_cast<uint32_t>(size));
}

struct Block {
  size_t start;
  size_t size;
  uint32_t index;
};

// Changes of an existing file, found through its navigation entries.
class Patcher {
 public:
  explicit Patcher(std::string bytes) : b_(std::move(bytes)) {}

  // Against the tree the file reads as, or (null) against the file itself,
  // which `after` was read from: its keys know their navigation entries.
  bool Run(const RegNode* before, const RegNode& after) {
    if (b_.size() < kRgknOffset + kHeaderSize || b_.compare(0, 4, "CREG") || b_.compare(kRgknOffset, 4, "RGKN"))
      return false;
    if (!IndexBlocks()) return false;
    uint32_t root = Get32(b_, kRgknOffset + 8);
    if (!Walk(root, 0)) return false;
    if (before) return Patch(root, *before, after, true);
    return after.CregKey() == root && PatchRead(root, after, true);
  }

  std::string Take() { return std::move(b_); }

 private:
  size_t NavigationSize() const { return Get32(b_, kRgknOffset + 4); }
  size_t Key(uint32_t offset) const { return kRgknOffset + offset; }
  bool ValidKey(uint32_t offset) const {
    return offset != kNone && offset + kKeyEntrySize + kNavigationSlack <= NavigationSize() &&
           Key(offset) + kKeyEntrySize <= b_.size();
  }

  bool IndexBlocks() {
    blocks_.clear();
    size_t at = Get32(b_, 8);
    uint32_t count = Get16(b_, 16);
    for (uint32_t i = 0; i < count; ++i) {
      if (at + kBlockHeaderSize > b_.size() || b_.compare(at, 4, "RGDB")) return false;
      size_t size = Get32(b_, at + 4);
      if (size < kBlockHeaderSize || at + size > b_.size()) return false;
      blocks_.push_back(Block{at, size, Get16(b_, at + 14)});
      at += size;
    }
    return true;
  }

  // Records the end of the navigation entries in use; refuses loops.
  bool Walk(uint32_t offset, int depth) {
    if (depth > 512 || !ValidKey(offset)) return false;
    entriesEnd_ = std::max<size_t>(entriesEnd_, offset + kKeyEntrySize);
    for (uint32_t child = Get32(b_, Key(offset) + 16); child != kNone; child = Get32(b_, Key(child) + 20)) {
      if (++visited_ > b_.size()) return false;
      if (!Walk(child, depth + 1)) return false;
    }
    return true;
  }

  const Block* FindBlock(uint32_t index) const {
    for (const auto& block : blocks_)
      if (block.index == index) return &block;
    return nullptr;
  }

  // The file offset of the key's name entry, or 0.
  size_t NameEntryOf(uint32_t key) const {
    uint32_t number = Get16(b_, Key(key) + 24);
    const Block* block = FindBlock(Get16(b_, Key(key) + 26));
    if (!block) return 0;
    for (size_t at = block->start + kBlockHeaderSize; at + kNameEntryHeaderSize <= block->start + block->size;) {
      size_t size = Get32(b_, at);
      if (size < kNameEntryHeaderSize) return 0;
      if (Get16(b_, at + 4) == number) return at;
      at += size;
    }
    return 0;
  }

  std::string NameOf(uint32_t key) const {
    size_t at = NameEntryOf(key);
    if (!at) return {};
    return b_.substr(at + kNameEntryHeaderSize, Get16(b_, at + 12));
  }

  uint32_t FindChild(uint32_t parent, std::string_view name) const {
    for (uint32_t child = Get32(b_, Key(parent) + 16); child != kNone; child = Get32(b_, Key(child) + 20)) {
      if (EqualsNoCase(NameOf(child), name)) return child;
    }
    return kNone;
  }

  static bool SameValues(const std::vector<RegValue>& a, const std::vector<RegValue>& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
      if (a[i].name != b[i].name || a[i].type != b[i].type || a[i].data != b[i].data) return false;
    }
    return true;
  }
  static bool SameValues(const RegNode& a, const RegNode& b) { return SameValues(a.Values(), b.Values()); }

  // `after` is the key at `key` as read from the file, changed since: its
  // values as read are in its name entry, its subkeys as read are those that
  // know their navigation entry. The same changes as Patch makes.
  bool PatchRead(uint32_t key, const RegNode& after, bool root) {
    if (after.Changed()) {
      std::vector<RegValue> before;
      if (after.HasOriginalText() && !ParseCregEntryValues(after.OriginalText(), before)) return false;
      if (!SameValues(before, after.Values()) && (root || !RewriteValues(key, after))) return false;
    }
    std::vector<uint32_t> kept;
    for (const auto& child : after.Children())
      if (child->CregKey() != RegNode::kNoCregKey) kept.push_back(child->CregKey());
    std::sort(kept.begin(), kept.end());
    size_t link = Key(key) + 16;
    for (uint32_t child = Get32(b_, link); child != kNone; child = Get32(b_, link)) {
      if (std::binary_search(kept.begin(), kept.end(), child)) {
        link = Key(child) + 20;
      } else {
        Put32(b_, link, Get32(b_, Key(child) + 20));  // a subkey removed
      }
    }
    for (const auto& child : after.Children()) {
      if (child->CregKey() == RegNode::kNoCregKey) {
        if (!AddKey(key, *child)) return false;
      } else if (!ValidKey(child->CregKey()) || !PatchRead(child->CregKey(), *child, false)) {
        return false;
      }
    }
    return true;
  }

  bool Patch(uint32_t key, const RegNode& before, const RegNode& after, bool root) {
    if (!SameValues(before, after) && (root || !RewriteValues(key, after))) return false;
    for (const auto& old : before.Children()) {
      if (!after.Child(old->Name()) && !Unlink(key, old->Name())) return false;
    }
    for (const auto& child : after.Children()) {
      const RegNode* old = before.Child(child->Name());
      if (!old) {
        if (!AddKey(key, *child)) return false;
        continue;
      }
      uint32_t offset = FindChild(key, child->Name());
      if (offset == kNone || !Patch(offset, *old, *child, false)) return false;
    }
    return true;
  }

  void Insert(size_t at, std::string_view bytes) {
    b_.insert(at, bytes);
    for (auto& block : blocks_)
      if (block.start >= at) block.start += bytes.size();
  }

  void GrowBlock(Block& block, size_t by) {
    block.size += by;
    Put32(b_, block.start + 4, static_cast<uint32_t>(block.size));
    Put32(b_, block.start + 16, Get32(b_, block.start + 16) + static_cast<uint32_t>(by));
  }

  Block* BlockAt(size_t at) {
    for (auto& block : blocks_)
      if (at >= block.start && at < block.start + block.size) return &block;
    return nullptr;
  }

  bool RewriteValues(uint32_t key, const RegNode& node) {
    size_t at = NameEntryOf(key);
    if (!at) return false;
    uint32_t number = Get16(b_, at + 4);
    std::string entry = NameEntry(node, number);
    size_t room = Get32(b_, at);
    if (entry.size() <= room) {
      Put32(entry, 0, static_cast<uint32_t>(room));
      b_.replace(at, entry.size(), entry);
      return true;
    }
    Block* block = BlockAt(at);
    if (!block) return false;
    size_t grow = entry.size() - room;
    if (block->size + grow <= kMaxBlockSize) {
      Insert(at + room, std::string(grow, '\0'));
      b_.replace(at, entry.size(), entry);
      GrowBlock(*block, grow);
      return true;
    }
    Put16(b_, at + 4, 0xFFFF);  // the old entry is now unused
    uint32_t blockIndex = 0;
    if (!PlaceEntry(node, number, blockIndex)) return false;
    Put16(b_, Key(key) + 24, number);
    Put16(b_, Key(key) + 26, blockIndex);
    return true;
  }

  uint32_t NextNumber(const Block& block) const {
    uint32_t next = 0;
    for (size_t at = block.start + kBlockHeaderSize; at + kNameEntryHeaderSize <= block.start + block.size;) {
      size_t size = Get32(b_, at);
      if (size < kNameEntryHeaderSize) break;
      uint32_t number = Get16(b_, at + 4);
      if (number != 0xFFFF) next = std::max(next, number + 1);
      at += size;
    }
    return next;
  }

  // Stores a name entry for `node` at the end of the last block, or of a new block.
  bool PlaceEntry(const RegNode& node, uint32_t& number, uint32_t& blockIndex) {
    std::string entry = NameEntry(node, 0);
    if (entry.size() + kBlockHeaderSize > kMaxBlockSize) return false;
    Block* last = blocks_.empty() ? nullptr : &blocks_.back();
    if (last && last->size + entry.size() <= kMaxBlockSize && NextNumber(*last) < 0xFFFF) {
      number = NextNumber(*last);
      Put16(entry, 4, number);
      blockIndex = last->index;
      Insert(last->start + last->size, entry);
      GrowBlock(*last, entry.size());
      return true;
    }
    uint32_t index = 0;
    for (const auto& block : blocks_) index = std::max(index, block.index + 1);
    size_t start = blocks_.empty() ? Get32(b_, 8) : blocks_.back().start + blocks_.back().size;
    std::string block = BlockHeader(index) + entry;
    SetBlockSize(block, 0, block.size());
    number = 0;
    blockIndex = index;
    Insert(start, block);
    blocks_.push_back(Block{start, block.size(), index});
    Put16(b_, 16, static_cast<uint32_t>(blocks_.size()));
    return true;
  }

  bool AddKey(uint32_t parent, const RegNode& node) {
    uint32_t number = 0;
    uint32_t blockIndex = 0;
    if (!PlaceEntry(node, number, blockIndex)) return false;
    auto offset = static_cast<uint32_t>(entriesEnd_);
    Insert(Key(offset), KeyEntry(CregNameHash(node.Name()), parent, kNone, kNone, number, blockIndex));
    entriesEnd_ += kKeyEntrySize;
    Put32(b_, kRgknOffset + 4, static_cast<uint32_t>(NavigationSize() + kKeyEntrySize));
    Put32(b_, 8, Get32(b_, 8) + static_cast<uint32_t>(kKeyEntrySize));
    if (uint32_t used = Get32(b_, kRgknOffset + 12)) Put32(b_, kRgknOffset + 12, used + kKeyEntrySize);
    size_t link = Key(parent) + 16;
    for (uint32_t child = Get32(b_, link); child != kNone; child = Get32(b_, link)) link = Key(child) + 20;
    Put32(b_, link, offset);
    for (const auto& child : node.Children())
      if (!AddKey(offset, *child)) return false;
    return true;
  }

  bool Unlink(uint32_t parent, std::string_view name) {
    size_t link = Key(parent) + 16;
    for (uint32_t child = Get32(b_, link); child != kNone; child = Get32(b_, link)) {
      if (EqualsNoCase(NameOf(child), name)) {
        Put32(b_, link, Get32(b_, Key(child) + 20));
        return true;
      }
      link = Key(child) + 20;
    }
    return false;
  }

  std::string b_;
  std::vector<Block> blocks_;
  size_t entriesEnd_ = kHeaderSize;
  size_t visited_ = 0;
};

}  // namespace

std::optional<std::string> PatchCreg(std::string bytes, const RegNode& before, const RegNode& after) {
  Patcher patcher(std::move(bytes));
  if (!patcher.Run(&before, after)) return std::nullopt;
  return patcher.Take();
}

std::optional<std::string> PatchCreg(std::string bytes, const RegNode& after) {
  Patcher patcher(std::move(bytes));
  if (!patcher.Run(nullptr, after)) return std::nullopt;
  return patcher.Take();
}

}  // namespace w95
