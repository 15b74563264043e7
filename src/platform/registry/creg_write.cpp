#include "platform/registry/creg_write.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <optional>
#include <vector>

#include "platform/base/case_rules.h"
#include "platform/base/text.h"
#include "platform/registry/creg_format.h"
#include "platform/registry/creg_read.h"

namespace w95 {

namespace {

using namespace creg::names;

size_t RoundUp(size_t n, size_t step) { return (n + step - 1) / step * step; }

// One record of a data block: a name entry, or a free record.
struct Record {
  size_t at;  // file offset
  uint32_t size;
  bool free;
  uint32_t id;
};

struct Block {
  size_t start;  // file offset
  size_t size;
  uint32_t index;
};

// A name entry for `node` named `name`, or nothing when a size does not fit its field.
std::optional<std::string> EntryFor(std::string_view name, const RegNode& node) {
  const auto& values = node.Values();
  if (name.size() > 0xFFFF || values.size() > 0xFFFF) return std::nullopt;
  for (const auto& value : values)
    if (value.name.size() > 0xFFFF || value.data.size() > 0xFFFF) return std::nullopt;
  std::string bytes = creg::NameEntryBytes(name, values, kNoId, kNoId);
  if (bytes.size() + blk::kHeaderSize > blk::kMaxSize) return std::nullopt;
  return bytes;
}

// Changes of an existing file, found through its navigation slots, that keep
// Windows' own bookkeeping true (docs/registry.md, "What the writer keeps").
class Patcher {
 public:
  explicit Patcher(std::string bytes) : b_(std::move(bytes)) {}

  // Against the tree the file reads as, or (null) against the file itself,
  // which `after` was read from: its keys know their navigation slots.
  bool Run(const RegNode* before, const RegNode& after) {
    if (b_.size() < nav::kAt + nav::kSize || b_.compare(0, 4, creg::file::kMagic) ||
        b_.compare(nav::kAt, 4, nav::kMagic))
      return false;
    if (!IndexBlocks()) return false;
    const uint32_t root = Get32(b_, nav::kAt + nav::kRoot);
    if (!ValidKey(root)) return false;
    std::vector<std::string> path;
    const bool done =
        before ? Patch(root, *before, after, path, 0) : after.CregKey() == root && PatchRead(root, after, path, 0);
    if (!done) return false;
    FinishHeaders();
    return true;
  }

  std::string Take() { return std::move(b_); }
  std::vector<CregChange> TakeChanges() { return std::move(changes_); }

 private:
  // ---- the navigation area ----
  size_t AreaSize() const { return Get32(b_, nav::kAt + nav::kAreaSize); }
  size_t At(uint32_t key) const { return nav::kAt + key; }
  size_t FreeHead() const { return nav::kAt + nav::kFreeHead; }
  // A slot libcreg reads (within the area, short of its last 32 bytes).
  bool Readable(uint32_t key) const {
    return key != kNone && key >= nav::kSize && key + slot::kSize + nav::kLibcregSlack <= AreaSize() &&
           At(key) + slot::kSize <= b_.size();
  }
  bool ValidKey(uint32_t key) const { return Readable(key) && Get32(b_, At(key) + slot::kState) == slot::kInUse; }
  // Bounds every walk along a list: a loop in a damaged file ends it.
  size_t MaxSteps() const { return AreaSize() / slot::kSize + 1; }

  // A slot from the first free run libcreg can read (its first slot; the rest
  // stays a run), or from a new page of the area.
  uint32_t AllocateSlot() {
    size_t link = FreeHead();
    size_t steps = 0;
    for (uint32_t run = Get32(b_, link); run != kNone; run = Get32(b_, link)) {
      if (++steps > MaxSteps() || At(run) + slot::kSize > b_.size() || Get32(b_, At(run) + slot::kState) != slot::kFree)
        return kNone;
      const uint32_t size = Get32(b_, At(run) + slot::kRunSize);
      const uint32_t next = Get32(b_, At(run) + slot::kNextFree);
      if (size < slot::kSize || size % slot::kSize) return kNone;
      if (Readable(run)) {
        navigationChanged_ = true;
        if (size == slot::kSize) {
          Put32(b_, link, next);
        } else {
          const auto rest = static_cast<uint32_t>(run + slot::kSize);
          WriteFreeRun(rest, size - static_cast<uint32_t>(slot::kSize), next);
          Put32(b_, link, rest);
        }
        return run;
      }
      link = At(run) + slot::kNextFree;
    }
    if (!GrowArea()) return kNone;
    return AllocateSlot();
  }

