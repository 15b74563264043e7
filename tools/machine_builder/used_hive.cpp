#include "machine_builder/used_hive.h"

#include <algorithm>
#include <cstdio>
#include <stdexcept>
#include <vector>

#include "platform/registry/creg_format.h"
#include "platform/registry/reg_hive.h"
#include "platform/registry/registry.h"

namespace dxl::tools {

namespace {

namespace creg = w95::creg;
using namespace creg::names;

// splitmix64: the same numbers on every platform.
class Random {
 public:
  explicit Random(uint64_t seed) : state_(seed) {}
  uint64_t Next() {
    uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
  }
  size_t Below(size_t n) { return n ? static_cast<size_t>(Next() % n) : 0; }
  bool OneIn(size_t n) { return Below(n) == 0; }
  template <typename T>
  void Shuffle(std::vector<T>& items) {
    for (size_t i = items.size(); i > 1; --i) std::swap(items[i - 1], items[Below(i)]);
  }
  void Junk(std::string& bytes, size_t from) {
    for (size_t i = from; i < bytes.size(); ++i) bytes[i] = static_cast<char>(0x20 + Below(0x5F));
  }

 private:
  uint64_t state_;
};

struct Key {
  const w95::RegNode* node;
  uint32_t parent;  // index in the key list
  uint32_t offset = 0;
  uint32_t id = kNoId;
  uint32_t block = kNoId;
};

void ListKeys(const w95::RegNode& node, uint32_t parent, std::vector<Key>& keys) {
  const auto self = static_cast<uint32_t>(keys.size());
  keys.push_back(Key{&node, parent});
  for (const auto& child : node.Children()) ListKeys(*child, self, keys);
}

class UsedLayout {
 public:
  UsedLayout(const w95::RegNode& root, const UsedHiveOptions& options) : options_(options), random_(options.seed) {
    ListKeys(root, 0, keys_);
  }

  std::string Run() {
    PlaceKeys();
    // Entries are allocated in the order keys were created, which is not the tree's.
    std::vector<uint32_t> order(keys_.size() - 1);
    for (size_t i = 0; i < order.size(); ++i) order[i] = static_cast<uint32_t>(i + 1);
    random_.Shuffle(order);
    for (size_t next = 0; next < order.size() || blocks_.empty();) next = FillBlock(order, next);
    return File();
  }

 private:
  // Every key gets a readable slot; about one slot in four between them is free.
  void PlaceKeys() {
    const size_t wanted = keys_.size() + keys_.size() / 3 + random_.Below(40);
    std::vector<uint32_t> slots;
    for (area_ = nav::kInitialArea;; area_ += creg::kPage) {
      slots.clear();
      for (size_t at = nav::kSize; creg::SlotReadable(at, area_); at = creg::NextGridSlot(at))
        slots.push_back(static_cast<uint32_t>(at));
      if (slots.size() >= wanted) break;
    }
    std::vector<uint32_t> taken(slots.begin() + 1, slots.end());
    random_.Shuffle(taken);
    taken.resize(keys_.size() - 1);
    keys_[0].offset = slots[0];
    for (size_t i = 1; i < keys_.size(); ++i) keys_[i].offset = taken[i - 1];
  }

  // A block of 60 or 64 KiB filled from `order[next]` on; returns where the next block starts.
  size_t FillBlock(const std::vector<uint32_t>& order, size_t next) {
    const auto index = static_cast<uint32_t>(blocks_.size());
    const size_t target = random_.OneIn(2) ? 61440 : blk::kMaxSize;
    // Ids of the keys deleted from this block stay free: a few gaps below the highest.
    std::vector<uint32_t> ids;
    for (uint32_t id = 0; id <= creg::kMaxId; ++id)
      if (!random_.OneIn(24)) ids.push_back(id);
    std::string block(blk::kMagic);
    block.resize(blk::kHeaderSize, '\0');
    Put16(block, blk::kFlags, blk::kFlagsValue | (options_.checksums ? creg::kChecksumValid : 0));
    Put16(block, blk::kIndex, index);
    std::vector<uint32_t> placed;
    size_t lastEntry = 0;
    for (; next < order.size() && placed.size() < ids.size(); ++next) {
      Key& key = keys_[order[next]];
      std::string entry = creg::NameEntryBytes(key.node->Name(), key.node->Values(), 0, index);
      const size_t slack = random_.OneIn(8) ? random_.Below(24) : 0;
      const size_t gap = options_.win98 && random_.OneIn(12) ? ent::kHeaderSize + random_.Below(200) : 0;
      if (block.size() + gap + entry.size() + slack > target) {
        if (placed.empty()) throw std::runtime_error("machine builder: a key too large for a block");
        break;
      }
      if (gap) block += FreeRecord(gap);
      placed.push_back(order[next]);
      key.block = index;
      Put32(entry, ent::kSize, static_cast<uint32_t>(entry.size() + slack));
      entry.append(slack, '\0');
      lastEntry = block.size();
      block += entry;
    }
    // The ids in the order the entries were allocated: freed ids are reused first.
    random_.Shuffle(ids);
    std::vector<uint32_t> used(ids.begin(), ids.begin() + static_cast<std::ptrdiff_t>(placed.size()));
    for (size_t i = 0, at = blk::kHeaderSize; i < placed.size(); ++i) {
      while (Get16(block, at + ent::kId) == kNoId && Get16(block, at + ent::kBlock) == kNoId &&
             Get32(block, at + ent::kUsedSize) == kNone)
        at += Get32(block, at + ent::kSize);
      keys_[placed[i]].id = used[i];
      Put16(block, at + ent::kId, used[i]);
      at += Get32(block, at + ent::kSize);
    }
    Close(block, next < order.size() ? target : RoundUpToPage(block.size()), lastEntry);
    blocks_.push_back(std::move(block));
    return next;
  }

