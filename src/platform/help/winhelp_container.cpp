#include "platform/help/winhelp_container.h"

#include <vector>

#include "platform/help/winhelp_bytes.h"

namespace w95::winhelp {

namespace {

constexpr size_t kBTreeHeaderSize = 38;
constexpr size_t kLeafHeaderSize = 8;
constexpr size_t kIndexHeaderSize = 6;

// The bytes of the internal file whose header starts at `offset`.
std::optional<std::string_view> InternalFile(std::string_view bytes, uint32_t offset) {
  ByteReader header(bytes, offset);
  header.U32();  // reserved space
  const uint32_t used = header.U32();
  header.U8();  // flags
  std::string_view contents = header.Bytes(used);
  if (!header.ok()) return std::nullopt;
  return contents;
}

}  // namespace

bool ForEachBTreeEntry(std::string_view tree, const std::function<bool(ByteReader&)>& entry) {
  ByteReader header(tree);
  if (header.U16() != kBTreeMagic) return false;
  header.U16();  // flags
  const uint16_t pageSize = header.U16();
  header.Skip(16 + 2 + 2);  // structure, must-be-zero, page splits
  int page = header.U16();  // root
  header.Skip(2 + 2);       // must-be-minus-one, total pages
  const int levels = header.U16();
  if (!header.ok() || pageSize < kLeafHeaderSize) return false;
  const std::string_view pages = tree.substr(kBTreeHeaderSize);
  const size_t pageCount = pages.size() / pageSize;
  if (levels == 0) return true;  // an empty tree
  // Down the first child of each index page to the first leaf.
  for (int level = 1; level < levels; ++level) {
    if (static_cast<size_t>(page) >= pageCount || level > 64) return false;
    ByteReader index(pages.substr(size_t(page) * pageSize, pageSize), kIndexHeaderSize - 2);
    page = index.U16();
  }
  // Along the leaves; each page is visited at most once.
  std::vector<bool> seen(pageCount);
  while (page != 0xFFFF) {
    if (static_cast<size_t>(page) >= pageCount || seen[page]) return false;
    seen[page] = true;
    ByteReader leaf(pages.substr(size_t(page) * pageSize, pageSize));
    leaf.U16();  // free bytes
    const int entries = leaf.I16();
    leaf.U16();  // previous page
    const int next = leaf.U16();
    if (entries < 0) return false;
    for (int i = 0; i < entries; ++i) {
      if (!entry(leaf) || !leaf.ok()) return false;
    }
    page = next;
  }
  return true;
}

std::optional<Container> Container::Open(std::string_view bytes) {
  ByteReader header(bytes);
  if (header.U32() != kHelpFileMagic) return std::nullopt;
  const uint32_t directoryStart = header.U32();
  if (!header.ok()) return std::nullopt;
  auto directory = InternalFile(bytes, directoryStart);
  if (!directory) return std::nullopt;
  Container container;
  container.bytes_ = bytes;
  bool read = ForEachBTreeEntry(*directory, [&](ByteReader& leaf) {
    std::string_view name = leaf.Stringz();
    uint32_t offset = leaf.U32();
    container.directory_.emplace(std::string(name), offset);
    return leaf.ok();
  });
  if (!read) return std::nullopt;
  return container;
}

std::optional<std::string_view> Container::File(std::string_view name) const {
  auto found = directory_.find(name);
  if (found == directory_.end()) return std::nullopt;
  return InternalFile(bytes_, found->second);
}

}  // namespace w95::winhelp