  void WriteFreeRun(uint32_t at, uint32_t size, uint32_t next) {
    Put32(b_, At(at) + slot::kState, slot::kFree);
    Put32(b_, At(at) + slot::kRunSize, size);
    Put32(b_, At(at) + slot::kNextFree, next);
  }

  // One more page of slots at the end of the area, every slot of its grid
  // free (listed as one run when the list is set again at the end).
  bool GrowArea() {
    const size_t old = AreaSize();
    if (old + creg::kPage > UINT32_MAX / 2) return false;
    Insert(nav::kAt + old, std::string(creg::kPage, '\0'));
    Put32(b_, nav::kAt + nav::kAreaSize, static_cast<uint32_t>(old + creg::kPage));
    Put32(b_, creg::file::kFirstBlock, Get32(b_, creg::file::kFirstBlock) + static_cast<uint32_t>(creg::kPage));
    for (size_t at = old; at + slot::kSize <= old + creg::kPage; at += slot::kSize) MarkFree(static_cast<uint32_t>(at));
    creg::RelinkFreeSlots(b_);
    return true;
  }

  // A slot becomes free, its links gone; the free list is set again at the end.
  void MarkFree(uint32_t key) {
    b_.replace(At(key), slot::kSize, creg::KeySlotBytes(0, kNone, kNone, kNone, kNoId, kNoId));
    WriteFreeRun(key, static_cast<uint32_t>(slot::kSize), kNone);
    navigationChanged_ = true;
  }

  // ---- the data blocks ----
  bool IndexBlocks() {
    blocks_.clear();
    size_t at = Get32(b_, creg::file::kFirstBlock);
    for (uint32_t i = Get16(b_, creg::file::kBlockCount); i > 0; --i) {
      if (at + blk::kHeaderSize > b_.size() || b_.compare(at, 4, blk::kMagic)) return false;
      const size_t size = Get32(b_, at + blk::kSize);
      if (size < blk::kHeaderSize || size > blk::kMaxSize || at + size > b_.size()) return false;
      const uint32_t index = Get16(b_, at + blk::kIndex);
      if (FindBlock(index) != kNoBlock) return false;
      blocks_.push_back(Block{at, size, index});
      at += size;
    }
    return true;
  }

  static constexpr size_t kNoBlock = SIZE_MAX;
  // The position in blocks_ of the block of that index.
  size_t FindBlock(uint32_t index) const {
    for (size_t i = 0; i < blocks_.size(); ++i)
      if (blocks_[i].index == index) return i;
    return kNoBlock;
  }

  // The records of a block in order; false when they do not tile it.
  bool Records(const Block& block, std::vector<Record>& records) const {
    records.clear();
    const size_t end = block.start + block.size;
    for (size_t at = block.start + blk::kHeaderSize; at < end;) {
      if (end - at < ent::kHeaderSize) return false;
      const uint32_t size = Get32(b_, at + ent::kSize);
      if (size < ent::kHeaderSize || size > end - at) return false;
      const uint32_t id = Get16(b_, at + ent::kId);
      records.push_back(Record{at, size, id == kNoId, id});
      at += size;
    }
    return true;
  }

  // The key's name entry and the position of its block.
  std::optional<Record> EntryOf(uint32_t key, size_t& blockAt) const {
    blockAt = FindBlock(Get16(b_, At(key) + slot::kBlock));
    const uint32_t id = Get16(b_, At(key) + slot::kId);
    std::vector<Record> records;
    if (blockAt == kNoBlock || id == kNoId || !Records(blocks_[blockAt], records)) return std::nullopt;
    for (const auto& record : records)
      if (!record.free && record.id == id) return record;
    return std::nullopt;
  }

  void WriteFreeRecord(size_t at, size_t size) { b_.replace(at, size, creg::FreeRecordBytes(size)); }

