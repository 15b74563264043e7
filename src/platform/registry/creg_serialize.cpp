#include "platform/registry/creg_serialize.h"

#include <algorithm>
#include <vector>

#include "platform/registry/creg_format.h"

namespace w95 {

namespace {

using namespace creg::names;

size_t RoundUpToPage(size_t size) { return (size + creg::kPage - 1) / creg::kPage * creg::kPage; }

// Lays out a whole file from a tree as Windows keeps a fresh one: the keys in
// the navigation area's slots in tree order, every other slot on the free
// list; name entries in blocks of whole 4 KiB pages, ids from 0, each block's
// free space one free record at its end.
class Serializer {
 public:
  explicit Serializer(const CregFileOptions& options) : options_(options) {}

  std::string Run(const RegNode& root) {
    const std::vector<size_t> slots = ReadableSlots(root);
    keys_.assign(area_ - nav::kSize, '\0');
    for (size_t at = nav::kSize; at + slot::kSize <= area_; at = creg::NextGridSlot(at))
      Put32(keys_, at - nav::kSize + slot::kState, slot::kFree);
    AddKey(root, kNone, slots);
    CloseBlock();
    if (blocks_.empty()) {  // a hive of the root alone still has a block
      OpenBlock();
      CloseBlock();
    }
    return File();
  }

 private:
  // The readable slots of the smallest area that holds every key.
  std::vector<size_t> ReadableSlots(const RegNode& root) {
    const size_t keys = CountKeys(root);
    for (area_ = nav::kInitialArea;; area_ += creg::kPage) {
      std::vector<size_t> slots;
      for (size_t at = nav::kSize; creg::SlotReadable(at, area_); at = creg::NextGridSlot(at)) slots.push_back(at);
      if (slots.size() >= keys) return slots;
    }
  }

  static size_t CountKeys(const RegNode& node) {
    size_t count = 1;
    for (const auto& child : node.Children()) count += CountKeys(*child);
    return count;
  }

  // Returns the key's offset relative to the navigation record.
  uint32_t AddKey(const RegNode& node, uint32_t parent, const std::vector<size_t>& slots) {
    const auto offset = static_cast<uint32_t>(slots[used_++]);
    uint32_t id = kNoId;
    uint32_t block = kNoId;
    if (parent != kNone) PlaceName(node, id, block);
    keys_.replace(offset - nav::kSize, slot::kSize,
                  creg::KeySlotBytes(parent == kNone ? 0 : CregNameHash(node.Name()), parent, kNone, kNone, id, block));
    size_t link = offset - nav::kSize + slot::kChild;
    for (const auto& child : node.Children()) {
      const uint32_t childOffset = AddKey(*child, offset, slots);
      Put32(keys_, link, childOffset);
      link = childOffset - nav::kSize + slot::kNext;
    }
    return offset;
  }

  void OpenBlock() {
    current_.assign(blk::kMagic);
    current_.resize(blk::kHeaderSize, '\0');
    Put16(current_, blk::kFlags, blk::kFlagsValue | (options_.checksums ? creg::kChecksumValid : 0));
    Put16(current_, blk::kIndex, static_cast<uint32_t>(blocks_.size()));
    nextId_ = 0;
  }

  // Ends the block at a whole number of pages: the space left is a free
  // record, or slack of the last entry when it is too small for one.
  void CloseBlock() {
    if (current_.empty()) return;
    const size_t size = RoundUpToPage(std::max(current_.size(), creg::kPage));
    const size_t left = size - current_.size();
    if (left >= ent::kHeaderSize) {
      current_ += creg::FreeRecordBytes(left);
    } else if (left > 0) {
      Put32(current_, lastEntry_ + ent::kSize, Get32(current_, lastEntry_ + ent::kSize) + left);
      current_.append(left, '\0');
    }
    Put32(current_, blk::kSize, static_cast<uint32_t>(size));
    creg::RecountBlock(current_, 0);
    blocks_.push_back(std::move(current_));
    current_.clear();
  }

  void PlaceName(const RegNode& node, uint32_t& id, uint32_t& block) {
    std::string entry = creg::NameEntryBytes(node.Name(), node.Values(), 0, 0);
    if (current_.empty() || nextId_ > creg::kMaxId || current_.size() + entry.size() > blk::kMaxSize) {
      CloseBlock();
      OpenBlock();
    }
    id = nextId_++;
    block = static_cast<uint32_t>(blocks_.size());
    Put16(entry, ent::kId, id);
    Put16(entry, ent::kBlock, block);
    lastEntry_ = current_.size();
    current_ += entry;
  }

  std::string File() {
    std::string file = creg::FileHeaderBytes(area_, blocks_.size(), options_.checksums ? creg::kChecksumValid : 0);
    file += nav::kMagic;
    file.resize(nav::kAt + nav::kSize, '\0');
    Put32(file, nav::kAt + nav::kAreaSize, static_cast<uint32_t>(area_));
    Put32(file, nav::kAt + nav::kRoot, static_cast<uint32_t>(nav::kSize));
    Put32(file, nav::kAt + nav::kFlags, options_.checksums ? creg::kChecksumValid : 0);
    file += keys_;
    creg::RelinkFreeSlots(file);
    for (const auto& block : blocks_) file += block;
    creg::UpdateChecksums(file);
    return file;
  }

  CregFileOptions options_;
  size_t area_ = 0;
  size_t used_ = 0;   // slots taken
  std::string keys_;  // the navigation area after its header
  std::vector<std::string> blocks_;
  std::string current_;
  size_t lastEntry_ = 0;
  uint32_t nextId_ = 0;
};

}  // namespace

std::string SerializeCreg(const RegNode& root, const CregFileOptions& options) { return Serializer(options).Run(root); }

}  // namespace w95
