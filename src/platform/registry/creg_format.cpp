#include "platform/registry/creg_format.h"

#include <algorithm>
#include <bit>
#include <cstring>

#include "platform/base/case_rules.h"
#include "platform/base/text.h"

namespace w95::creg {

uint32_t DwordSum(std::string_view bytes) {
  uint32_t sum = 0;
  size_t at = 0;
  if constexpr (std::endian::native == std::endian::little) {
    // Whole dwords loaded as they lie: the compiler sums many at once (a save sums the whole file).
    for (; at + 4 <= bytes.size(); at += 4) {
      uint32_t dword = 0;
      std::memcpy(&dword, bytes.data() + at, 4);
      sum += dword;
    }
  } else {
    for (; at + 4 <= bytes.size(); at += 4) sum += Get32(bytes, at);
  }
  for (size_t shift = 0; at < bytes.size(); ++at, shift += 8)
    sum += static_cast<uint32_t>(static_cast<unsigned char>(bytes[at])) << shift;
  return sum;
}

namespace {

// The checksum of `record` whose own checksum field is at `field`.
uint32_t ChecksumOf(std::string_view record, size_t field) { return 0u - (DwordSum(record) - Get32(record, field)); }

std::string_view NavigationArea(std::string_view file) {
  if (file.size() < nav::kAt + nav::kSize) return {};
  return file.substr(nav::kAt, Get32(file, nav::kAt + nav::kAreaSize));
}

}  // namespace

uint32_t HeaderChecksum(std::string_view file) { return ChecksumOf(file.substr(0, file::kSize), file::kChecksum); }

uint32_t NavigationChecksum(std::string_view file) {
  std::string_view area = NavigationArea(file);
  return area.size() < nav::kSize ? 0 : ChecksumOf(area, nav::kChecksum);
}

uint32_t BlockChecksum(std::string_view file, size_t blockStart) {
  std::string_view blockBytes = file.substr(blockStart, Get32(file, blockStart + block::kSize));
  return ChecksumOf(blockBytes, block::kChecksum);
}

void UpdateHeaderChecksum(std::string& file) {
  if (file.size() >= file::kSize && (Get16(file, file::kFlags) & kChecksumValid))
    Put32(file, file::kChecksum, HeaderChecksum(file));
}

void UpdateNavigationChecksum(std::string& file) {
  if (NavigationArea(file).size() >= nav::kSize && (Get32(file, nav::kAt + nav::kFlags) & kChecksumValid))
    Put32(file, nav::kAt + nav::kChecksum, NavigationChecksum(file));
}

void UpdateBlockChecksum(std::string& file, size_t blockStart) {
  if (blockStart + block::kHeaderSize <= file.size() && (Get16(file, blockStart + block::kFlags) & kChecksumValid))
    Put32(file, blockStart + block::kChecksum, BlockChecksum(file, blockStart));
}

void UpdateChecksums(std::string& file) {
  if (file.size() < file::kSize) return;
  size_t at = Get32(file, file::kFirstBlock);
  for (uint32_t i = Get16(file, file::kBlockCount); i > 0; --i) {
    if (at + block::kHeaderSize > file.size()) break;
    const size_t size = Get32(file, at + block::kSize);
    if (size < block::kHeaderSize || at + size > file.size()) break;
    UpdateBlockChecksum(file, at);
    at += size;
  }
  UpdateNavigationChecksum(file);
  UpdateHeaderChecksum(file);
}

bool SlotOnGrid(size_t offset) {
  if (offset < nav::kInitialArea)
    return offset >= nav::kSize && (offset - nav::kSize) % slot::kSize == 0 &&
           offset + slot::kSize <= nav::kInitialArea;
  const size_t inPage = offset % kPage;
  return inPage % slot::kSize == 0 && inPage + slot::kSize <= kPage;
}

size_t SlotRegionEnd(size_t offset) {
  return offset < nav::kInitialArea ? nav::kInitialArea : (offset / kPage + 1) * kPage;
}

size_t NextGridSlot(size_t offset) {
  const size_t next = offset + slot::kSize;
  return next + slot::kSize <= SlotRegionEnd(next) ? next : SlotRegionEnd(next);
}

bool SlotReadable(size_t offset, size_t areaSize) { return offset + slot::kSize + nav::kLibcregSlack <= areaSize; }

bool RecountBlock(std::string& file, size_t blockStart) {
  if (blockStart + block::kHeaderSize > file.size()) return false;
  const size_t size = Get32(file, blockStart + block::kSize);
  if (size < block::kHeaderSize || size > file.size() - blockStart) return false;
  std::vector<bool> ids(kMaxId + 2, false);
  uint32_t unused = 0;
  uint32_t lastFree = kNone;
  size_t at = block::kHeaderSize;
  while (at < size) {
    if (size - at < entry::kHeaderSize) return false;
    const size_t e = blockStart + at;
    const uint32_t entrySize = Get32(file, e + entry::kSize);
    if (entrySize < entry::kHeaderSize || entrySize > size - at) return false;
    const uint32_t id = Get16(file, e + entry::kId);
    if (id == kNoId) {
      unused += entrySize;
      lastFree = static_cast<uint32_t>(at);
    } else {
      ids[std::min<uint32_t>(id, kMaxId + 1)] = true;
    }
    at += entrySize;
  }
  uint32_t maxId = 0;
  uint32_t firstFree = kMaxId + 1;
  for (uint32_t id = 0; id <= kMaxId; ++id) {
    if (ids[id]) maxId = id;
    if (!ids[id] && firstFree > kMaxId) firstFree = id;
  }
  Put32(file, blockStart + block::kUnused, unused);
  Put32(file, blockStart + block::kFreeOffset, lastFree);
  Put16(file, blockStart + block::kMaxId, maxId);
  Put16(file, blockStart + block::kFirstFreeId, firstFree);
  return true;
}

bool EntryHoldsValues(std::string_view entry, size_t limit) {
  size_t at = entry::kName + Get16(entry, entry::kNameSize);
  for (uint32_t i = Get16(entry, entry::kValueCount); i > 0 && at <= limit; --i) {
    if (at + value::kHeaderSize > limit) return false;
    at += value::kHeaderSize + Get16(entry, at + value::kNameSize) + Get16(entry, at + value::kDataSize);
  }
  return at <= limit;
}

void RecountBlocks(std::string& file) {
  if (file.size() < file::kSize) return;
  for (size_t at = Get32(file, file::kFirstBlock); RecountBlock(file, at);) at += Get32(file, at + block::kSize);
}

void RelinkFreeSlots(std::string& file) {
  if (file.size() < nav::kAt + nav::kSize) return;
  const size_t area = std::min<size_t>(Get32(file, nav::kAt + nav::kAreaSize), file.size() - nav::kAt);
  size_t link = nav::kAt + nav::kFreeHead;
  for (size_t at = nav::kSize; at + slot::kSize <= area;) {
    if (Get32(file, nav::kAt + at + slot::kState) != slot::kFree) {
      at = NextGridSlot(at);
      continue;
    }
    const size_t run = at;
    const size_t regionEnd = SlotRegionEnd(run);
    while (at + slot::kSize <= regionEnd && at + slot::kSize <= area &&
           Get32(file, nav::kAt + at + slot::kState) == slot::kFree)
      at += slot::kSize;
    Put32(file, link, static_cast<uint32_t>(run));
    Put32(file, nav::kAt + run + slot::kRunSize, static_cast<uint32_t>(at - run));
    link = nav::kAt + run + slot::kNextFree;
    if (at + slot::kSize > regionEnd) at = regionEnd;
  }
  Put32(file, link, kNone);
}

std::string NameEntryBytes(std::string_view name, const std::vector<RegValue>& values, uint32_t id, uint32_t block) {
  std::string bytes;
  Append32(bytes, 0);
  Append16(bytes, id);
  Append16(bytes, block);
  Append32(bytes, 0);
  Append16(bytes, static_cast<uint32_t>(name.size()));
  Append16(bytes, static_cast<uint32_t>(values.size()));
  Append32(bytes, 0);
  bytes += name;
  for (const auto& v : values) {
    Append32(bytes, v.type);
    Append32(bytes, 0);
    Append16(bytes, static_cast<uint32_t>(v.name.size()));
    Append16(bytes, static_cast<uint32_t>(v.data.size()));
    bytes += v.name;
    bytes += v.data;
  }
  Put32(bytes, entry::kSize, static_cast<uint32_t>(bytes.size()));
  Put32(bytes, entry::kUsedSize, static_cast<uint32_t>(bytes.size()));
  return bytes;
}

std::string KeySlotBytes(uint32_t hash, uint32_t parent, uint32_t child, uint32_t next, uint32_t id, uint32_t block) {
  std::string bytes;
  Append32(bytes, slot::kInUse);
  Append32(bytes, hash);
  Append32(bytes, kNone);
  Append32(bytes, parent);
  Append32(bytes, child);
  Append32(bytes, next);
  Append16(bytes, id);
  Append16(bytes, block);
  return bytes;
}

std::string FreeRecordBytes(size_t size) {
  std::string bytes(size, '\0');
  Put32(bytes, entry::kSize, static_cast<uint32_t>(size));
  Put16(bytes, entry::kId, kNoId);
  Put16(bytes, entry::kBlock, kNoId);
  Put32(bytes, entry::kUsedSize, kNone);
  return bytes;
}

std::string FileHeaderBytes(size_t areaSize, size_t blockCount, uint32_t flags, uint32_t unknown20) {
  std::string bytes(file::kMagic);
  bytes.resize(file::kSize, '\0');
  Put16(bytes, file::kMajorVersion, 1);
  Put32(bytes, file::kFirstBlock, static_cast<uint32_t>(nav::kAt + areaSize));
  Put16(bytes, file::kBlockCount, static_cast<uint32_t>(blockCount));
  Put16(bytes, file::kFlags, flags);
  Put32(bytes, file::kUnknown20, unknown20);
  return bytes;
}

}  // namespace w95::creg

namespace w95 {

// Byte by byte, as the hashes of existing files were computed: a trail byte in
// the letter range counts as its upper-case letter.
uint32_t CregNameHash(std::string_view name) {
  uint32_t hash = 0;
  for (char c : name) {
    const auto upper = static_cast<unsigned char>(UpperTextByte(c));
    if (upper < 0x80) hash += upper;
  }
  return hash;
}

}  // namespace w95