  // Frees a record. A block that keeps its free space at its end (as Windows
  // 95 does) moves the records after it down; one with free records among its
  // entries (as Windows 98 leaves them) marks it free, joined with free neighbours.
  void FreeRecord(size_t blockAt, const Record& freed) {
    const Block& block = blocks_[blockAt];
    std::vector<Record> records;
    Records(block, records);
    size_t freeCount = 0;
    for (const auto& r : records) freeCount += r.free;
    const size_t end = block.start + block.size;
    if (freeCount == 0 || (freeCount == 1 && records.back().free)) {
      const size_t tail = records.back().free ? records.back().at : end;
      const size_t moved = tail - (freed.at + freed.size);
      std::memmove(&b_[freed.at], &b_[freed.at + freed.size], moved);
      WriteFreeRecord(freed.at + moved, end - (freed.at + moved));
    } else {
      size_t at = freed.at;
      size_t size = freed.size;
      for (size_t i = 0; i < records.size(); ++i) {
        if (records[i].at != freed.at) continue;
        if (i + 1 < records.size() && records[i + 1].free) size += records[i + 1].size;
        if (i > 0 && records[i - 1].free) {
          at = records[i - 1].at;
          size += records[i - 1].size;
        }
      }
      WriteFreeRecord(at, size);
    }
    Touch(blockAt);
  }

  // The smallest id not in use in the block: kMaxId + 1 when it has none left.
  static uint32_t FirstFreeId(const std::vector<Record>& records) {
    std::vector<bool> used(creg::kMaxId + 1, false);
    for (const auto& r : records)
      if (!r.free && r.id <= creg::kMaxId) used[r.id] = true;
    uint32_t id = 0;
    while (id <= creg::kMaxId && used[id]) ++id;
    return id;
  }

  // Stores `entry` in the first free record of the block that holds it
  // (growing the block at its end in 4 KiB steps up to 64 KiB when `grow`),
  // with `id`, or the smallest free id for kNoId. Returns the id, or kNoId.
  uint32_t PlaceIn(size_t blockAt, std::string& entry, uint32_t id, bool grow) {
    std::vector<Record> records;
    if (!Records(blocks_[blockAt], records)) return kNoId;
    if (id == kNoId) id = FirstFreeId(records);
    if (id > creg::kMaxId) return kNoId;
    const size_t need = entry.size();
    std::optional<Record> fit;
    for (const auto& r : records)
      if (r.free && r.size >= need) {
        fit = r;
        break;
      }
    if (!fit) {
      if (!grow) return kNoId;
      Block& block = blocks_[blockAt];
      const size_t tail = !records.empty() && records.back().free ? records.back().size : 0;
      const size_t by = RoundUp(need - tail, creg::kPage);
      if (block.size + by > blk::kMaxSize) return kNoId;
      const size_t end = block.start + block.size;
      Insert(end, std::string(by, '\0'));
      block.size += by;
      Put32(b_, block.start + blk::kSize, static_cast<uint32_t>(block.size));
      fit = Record{end - tail, static_cast<uint32_t>(tail + by), true, kNoId};
      WriteFreeRecord(fit->at, fit->size);
    }
    size_t size = fit->size;
    if (fit->size - need >= ent::kHeaderSize) {
      size = need;
      WriteFreeRecord(fit->at + need, fit->size - need);
    }
    Put32(entry, ent::kSize, static_cast<uint32_t>(size));
    Put16(entry, ent::kId, id);
    Put16(entry, ent::kBlock, blocks_[blockAt].index);
    b_.replace(fit->at, entry.size(), entry);
    Touch(blockAt);
    return id;
  }

