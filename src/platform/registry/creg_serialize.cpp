#include "platform/registry/creg_serialize.h"

#include <vector>

#include "platform/registry/creg_format.h"

namespace w95 {

namespace {

using creg::Append16;
using creg::Append32;
using creg::kNone;
using creg::Put16;
using creg::Put32;

constexpr size_t kMaxBlockSize = 0xFFFF;

std::string BlockHeader(uint32_t index) {
  std::string header(creg::block::kMagic);
  Append32(header, creg::block::kHeaderSize);  // size, set when the block is done
  Append32(header, 0);                         // unused
  Append16(header, creg::block::kFlagsValue);
  Append16(header, index);
  Append32(header, creg::block::kHeaderSize);  // free offset
  header.append(12, '\0');
  return header;
}

void SetBlockSize(std::string& block, size_t size) {
  Put32(block, creg::block::kSize, static_cast<uint32_t>(size));
  Put32(block, creg::block::kFreeOffset, static_cast<uint32_t>(size));
}

// Lays out a whole file from a tree.
class Serializer {
 public:
  std::string Run(const RegNode& root) {
    AddKey(root, kNone, true);
    blocks_.push_back(current_);
    std::string file(creg::file::kMagic);
    Append16(file, 0);
    Append16(file, 1);
    size_t navigationSize = creg::nav::kSize + keys_.size() + creg::nav::kLibcregSlack;
    Append32(file, static_cast<uint32_t>(creg::nav::kAt + navigationSize));
    Append32(file, 0);
    Append16(file, static_cast<uint32_t>(blocks_.size()));
    Append16(file, static_cast<uint32_t>(blocks_.size()));
    file.append(12, '\0');
    file += creg::nav::kMagic;
    Append32(file, static_cast<uint32_t>(navigationSize));
    Append32(file, static_cast<uint32_t>(creg::nav::kSize));
    Append32(file, static_cast<uint32_t>(keys_.size()));
    file.append(16, '\0');
    file += keys_;
    file.append(creg::nav::kLibcregSlack, '\0');
    for (const auto& block : blocks_) file += block;
    return file;
  }

 private:
  // Returns the key's offset relative to the navigation record.
  uint32_t AddKey(const RegNode& node, uint32_t parent, bool root) {
    auto offset = static_cast<uint32_t>(creg::nav::kSize + keys_.size());
    uint32_t number = creg::kNoId;
    uint32_t block = creg::kNoId;
    if (!root) PlaceName(node, number, block);
    keys_ += creg::KeySlotBytes(root ? 0 : CregNameHash(node.Name()), parent, kNone, kNone, number, block);
    uint32_t previous = kNone;
    for (const auto& child : node.Children()) {
      uint32_t childOffset = AddKey(*child, offset, false);
      size_t at = (previous == kNone ? offset + creg::slot::kChild : previous + creg::slot::kNext) - creg::nav::kSize;
      Put32(keys_, at, childOffset);
      previous = childOffset;
    }
    return offset;
  }

  void PlaceName(const RegNode& node, uint32_t& number, uint32_t& block) {
    std::string entry = creg::NameEntryBytes(node.Name(), node.Values(), 0, 0);
    if (current_.empty() || current_.size() + entry.size() > kMaxBlockSize || nextNumber_ == 0xFFFF) {
      if (!current_.empty()) blocks_.push_back(current_);
      current_ = BlockHeader(static_cast<uint32_t>(blocks_.size()));
      nextNumber_ = 0;
    }
    number = nextNumber_++;
    block = static_cast<uint32_t>(blocks_.size());
    Put16(entry, creg::entry::kId, number);
    current_ += entry;
    SetBlockSize(current_, current_.size());
  }

  std::string keys_;
  std::vector<std::string> blocks_;
  std::string current_;
  uint32_t nextNumber_ = 0;
};

}  // namespace

std::string SerializeCreg(const RegNode& root) { return Serializer().Run(root); }

}  // namespace w95
