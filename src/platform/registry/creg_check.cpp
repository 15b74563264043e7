#include "platform/registry/creg_check.h"

#include <algorithm>
#include <cstdio>
#include <vector>

#include "platform/registry/creg_format.h"

namespace w95 {

namespace {

using namespace creg::names;

struct Broken {
  size_t at;
  const char* rule;
};

// One name entry in use.
struct Entry {
  size_t at = 0;       // file offset; 0: no entry of that id
  bool named = false;  // a key in use names it
};

struct Block {
  size_t start;
  std::vector<Entry> ids;  // by id, 0 to kMaxId
};

bool ValueZerosKept(std::string_view e) {
  size_t at = ent::kName + Get16(e, ent::kNameSize);
  for (uint32_t i = Get16(e, ent::kValueCount); i > 0; --i) {
    if (Get32(e, at + val::kZero) != 0) return false;
    at += val::kHeaderSize + Get16(e, at + val::kNameSize) + Get16(e, at + val::kDataSize);
  }
  return true;
}

class Checker {
 public:
  explicit Checker(std::string_view bytes) : b_(bytes) {}

  std::optional<Broken> Run() {
    if (auto broken = Header()) return broken;
    if (auto broken = Blocks()) return broken;
    if (auto broken = Keys()) return broken;
    if (auto broken = NamedEntries()) return broken;
    if (auto broken = FreeList()) return broken;
    return Slots();
  }

 private:
  size_t Nav(size_t offset) const { return nav::kAt + offset; }

  std::optional<Broken> Header() {
    if (b_.size() < nav::kAt + nav::kSize) return Broken{0, "the file is shorter than its two headers"};
    if (b_.substr(0, 4) != creg::file::kMagic) return Broken{0, "no CREG signature"};
    if (b_.substr(nav::kAt, 4) != nav::kMagic) return Broken{nav::kAt, "no RGKN signature"};
    area_ = Get32(b_, nav::kAt + nav::kAreaSize);
    if (area_ < nav::kInitialArea || (area_ - nav::kInitialArea) % creg::kPage != 0)
      return Broken{nav::kAt + nav::kAreaSize, "the navigation area is not 8 KiB grown in steps of 4 KiB"};
    if (nav::kAt + area_ > b_.size())
      return Broken{nav::kAt + nav::kAreaSize, "the navigation area passes the end of the file"};
    if (Get32(b_, creg::file::kFirstBlock) != nav::kAt + area_)
      return Broken{creg::file::kFirstBlock, "the first block is not right after the navigation area"};
    if (Get32(b_, nav::kAt + nav::kRoot) != nav::kSize)
      return Broken{nav::kAt + nav::kRoot, "the root key is not the first slot"};
    if ((Get16(b_, creg::file::kFlags) & creg::kChecksumValid) && creg::DwordSum(b_.substr(0, creg::file::kSize)))
      return Broken{creg::file::kChecksum, "the header's checksum is wrong while its flag says valid"};
    if ((Get32(b_, nav::kAt + nav::kFlags) & creg::kChecksumValid) && creg::DwordSum(b_.substr(nav::kAt, area_)))
      return Broken{nav::kAt + nav::kChecksum, "the navigation area's checksum is wrong while its flag says valid"};
    return std::nullopt;
  }

  std::optional<Broken> Blocks() {
    size_t at = nav::kAt + area_;
    while (at < b_.size()) {
      if (at + blk::kHeaderSize > b_.size()) return Broken{at, "a block header passes the end of the file"};
      if (b_.substr(at, 4) != blk::kMagic) return Broken{at, "no RGDB signature where a block starts"};
      const size_t size = Get32(b_, at + blk::kSize);
      if (size == 0 || size % creg::kPage != 0 || size > blk::kMaxSize)
        return Broken{at + blk::kSize, "a block's size is not a multiple of 4 KiB up to 64 KiB"};
      if (at + size > b_.size()) return Broken{at + blk::kSize, "a block passes the end of the file"};
      if (Get16(b_, at + blk::kIndex) != blocks_.size())
        return Broken{at + blk::kIndex, "a block's index is not its place in the file"};
      if ((Get16(b_, at + blk::kFlags) & creg::kChecksumValid) && creg::DwordSum(b_.substr(at, size)))
        return Broken{at + blk::kChecksum, "a block's checksum is wrong while its flag says valid"};
      blocks_.push_back(Block{at, std::vector<Entry>(creg::kMaxId + 1)});
      if (auto broken = Entries(blocks_.back(), size)) return broken;
      at += size;
    }
    if (Get16(b_, creg::file::kBlockCount) != blocks_.size())
      return Broken{creg::file::kBlockCount, "the header's block count is not the number of blocks"};
    return std::nullopt;
  }