  // Stores a name entry: in the preferred block (`keepId` there), else in a
  // block with room, else in the last block grown, else in a new block. Sets
  // `blockIndex`; returns the id, or kNoId.
  uint32_t Place(std::string& entry, size_t preferred, uint32_t keepId, uint32_t& blockIndex) {
    auto tryBlock = [&](size_t at, bool grow) {
      const uint32_t id = PlaceIn(at, entry, at == preferred ? keepId : kNoId, grow);
      if (id != kNoId) blockIndex = blocks_[at].index;
      return id;
    };
    if (preferred != kNoBlock)
      if (uint32_t id = tryBlock(preferred, true); id != kNoId) return id;
    for (size_t at = 0; at < blocks_.size(); ++at)
      if (at != preferred)
        if (uint32_t id = tryBlock(at, false); id != kNoId) return id;
    if (!blocks_.empty() && blocks_.size() - 1 != preferred)
      if (uint32_t id = tryBlock(blocks_.size() - 1, true); id != kNoId) return id;
    if (!AddBlock()) return kNoId;
    return tryBlock(blocks_.size() - 1, true);
  }

  // An empty block of one page after the last one, its room one free record.
  bool AddBlock() {
    uint32_t index = 0;
    for (const auto& block : blocks_) index = std::max(index, block.index + 1);
    if (index >= kNoId) return false;
    const size_t start = blocks_.empty() ? b_.size() : blocks_.back().start + blocks_.back().size;
    std::string block(blk::kHeaderSize, '\0');
    block.replace(0, 4, blk::kMagic);
    Put32(block, blk::kSize, static_cast<uint32_t>(creg::kPage));
    // Flags and the unknown field as the last block has them.
    Put16(block, blk::kFlags, blocks_.empty() ? blk::kFlagsValue : Get16(b_, blocks_.back().start + blk::kFlags));
    if (!blocks_.empty()) block.replace(blk::kUnknown24, 4, b_, blocks_.back().start + blk::kUnknown24, 4);
    Put16(block, blk::kIndex, index);
    block += creg::FreeRecordBytes(creg::kPage - blk::kHeaderSize);
    Insert(start, block);
    blocks_.push_back(Block{start, creg::kPage, index});
    Put16(b_, creg::file::kBlockCount, static_cast<uint32_t>(blocks_.size()));
    Touch(blocks_.size() - 1);
    return true;
  }

  void Touch(size_t blockAt) {
    const uint32_t index = blocks_[blockAt].index;
    if (std::find(touched_.begin(), touched_.end(), index) == touched_.end()) touched_.push_back(index);
  }

  // The header fields a block's records decide (unused size, free offset,
  // highest and first free id), the free list, and the checksums.
  void FinishHeaders() {
    for (uint32_t index : touched_) {
      const size_t start = blocks_[FindBlock(index)].start;
      creg::RecountBlock(b_, start);
      creg::UpdateBlockChecksum(b_, start);
    }
    if (navigationChanged_) creg::RelinkFreeSlots(b_);
    // The area and header checksums change only when what they sum changed.
    if (creg::DwordSum(std::string_view(b_).substr(nav::kAt, AreaSize())) != 0) creg::UpdateNavigationChecksum(b_);
    if (creg::DwordSum(std::string_view(b_).substr(0, creg::file::kSize)) != 0) creg::UpdateHeaderChecksum(b_);
  }

  void Insert(size_t at, std::string_view bytes) {
    b_.insert(at, bytes);
    for (auto& block : blocks_)
      if (block.start >= at) block.start += bytes.size();
  }

  // ---- keys ----
  std::string NameOf(uint32_t key) const {
    size_t blockAt = kNoBlock;
    auto entry = EntryOf(key, blockAt);
    if (!entry) return {};
    const size_t size = Get16(b_, entry->at + ent::kNameSize);
    if (ent::kName + size > entry->size) return {};
    return b_.substr(entry->at + ent::kName, size);
  }

