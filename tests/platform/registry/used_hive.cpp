#include "used_hive.h"

#include <algorithm>
#include <vector>

#include "platform/registry/creg_format.h"

namespace w95::testing {

namespace {

using creg::Append16;
using creg::Append32;
using creg::kNone;
using creg::Put16;
using creg::Put32;

constexpr size_t kSlot = creg::slot::kSize;
constexpr size_t kFullBlock = 60 * 1024;  // blocks close short of this: nearly full

struct Key {
  const RegNode* node;
  uint32_t parent;  // index in the list
  uint32_t slot = 0;
  uint32_t id = creg::kNoId;
  uint32_t block = creg::kNoId;
};

void Flatten(const RegNode& node, uint32_t parent, std::vector<Key>& keys) {
  const auto self = static_cast<uint32_t>(keys.size());
  keys.push_back(Key{&node, parent});
  for (const auto& child : node.Children()) Flatten(*child, self, keys);
}

// Slot offsets as Windows hands them out: packed in the first 8 KiB, then
// 146 to a page, none crossing a page.
std::vector<uint32_t> SlotPlaces(size_t count) {
  std::vector<uint32_t> places;
  for (size_t at = creg::nav::kSize; at + kSlot <= creg::nav::kInitialArea && places.size() < count; at += kSlot)
    places.push_back(static_cast<uint32_t>(at));
  for (size_t page = creg::nav::kInitialArea; places.size() < count; page += creg::kPage)
    for (size_t at = page; at + kSlot <= page + creg::kPage && places.size() < count; at += kSlot)
      places.push_back(static_cast<uint32_t>(at));
  return places;
}

}  // namespace

std::string UsedCregHive(const RegNode& root, FreeRecords style) {
  std::vector<Key> keys;
  Flatten(root, kNone, keys);
  // Every seventh place is a free slot, every thirteenth a run of two; the area's tail is one run.
  std::vector<uint32_t> places = SlotPlaces(keys.size() * 2 + 200);
  std::vector<bool> used(places.size(), false);
  size_t next = 0;
  for (size_t k = 0; k < keys.size(); ++k) {
    while (k > 0 && (next % 7 == 3 || next % 13 == 5 || next % 13 == 6)) ++next;
    keys[k].slot = places[next];
    used[next++] = true;
  }
  // libcreg reads slots short of the area's last 32 bytes.
  size_t areaSize = creg::nav::kInitialArea;
  auto readable = [&](uint32_t at) { return at + kSlot + creg::nav::kLibcregSlack <= areaSize; };
  while (!readable(places[next - 1])) areaSize += creg::kPage;
  std::string area(areaSize, '\0');
  area.replace(0, 4, creg::nav::kMagic);
  Put32(area, creg::nav::kAreaSize, static_cast<uint32_t>(areaSize));
  Put32(area, creg::nav::kRoot, keys[0].slot);
  Put32(area, creg::nav::kFlags, creg::kChecksumValid);

  // Name entries, block by block; some ids skipped (keys deleted long ago).
  std::vector<std::string> blocks;
  std::string current;
  uint32_t id = 0;
  auto close = [&] {
    if (current.empty()) return;
    size_t size = (current.size() + creg::entry::kHeaderSize + 200 + creg::kPage - 1) / creg::kPage * creg::kPage;
    current += creg::FreeRecordBytes(size - current.size());
    blocks.push_back(current);
    current.clear();
  };
  for (size_t k = 1; k < keys.size(); ++k) {
    std::string entry = creg::NameEntryBytes(keys[k].node->Name(), keys[k].node->Values(), 0, 0);
    if (!current.empty() && (current.size() + entry.size() + 100 > kFullBlock || id > creg::kMaxId)) close();
    if (current.empty()) {
      current.assign(creg::block::kHeaderSize, '\0');
      id = 0;
    }
    if (id % 9 == 4) ++id;
    if (style == FreeRecords::AmongEntries && k % 11 == 0) current += creg::FreeRecordBytes(40 + k % 5 * 28);
    keys[k].id = id++;
    keys[k].block = static_cast<uint32_t>(blocks.size());
    Put16(entry, creg::entry::kId, keys[k].id);
    Put16(entry, creg::entry::kBlock, keys[k].block);
    current += entry;
  }
  close();

  // Slots and links.
  std::vector<uint32_t> lastChild(keys.size(), kNone);
  for (size_t k = 0; k < keys.size(); ++k) {
    const Key& key = keys[k];
    const uint32_t parent = key.parent == kNone ? kNone : keys[key.parent].slot;
    area.replace(
        key.slot, kSlot,
        creg::KeySlotBytes(k == 0 ? 0 : CregNameHash(key.node->Name()), parent, kNone, kNone, key.id, key.block));
    if (key.parent == kNone) continue;
    const uint32_t previous = lastChild[key.parent];
    Put32(area, previous == kNone ? keys[key.parent].slot + creg::slot::kChild : previous + creg::slot::kNext,
          key.slot);
    lastChild[key.parent] = key.slot;
  }
  // Every other slot of the grid is free; the free list is set when the file is laid out.
  std::vector<bool> inUse(areaSize, false);
  for (const Key& key : keys) inUse[key.slot] = true;
  for (size_t at = creg::nav::kSize; at + kSlot <= areaSize; at = creg::NextGridSlot(at))
    if (!inUse[at]) Put32(area, at + creg::slot::kState, creg::slot::kFree);
  std::string file(creg::file::kMagic);
  Append16(file, 0);
  Append16(file, 1);
  Append32(file, static_cast<uint32_t>(creg::nav::kAt + areaSize));
  Append32(file, 0);
  Append16(file, static_cast<uint32_t>(blocks.size()));
  Append16(file, creg::kChecksumValid | 1);
  Append32(file, creg::file::kUnknown20Value);
  file.append(creg::file::kSize - file.size(), '\0');
  file += area;
  for (size_t b = 0; b < blocks.size(); ++b) {
    std::string& block = blocks[b];
    block.replace(0, 4, creg::block::kMagic);
    Put32(block, creg::block::kSize, static_cast<uint32_t>(block.size()));
    Put16(block, creg::block::kFlags, creg::block::kFlagsValue | creg::kChecksumValid);
    Put16(block, creg::block::kIndex, static_cast<uint32_t>(b));
    const size_t start = file.size();
    file += block;
    creg::RecountBlock(file, start);
  }
  creg::RelinkFreeSlots(file);
  creg::UpdateChecksums(file);
  return file;
}

namespace {

size_t BlockStartOf(const std::string& file, size_t at) {
  size_t start = creg::Get32(file, creg::file::kFirstBlock);
  while (start + creg::Get32(file, start + creg::block::kSize) <= at && creg::Get32(file, start + creg::block::kSize))
    start += creg::Get32(file, start + creg::block::kSize);
  return start;
}

}  // namespace

std::optional<std::string> BookkeepingFault(const std::string& file) {
  using creg::Get16;
  using creg::Get32;
  if (file.size() < creg::nav::kAt + creg::nav::kSize) return "too short";
  std::string canonical = file;
  std::vector<std::vector<uint32_t>> ids;  // per block index: entry offsets by id
  size_t start = Get32(file, creg::file::kFirstBlock);
  for (uint32_t b = 0; b < Get16(file, creg::file::kBlockCount); ++b) {
    if (!creg::RecountBlock(canonical, start)) return "block " + std::to_string(b) + " is not tiled by its records";
    const size_t size = Get32(file, start + creg::block::kSize);
    if (size % creg::kPage || size > creg::block::kMaxSize)
      return "block " + std::to_string(b) + " has size " + std::to_string(size);
    const uint32_t index = Get16(file, start + creg::block::kIndex);
    if (index != b) return "block " + std::to_string(b) + " has index " + std::to_string(index);
    ids.emplace_back(creg::kMaxId + 1, 0);
    for (size_t at = start + creg::block::kHeaderSize; at < start + size; at += Get32(file, at)) {
      const uint32_t id = Get16(file, at + creg::entry::kId);
      if (id == creg::kNoId) {
        if (Get16(file, at + creg::entry::kBlock) != creg::kNoId || Get32(file, at + creg::entry::kUsedSize) != kNone)
          return "a half-free record at " + std::to_string(at);
        continue;
      }
      if (id > creg::kMaxId || ids[b][id]) return "id " + std::to_string(id) + " in block " + std::to_string(b);
      if (Get16(file, at + creg::entry::kBlock) != b)
        return "an entry of block " + std::to_string(b) + " names another";
      if (Get32(file, at + creg::entry::kUsedSize) > Get32(file, at)) return "an entry used beyond its size";
      ids[b][id] = static_cast<uint32_t>(at);
    }
    start += size;
  }
  if (start != file.size()) return "bytes after the last block";
  creg::RelinkFreeSlots(canonical);
  creg::UpdateChecksums(canonical);
  // The first byte that differs, checksum fields last (they differ whenever anything else does).
  const std::vector<size_t> sums = {creg::file::kChecksum, creg::nav::kAt + creg::nav::kChecksum};
  std::optional<size_t> differs;
  for (size_t at = 0; at < file.size(); ++at) {
    if (file[at] == canonical[at]) continue;
    const bool sum =
        std::any_of(sums.begin(), sums.end(), [&](size_t s) { return at >= s && at < s + 4; }) ||
        (at >= Get32(file, creg::file::kFirstBlock) && (at - BlockStartOf(file, at)) / 4 == creg::block::kChecksum / 4);
    if (!sum) return "the byte at " + std::to_string(at) + " is not as the bookkeeping says";
    if (!differs) differs = at;
  }
  if (differs) return "the checksum at " + std::to_string(*differs) + " is wrong";
  // Every key reached from the root: a slot in use on the grid, its parent, its entry.
  std::vector<std::pair<uint32_t, uint32_t>> pending{{Get32(file, creg::nav::kAt + creg::nav::kRoot), kNone}};
  const size_t area = Get32(file, creg::nav::kAt + creg::nav::kAreaSize);
  size_t seen = 0;
  while (!pending.empty()) {
    const auto [key, parent] = pending.back();
    pending.pop_back();
    if (++seen > area / kSlot) return "a loop";
    const size_t at = creg::nav::kAt + key;
    if (!creg::SlotOnGrid(key) || !creg::SlotReadable(key, area) || Get32(file, at) != creg::slot::kInUse)
      return "a linked slot at " + std::to_string(key) + " not in use";
    if (Get32(file, at + creg::slot::kParent) != parent) return "a wrong parent at " + std::to_string(key);
    const uint32_t block = Get16(file, at + creg::slot::kBlock);
    const uint32_t id = Get16(file, at + creg::slot::kId);
    if (parent != kNone && (block >= ids.size() || id > creg::kMaxId || !ids[block][id]))
      return "no entry for the key at " + std::to_string(key);
    for (uint32_t child = Get32(file, at + creg::slot::kChild); child != kNone;
         child = Get32(file, creg::nav::kAt + child + creg::slot::kNext)) {
      if (child + kSlot > area) return "a link out of the area";
      pending.emplace_back(child, key);
      if (pending.size() > area / kSlot) return "a loop";
    }
  }
  return std::nullopt;
}

}  // namespace w95::testing