  // The name entries and free records of one block, and its header's bookkeeping.
  std::optional<Broken> Entries(Block& block, size_t size) {
    const size_t start = block.start;
    const uint32_t index = Get16(b_, start + blk::kIndex);
    size_t unused = 0;
    std::vector<size_t> free;
    for (size_t at = blk::kHeaderSize; at < size;) {
      const size_t e = start + at;
      if (size - at < ent::kHeaderSize) return Broken{e, "the entries leave a tail shorter than an entry header"};
      const size_t entrySize = Get32(b_, e + ent::kSize);
      if (entrySize < ent::kHeaderSize || entrySize > size - at)
        return Broken{e, "an entry's size is below its header or passes its block"};
      std::string_view bytes = b_.substr(e, entrySize);
      const uint32_t id = Get16(bytes, ent::kId);
      const uint32_t owner = Get16(bytes, ent::kBlock);
      const uint32_t used = Get32(bytes, ent::kUsedSize);
      if (id == kNoId || owner == kNoId) {
        if (id != kNoId || owner != kNoId || used != kNone)
          return Broken{e, "a free record is not marked free in its id, block and used size"};
        // libcreg parses every entry before the one it looks for, free records included.
        if (!creg::EntryHoldsValues(bytes, entrySize)) return Broken{e, "a free record does not parse as an entry"};
        unused += entrySize;
        free.push_back(at);
      } else {
        if (id > creg::kMaxId) return Broken{e + ent::kId, "a name entry's id is above 254"};
        if (owner != index) return Broken{e + ent::kBlock, "a name entry's block is not its block's index"};
        if (block.ids[id].at) return Broken{e + ent::kId, "two name entries of a block have the same id"};
        if (used < ent::kHeaderSize || used > entrySize)
          return Broken{e + ent::kUsedSize, "a name entry's used size is outside its header and size"};
        if (!creg::EntryHoldsValues(bytes, used)) return Broken{e, "a name entry's name and values pass its used size"};
        if (Get32(bytes, ent::kZero) != 0) return Broken{e + ent::kZero, "a name entry's field at +16 is not 0"};
        if (!ValueZerosKept(bytes)) return Broken{e, "a value's field at +4 is not 0"};
        block.ids[id].at = e;
      }
      at += entrySize;
    }
    return Bookkeeping(block, unused, free);
  }

  std::optional<Broken> Bookkeeping(const Block& block, size_t unused, const std::vector<size_t>& free) {
    const size_t start = block.start;
    if (Get32(b_, start + blk::kUnused) != unused)
      return Broken{start + blk::kUnused, "a block's unused size is not its free records' total"};
    const uint32_t freeOffset = Get32(b_, start + blk::kFreeOffset);
    if (free.empty() && freeOffset != kNone)
      return Broken{start + blk::kFreeOffset, "a block without free records has a free offset"};
    bool named = free.empty();
    for (size_t at : free) named = named || at == freeOffset;
    if (!named) return Broken{start + blk::kFreeOffset, "a block's free offset is not one of its free records"};
    uint32_t maxId = 0;
    uint32_t firstFree = creg::kMaxId + 1;
    for (uint32_t id = 0; id <= creg::kMaxId; ++id) {
      if (block.ids[id].at) maxId = id;
      if (!block.ids[id].at && firstFree > creg::kMaxId) firstFree = id;
    }
    if (Get16(b_, start + blk::kMaxId) != maxId)
      return Broken{start + blk::kMaxId, "a block's highest id is not the highest id in use"};
    if (Get16(b_, start + blk::kFirstFreeId) != firstFree)
      return Broken{start + blk::kFirstFreeId, "a block's first free id is not the smallest id not in use"};
    return std::nullopt;
  }

  // A slot a key in use may take: on the grid, within libcreg's reach.
  bool KeyFits(uint32_t offset) const {
    return offset != kNone && creg::SlotOnGrid(offset) && creg::SlotReadable(offset, area_);
  }