  // The key's values rewritten: in place when its entry holds them (only the
  // bytes that differ change), else in the free record after it, else moved.
  bool RewriteValues(uint32_t key, const RegNode& node) {
    size_t blockAt = kNoBlock;
    const auto old = EntryOf(key, blockAt);
    if (!old) return false;
    const size_t nameSize = Get16(b_, old->at + ent::kNameSize);
    if (ent::kName + nameSize > old->size) return false;
    auto entry = EntryFor(std::string_view(b_).substr(old->at + ent::kName, nameSize), node);
    if (!entry) return false;
    Put16(*entry, ent::kZero, Get16(b_, old->at + ent::kZero));
    Put16(*entry, ent::kZero + 2, Get16(b_, old->at + ent::kZero + 2));
    const size_t need = entry->size();
    size_t room = old->size;
    std::vector<Record> records;
    Records(blocks_[blockAt], records);
    const auto next =
        std::find_if(records.begin(), records.end(), [&](const Record& r) { return r.at == old->at + old->size; });
    if (need > room && next != records.end() && next->free && room + next->size >= need) {
      room += next->size;
      if (room - need >= ent::kHeaderSize) {
        WriteFreeRecord(old->at + need, room - need);
        room = need;
      }
    }
    if (need <= room) {
      Put32(*entry, ent::kSize, static_cast<uint32_t>(room));
      Put16(*entry, ent::kId, old->id);
      Put16(*entry, ent::kBlock, blocks_[blockAt].index);
      b_.replace(old->at, need, *entry);
      Touch(blockAt);
      return true;
    }
    FreeRecord(blockAt, *old);
    uint32_t blockIndex = kNoId;
    const uint32_t id = Place(*entry, blockAt, old->id, blockIndex);
    if (id == kNoId) return false;
    Put16(b_, At(key) + slot::kId, id);
    Put16(b_, At(key) + slot::kBlock, blockIndex);
    return true;
  }

  // A new key with its values and subkeys, linked as the parent's last subkey.
  bool AddKey(uint32_t parent, const RegNode& node, std::vector<std::string>& path, int depth) {
    if (depth > kMaxDepth) return false;
    auto entry = EntryFor(node.Name(), node);
    if (!entry) return false;
    const uint32_t key = AllocateSlot();
    if (key == kNone) return false;
    uint32_t blockIndex = kNoId;
    const uint32_t id = Place(*entry, FindBlock(Get16(b_, At(parent) + slot::kBlock)), kNoId, blockIndex);
    if (id == kNoId) return false;
    b_.replace(At(key), slot::kSize,
               creg::KeySlotBytes(CregNameHash(node.Name()), parent, kNone, kNone, id, blockIndex));
    size_t link = At(parent) + slot::kChild;
    size_t steps = 0;
    for (uint32_t child = Get32(b_, link); child != kNone; child = Get32(b_, link)) {
      if (++steps > MaxSteps() || !ValidKey(child)) return false;
      link = At(child) + slot::kNext;
    }
    Put32(b_, link, key);
    path.emplace_back(node.Name());
    changes_.push_back(CregChange{path, &node});
    bool done = true;
    for (const auto& child : node.Children()) done = done && AddKey(key, *child, path, depth + 1);
    path.pop_back();
    return done;
  }

  // Frees a key and everything below it: slots and name entries.
  bool FreeKey(uint32_t key, int depth) {
    if (depth > kMaxDepth) return false;
    size_t steps = 0;
    for (uint32_t child = Get32(b_, At(key) + slot::kChild); child != kNone;) {
      if (++steps > MaxSteps() || !ValidKey(child)) return false;
      const uint32_t next = Get32(b_, At(child) + slot::kNext);
      if (!FreeKey(child, depth + 1)) return false;
      child = next;
    }
    size_t blockAt = kNoBlock;
    if (auto entry = EntryOf(key, blockAt)) FreeRecord(blockAt, *entry);
    MarkFree(key);
    return true;
  }

  // Unlinks the subkey `link` points at and frees it.
  bool RemoveAt(size_t link, std::vector<std::string>& path, int depth) {
    const uint32_t child = Get32(b_, link);
    path.push_back(NameOf(child));
    changes_.push_back(CregChange{path, nullptr});
    path.pop_back();
    Put32(b_, link, Get32(b_, At(child) + slot::kNext));
    return FreeKey(child, depth + 1);
  }

