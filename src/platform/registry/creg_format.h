// The CREG format of Windows 95's binary hives (SYSTEM.DAT, USER.DAT): every
// record's fields by name, little-endian access to them, the checksums and the
// name hash. The reader, the writers and the check take offsets from here
// only. Offsets are from the start of their record; key offsets in links are
// relative to the navigation record (RGKN).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/registry/reg_hive.h"

namespace w95::creg {

inline constexpr uint32_t kNone = 0xFFFFFFFF;    // no key, no free run, no free record
inline constexpr uint32_t kNoId = 0xFFFF;        // no name entry; the id and block of a free record
inline constexpr uint32_t kMaxId = 254;          // a block holds name entries 0 to 254
inline constexpr uint32_t kChecksumValid = 0x4;  // in the flags of CREG, RGKN and RGDB
inline constexpr size_t kPage = 4096;            // the step of the navigation area and of blocks
// Keys nest a few dozen levels at most; a deeper chain is a loop in a damaged file.
inline constexpr int kMaxDepth = 512;

// File header, at 0.
namespace file {
inline constexpr std::string_view kMagic = "CREG";
inline constexpr size_t kSize = 32;
inline constexpr size_t kMinorVersion = 4;  // 16 bits, 0
inline constexpr size_t kMajorVersion = 6;  // 16 bits, 1
inline constexpr size_t kFirstBlock = 8;    // = kNavigation + the navigation area's size
inline constexpr size_t kChecksum = 12;     // with kChecksumValid: the header's dwords add up to 0
inline constexpr size_t kBlockCount = 16;   // 16 bits
inline constexpr size_t kFlags = 18;        // 16 bits
inline constexpr size_t kUnknown20 = 20;    // 0x10000 or 0x800000 on real files
inline constexpr uint32_t kUnknown20Value = 0x10000;
}  // namespace file

// Navigation header ("RGKN"), at kNavigation; the key slots follow it.
namespace nav {
inline constexpr std::string_view kMagic = "RGKN";
inline constexpr size_t kAt = 32;  // file offset of the record
inline constexpr size_t kSize = 32;
inline constexpr size_t kAreaSize = 4;   // the whole navigation area, this header included
inline constexpr size_t kRoot = 8;       // the root key's offset, 0x20
inline constexpr size_t kFreeHead = 12;  // the first free run, or kNone
inline constexpr size_t kFlags = 16;
inline constexpr size_t kChecksum = 20;       // with kChecksumValid: the area's dwords add up to 0
inline constexpr size_t kInitialArea = 8192;  // then grown by kPage
// libcreg reads key slots only up to the area's size less this.
inline constexpr size_t kLibcregSlack = 32;
}  // namespace nav

// Key slot, 28 bytes: a key in use, or the first slot of a run of free slots.
namespace slot {
inline constexpr size_t kSize = 28;
inline constexpr size_t kState = 0;  // kInUse or kFree
inline constexpr uint32_t kInUse = 0;
inline constexpr uint32_t kFree = 0x80000000;
inline constexpr size_t kHash = 4;      // in use: CregNameHash of its name
inline constexpr size_t kRunSize = 4;   // free: the run's size in bytes
inline constexpr size_t kNextFree = 8;  // free: the next run, or kNone; in use: kNone
inline constexpr size_t kParent = 12;
inline constexpr size_t kChild = 16;  // first subkey
inline constexpr size_t kNext = 20;   // next sibling
inline constexpr size_t kId = 24;     // 16 bits: the name entry's id, kNoId for the root
inline constexpr size_t kBlock = 26;  // 16 bits: the block's index, kNoId for the root
}  // namespace slot

// Data block header ("RGDB"); name entries and free records follow it.
namespace block {
inline constexpr std::string_view kMagic = "RGDB";
inline constexpr size_t kHeaderSize = 32;
inline constexpr size_t kSize = 4;          // the whole block, header included
inline constexpr size_t kUnused = 8;        // the free records' sizes added up
inline constexpr size_t kFlags = 12;        // 16 bits
inline constexpr size_t kIndex = 14;        // 16 bits: the block's place in the file
inline constexpr size_t kFreeOffset = 16;   // a free record's offset in the block, or kNone when unused is 0
inline constexpr size_t kMaxId = 20;        // 16 bits: the highest id in use
inline constexpr size_t kFirstFreeId = 22;  // 16 bits: the smallest id not in use
inline constexpr size_t kUnknown24 = 24;
inline constexpr size_t kChecksum = 28;  // with kChecksumValid: the block's dwords add up to 0
inline constexpr size_t kMaxSize = 65536;
inline constexpr uint32_t kFlagsValue = 8;  // seen on real files; | kChecksumValid when kept
}  // namespace block

// Name entry of a key (or a free record), inside a block.
namespace entry {
inline constexpr size_t kHeaderSize = 20;
inline constexpr size_t kSize = 0;         // the whole entry, slack included
inline constexpr size_t kId = 4;           // 16 bits; kNoId for a free record
inline constexpr size_t kBlock = 6;        // 16 bits: the block's index; kNoId for a free record
inline constexpr size_t kUsedSize = 8;     // header, name and values; kNone for a free record
inline constexpr size_t kNameSize = 12;    // 16 bits
inline constexpr size_t kValueCount = 14;  // 16 bits
inline constexpr size_t kZero = 16;
inline constexpr size_t kName = 20;
}  // namespace entry

// Value, inside a name entry after the name.
namespace value {
inline constexpr size_t kHeaderSize = 12;
inline constexpr size_t kType = 0;
inline constexpr size_t kZero = 4;
inline constexpr size_t kNameSize = 8;   // 16 bits
inline constexpr size_t kDataSize = 10;  // 16 bits
}  // namespace value

// Little-endian fields; the caller keeps `at` within the bytes.
inline uint32_t Get16(std::string_view b, size_t at) {
  return static_cast<unsigned char>(b[at]) | static_cast<uint32_t>(static_cast<unsigned char>(b[at + 1])) << 8;
}
inline uint32_t Get32(std::string_view b, size_t at) { return Get16(b, at) | Get16(b, at + 2) << 16; }
inline void Put16(std::string& b, size_t at, uint32_t v) {
  b[at] = static_cast<char>(v & 0xFF);
  b[at + 1] = static_cast<char>((v >> 8) & 0xFF);
}
inline void Put32(std::string& b, size_t at, uint32_t v) {
  Put16(b, at, v & 0xFFFF);
  Put16(b, at + 2, v >> 16);
}
inline void Append16(std::string& b, uint32_t v) {
  b.append(2, '\0');
  Put16(b, b.size() - 2, v);
}
inline void Append32(std::string& b, uint32_t v) {
  b.append(4, '\0');
  Put32(b, b.size() - 4, v);
}

// The 32-bit sum of the little-endian dwords of `bytes` (a last partial dword
// padded with zeros).
uint32_t DwordSum(std::string_view bytes);
// The checksum field's value that makes the record's dwords add up to 0: the
// file header (of `file`), the navigation area, the block at `blockStart`.
// Each is computed with the checksum field itself taken as 0.
uint32_t HeaderChecksum(std::string_view file);
uint32_t NavigationChecksum(std::string_view file);
uint32_t BlockChecksum(std::string_view file, size_t blockStart);
// Sets every checksum whose flag says it is kept (header, navigation area,
// each block found from the header's first block and count); other bytes stay.
void UpdateChecksums(std::string& file);
void UpdateHeaderChecksum(std::string& file);
void UpdateNavigationChecksum(std::string& file);
void UpdateBlockChecksum(std::string& file, size_t blockStart);

// Where Windows puts key slots (offsets relative to RGKN): one after another
// from the root in the first 8 KiB, then from the start of each 4 KiB page,
// none crossing its page's end.
bool SlotOnGrid(size_t offset);
// The end of the grid's region holding `offset`: 8 KiB, or the end of its page.
size_t SlotRegionEnd(size_t offset);
// The grid slot after the one at `offset`.
size_t NextGridSlot(size_t offset);
// Whether a key in the slot at `offset` of an area of `areaSize` bytes is one
// libcreg reads (it stops kLibcregSlack short of the area's end).
bool SlotReadable(size_t offset, size_t areaSize);

// Sets a block's unused size, free offset (its last free record, or kNone),
// highest id and first free id from the entries it holds; false (nothing
// changed) when the entries do not fill the block exactly.
bool RecountBlock(std::string& file, size_t blockStart);
// RecountBlock on every block from the header's first block on, up to the
// first one whose records do not fill it.
void RecountBlocks(std::string& file);
// Links every free slot of the grid (state slot::kFree) into runs: the
// neighbouring free slots of one region form a run, the runs are listed in
// the order of the area from the RGKN header's free-list head. Only the
// first slot of each run and the head change.
void RelinkFreeSlots(std::string& file);

// Whether a name entry's name and values lie within its first `limit` bytes
// (`entry` from its first byte, at least a header long).
bool EntryHoldsValues(std::string_view entry, size_t limit);

// A name entry for a key of that name and values (entry size = used size).
std::string NameEntryBytes(std::string_view name, const std::vector<RegValue>& values, uint32_t id, uint32_t block);
// A key slot in use.
std::string KeySlotBytes(uint32_t hash, uint32_t parent, uint32_t child, uint32_t next, uint32_t id, uint32_t block);
// A free record of `size` bytes (at least entry::kHeaderSize): no name, no values.
std::string FreeRecordBytes(size_t size);
// The CREG header (version 1.0) of a file whose navigation area is `areaSize`
// bytes and which has `blockCount` blocks; its checksum is left to UpdateChecksums.
std::string FileHeaderBytes(size_t areaSize, size_t blockCount, uint32_t flags,
                            uint32_t unknown20 = file::kUnknown20Value);

// The names above without their prefix, for the code that reads and writes
// the format (`using namespace creg::names;`).
namespace names {
using creg::Append16;
using creg::Append32;
using creg::Get16;
using creg::Get32;
using creg::kMaxDepth;
using creg::kNoId;
using creg::kNone;
using creg::Put16;
using creg::Put32;
namespace nav = creg::nav;
namespace slot = creg::slot;
namespace blk = creg::block;
namespace ent = creg::entry;
namespace val = creg::value;
}  // namespace names

}  // namespace w95::creg

namespace w95 {

// The navigation hash of one key name: the upper-cased bytes below 0x80 added up.
uint32_t CregNameHash(std::string_view name);

}  // namespace w95