  // Every key linked from the root: in use, linked once, named by a name entry.
  std::optional<Broken> Keys() {
    live_.assign(area_, false);
    const uint32_t root = nav::kSize;
    if (!KeyFits(root)) return Broken{Nav(root), "the root slot is outside the navigation area"};
    if (Get16(b_, Nav(root) + slot::kBlock) != kNoId || Get16(b_, Nav(root) + slot::kId) != kNoId)
      return Broken{Nav(root) + slot::kId, "the root key has a name entry"};
    if (Get32(b_, Nav(root) + slot::kNext) != kNone)
      return Broken{Nav(root) + slot::kNext, "the root key has a sibling"};
    struct Pending {
      uint32_t key;
      uint32_t parent;
    };
    std::vector<Pending> pending{{root, kNone}};
    while (!pending.empty()) {
      const Pending next = pending.back();
      pending.pop_back();
      const size_t k = Nav(next.key);
      if (!KeyFits(next.key)) return Broken{k, "a key link points outside the slots libcreg reads"};
      if (live_[next.key]) return Broken{k, "a key is linked twice (a loop or a shared slot)"};
      live_[next.key] = true;
      if (Get32(b_, k + slot::kState) != slot::kInUse) return Broken{k, "a linked key's slot is not marked in use"};
      if (Get32(b_, k + slot::kNextFree) != kNone)
        return Broken{k + slot::kNextFree, "a key in use has a next free run"};
      if (next.parent != kNone) {
        if (Get32(b_, k + slot::kParent) != next.parent)
          return Broken{k + slot::kParent, "a key's parent is not the key that links it"};
        if (auto broken = NameOf(k)) return broken;
      }
      const uint32_t sibling = Get32(b_, k + slot::kNext);
      const uint32_t child = Get32(b_, k + slot::kChild);
      if (next.parent != kNone && sibling != kNone) pending.push_back({sibling, next.parent});
      if (child != kNone) pending.push_back({child, next.key});
    }
    return std::nullopt;
  }

  // The key at file offset `k` names an entry in use of its block, once, by its hash.
  std::optional<Broken> NameOf(size_t k) {
    const uint32_t blockIndex = Get16(b_, k + slot::kBlock);
    const uint32_t id = Get16(b_, k + slot::kId);
    if (blockIndex >= blocks_.size() || id > creg::kMaxId || !blocks_[blockIndex].ids[id].at)
      return Broken{k + slot::kId, "a key's name entry is not in the block it names"};
    Entry& named = blocks_[blockIndex].ids[id];
    if (named.named) return Broken{k + slot::kId, "two keys name the same name entry"};
    named.named = true;
    std::string_view name = b_.substr(named.at + ent::kName, Get16(b_, named.at + ent::kNameSize));
    if (Get32(b_, k + slot::kHash) != CregNameHash(name))
      return Broken{k + slot::kHash, "a key's hash is not its name's"};
    return std::nullopt;
  }

  std::optional<Broken> NamedEntries() const {
    for (const auto& block : blocks_)
      for (const auto& entry : block.ids)
        if (entry.at && !entry.named) return Broken{entry.at, "a name entry in use that no key names"};
    return std::nullopt;
  }

  // The list of free runs: each run of free slots on the grid, within one
  // region, apart from keys in use and from the other runs.
  std::optional<Broken> FreeList() {
    free_.assign(area_, false);
    size_t field = nav::kAt + nav::kFreeHead;
    for (uint32_t run = Get32(b_, field); run != kNone; run = Get32(b_, field)) {
      if (run >= area_ || !creg::SlotOnGrid(run) || size_t{run} + slot::kSize > area_)
        return Broken{field, "a free-list link points outside the slots"};
      const size_t k = Nav(run);
      if (live_[run]) return Broken{field, "a free-list link points at a key in use"};
      if (Get32(b_, k + slot::kState) != slot::kFree) return Broken{k, "a free run's slot is not marked free"};
      const size_t size = Get32(b_, k + slot::kRunSize);
      const size_t end = size_t{run} + size;
      if (size < slot::kSize || end > std::min(creg::SlotRegionEnd(run), area_) ||
          (size % slot::kSize != 0 && end != creg::SlotRegionEnd(run)))
        return Broken{k + slot::kRunSize, "a free run's size is not whole slots within its 4 KiB page"};
      for (size_t s = run; s + slot::kSize <= end; s += slot::kSize) {
        if (live_[s]) return Broken{Nav(s), "a free run covers a key in use"};
        if (free_[s]) return Broken{Nav(s), "two free runs overlap"};
        free_[s] = true;
      }
      field = k + slot::kNextFree;
    }
    return std::nullopt;
  }

  // Every slot of the grid is a key in use or in a free run.
  std::optional<Broken> Slots() const {
    for (size_t s = nav::kSize; s + slot::kSize <= area_;) {
      if (!live_[s] && !free_[s])
        return Broken{Nav(s), Get32(b_, Nav(s) + slot::kState) == slot::kInUse
                                  ? "a slot marked in use that no key links and no free run holds"
                                  : "a free slot that is on no free run"};
      s = creg::NextGridSlot(s);
    }
    return std::nullopt;
  }

  std::string_view b_;
  size_t area_ = 0;
  std::vector<Block> blocks_;
  std::vector<bool> live_;  // by slot offset: a key in use
  std::vector<bool> free_;  // by slot offset: in a run of the free list
};

}  // namespace

std::optional<std::string> CheckCregFile(std::string_view bytes) {
  auto broken = Checker(bytes).Run();
  if (!broken) return std::nullopt;
  char at[24];
  std::snprintf(at, sizeof at, "at 0x%zx: ", broken->at);
  return at + std::string(broken->rule);
}

}  // namespace w95