  // `after` is the key at `key` as read from the file, changed since: its
  // values as read are in its name entry, its subkeys as read are those that
  // know their navigation slot.
  bool PatchRead(uint32_t key, const RegNode& after, std::vector<std::string>& path, int depth) {
    if (depth > kMaxDepth) return false;
    if (after.Changed()) {
      std::vector<RegValue> before;
      if (after.HasOriginalText() && !ParseCregEntryValues(after.OriginalText(), before)) return false;
      if (before != after.Values()) {
        if (depth == 0 || !RewriteValues(key, after)) return false;
        changes_.push_back(CregChange{path, &after});
      }
    }
    if (!after.ChildrenBuilt()) return true;  // nothing below was asked for, so nothing changed
    // Subkeys the reader showed that are no longer there were deleted; those it did not show stay.
    std::vector<uint32_t> kept;
    for (const auto& child : after.Children())
      if (child->CregKey() != RegNode::kNoCregKey) kept.push_back(child->CregKey());
    std::sort(kept.begin(), kept.end());
    std::vector<uint32_t> shown = CregVisibleSubkeys(b_, key);
    std::sort(shown.begin(), shown.end());
    size_t link = At(key) + slot::kChild;
    size_t steps = 0;
    for (uint32_t child = Get32(b_, link); child != kNone; child = Get32(b_, link)) {
      if (++steps > MaxSteps() || !ValidKey(child)) break;
      if (std::binary_search(shown.begin(), shown.end(), child) &&
          !std::binary_search(kept.begin(), kept.end(), child)) {
        if (!RemoveAt(link, path, depth)) return false;
      } else {
        link = At(child) + slot::kNext;
      }
    }
    for (const auto& child : after.Children()) {
      if (child->CregKey() == RegNode::kNoCregKey) {
        if (!AddKey(key, *child, path, depth + 1)) return false;
        continue;
      }
      if (!ValidKey(child->CregKey())) return false;
      path.emplace_back(child->Name());
      const bool done = PatchRead(child->CregKey(), *child, path, depth + 1);
      path.pop_back();
      if (!done) return false;
    }
    return true;
  }

  uint32_t FindChild(uint32_t parent, std::string_view name, size_t* linkOut = nullptr) const {
    size_t link = At(parent) + slot::kChild;
    size_t steps = 0;
    for (uint32_t child = Get32(b_, link); child != kNone; child = Get32(b_, link)) {
      if (++steps > MaxSteps() || !ValidKey(child)) return kNone;
      if (EqualsNoCase(NameOf(child), name)) {
        if (linkOut) *linkOut = link;
        return child;
      }
      link = At(child) + slot::kNext;
    }
    return kNone;
  }

  // The same changes against the tree the file reads as.
  bool Patch(uint32_t key, const RegNode& before, const RegNode& after, std::vector<std::string>& path, int depth) {
    if (depth > kMaxDepth) return false;
    if (before.Values() != after.Values()) {
      if (depth == 0 || !RewriteValues(key, after)) return false;
      changes_.push_back(CregChange{path, &after});
    }
    for (const auto& old : before.Children()) {
      if (after.Child(old->Name())) continue;
      size_t link = 0;
      if (FindChild(key, old->Name(), &link) == kNone || !RemoveAt(link, path, depth)) return false;
    }
    for (const auto& child : after.Children()) {
      const RegNode* old = before.Child(child->Name());
      if (!old) {
        if (!AddKey(key, *child, path, depth + 1)) return false;
        continue;
      }
      const uint32_t offset = FindChild(key, child->Name());
      path.emplace_back(child->Name());
      const bool done = offset != kNone && Patch(offset, *old, *child, path, depth + 1);
      path.pop_back();
      if (!done) return false;
    }
    return true;
  }

  std::string b_;
  std::vector<Block> blocks_;
  std::vector<uint32_t> touched_;  // indexes of the blocks changed
  std::vector<CregChange> changes_;
  bool navigationChanged_ = false;
};

}  // namespace

std::optional<std::string> PatchCreg(std::string bytes, const RegNode& before, const RegNode& after,
                                     std::vector<CregChange>* changes) {
  Patcher patcher(std::move(bytes));
  if (!patcher.Run(&before, after)) return std::nullopt;
  if (changes) *changes = patcher.TakeChanges();
  return patcher.Take();
}

std::optional<std::string> PatchCreg(std::string bytes, const RegNode& after, std::vector<CregChange>* changes) {
  Patcher patcher(std::move(bytes));
  if (!patcher.Run(nullptr, after)) return std::nullopt;
  if (changes) *changes = patcher.TakeChanges();
  return patcher.Take();
}

}  // namespace w95