  static size_t RoundUpToPage(size_t size) {
    return (std::max(size, creg::kPage) + creg::kPage - 1) / creg::kPage * creg::kPage;
  }

  std::string FreeRecord(size_t size) {
    std::string record = creg::FreeRecordBytes(size);
    random_.Junk(record, ent::kHeaderSize);
    return record;
  }

  // The block's end: its free space a free record, or slack of the last entry.
  void Close(std::string& block, size_t size, size_t lastEntry) {
    const size_t left = size - block.size();
    if (left >= ent::kHeaderSize) {
      block += FreeRecord(left);
    } else if (left > 0) {
      Put32(block, lastEntry + ent::kSize, Get32(block, lastEntry + ent::kSize) + static_cast<uint32_t>(left));
      block.append(left, '\0');
    }
    Put32(block, blk::kSize, static_cast<uint32_t>(size));
    Put32(block, blk::kUnknown24, static_cast<uint32_t>(random_.Next()));
    creg::RecountBlock(block, 0);
  }

  std::string File() {
    // Real files carry either value of the header's unknown dword, and some set flag bit 0.
    const uint32_t flags = (options_.checksums ? creg::kChecksumValid : 0) | (random_.OneIn(2) ? 1 : 0);
    std::string file =
        creg::FileHeaderBytes(area_, blocks_.size(), flags, random_.OneIn(2) ? creg::file::kUnknown20Value : 0x800000);
    file += Navigation();
    creg::RelinkFreeSlots(file);
    for (const auto& block : blocks_) file += block;
    creg::UpdateChecksums(file);
    return file;
  }

  // The navigation area: free slots hold what the keys deleted from them held.
  std::string Navigation() {
    std::string area(nav::kMagic);
    area.resize(area_, '\0');
    Put32(area, nav::kAreaSize, static_cast<uint32_t>(area_));
    Put32(area, nav::kRoot, keys_[0].offset);
    Put32(area, nav::kFlags, options_.checksums ? creg::kChecksumValid : 0);
    for (size_t at = nav::kSize; at + slot::kSize <= area_; at = creg::NextGridSlot(at)) {
      std::string stale = creg::KeySlotBytes(
          static_cast<uint32_t>(random_.Below(0x2000)), static_cast<uint32_t>(random_.Below(area_)), kNone, kNone,
          static_cast<uint32_t>(random_.Below(255)), static_cast<uint32_t>(random_.Below(blocks_.size() + 1)));
      Put32(stale, slot::kState, slot::kFree);
      area.replace(at, slot::kSize, stale);
    }
    std::vector<uint32_t> lastChild(keys_.size(), kNone);
    for (uint32_t i = 0; i < keys_.size(); ++i) {
      const Key& key = keys_[i];
      const bool root = i == 0;
      area.replace(key.offset, slot::kSize,
                   creg::KeySlotBytes(root ? 0 : w95::CregNameHash(key.node->Name()),
                                      root ? kNone : keys_[key.parent].offset, kNone, kNone, key.id, key.block));
      if (root) continue;
      const uint32_t previous = lastChild[key.parent];
      Put32(area, previous == kNone ? keys_[key.parent].offset + slot::kChild : keys_[previous].offset + slot::kNext,
            key.offset);
      lastChild[key.parent] = i;
    }
    return area;
  }

  UsedHiveOptions options_;
  Random random_;
  std::vector<Key> keys_;
  size_t area_ = 0;
  std::vector<std::string> blocks_;
};

std::string Numbered(const char* format, size_t number) {
  char text[64];
  std::snprintf(text, sizeof text, format, static_cast<unsigned>(number));
  return text;
}

std::string Text(std::string text) {
  text.push_back('\0');
  return text;
}

}  // namespace

std::string UsedCregHive(const w95::RegNode& root, const UsedHiveOptions& options) {
  return UsedLayout(root, options).Run();
}

void AddUsedInstallationKeys(w95::RegNode& root, size_t count, uint64_t seed) {
  Random random(seed);
  w95::RegNode& devices = root.ChildOrNew("Enum").ChildOrNew("Root");
  w95::RegNode& drivers = root.ChildOrNew("System").ChildOrNew("CurrentControlSet").ChildOrNew("Services");
  for (size_t n = 0; n < count; ++n) {
    const std::string driver = Numbered("%04u", n);
    if (n % 2 == 0) {
      w95::RegNode& device = devices.ChildOrNew(Numbered("*PNP%04X", n));
      device.SetValue("HardwareID", w95::REG_SZ, Text(Numbered("*PNP%04X", n)));
      device.SetValue("Class", w95::REG_SZ, Text("System"));
      std::string config(64 + random.Below(256), '\0');
      random.Junk(config, 0);
      device.SetValue("BootConfig", w95::REG_BINARY, config);
      device.SetValue("DeviceDesc", w95::REG_SZ, Text(Numbered("System board extension %u", n)));
      device.SetValue("Driver", w95::REG_SZ, Text("System\\" + driver));
    } else {
      w95::RegNode& key = drivers.ChildOrNew(Numbered("Class%03u", n % 97)).ChildOrNew(driver);
      key.SetValue("DriverDesc", w95::REG_SZ, Text(Numbered("System board extension %u", n)));
      key.SetValue("DevLoader", w95::REG_SZ, Text("*CONFIGMG"));
      key.SetValue("InfPath", w95::REG_SZ, Text(Numbered("OEM%u.INF", n % 41)));
      std::string flags(32 + random.Below(192), '\0');
      random.Junk(flags, 0);
      key.SetValue("Settings", w95::REG_BINARY, flags);
    }
  }
}

}  // namespace dxl::tools
