// The container of a help file: a header, then internal files (|SYSTEM,
// |TOPIC, ...) found through a directory kept as a B+ tree.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>

#include "platform/help/winhelp_bytes.h"

namespace w95::winhelp {

constexpr uint32_t kHelpFileMagic = 0x00035F3F;
constexpr uint16_t kBTreeMagic = 0x293B;

// Calls `entry` on each entry of the leaf pages of a B+ tree (the internal
// file's bytes, BTREEHEADER first), in order. `entry` reads one entry from the
// reader it is given (which holds the rest of the page) and returns false when
// it cannot. False when the tree is damaged, or `entry` refused.
bool ForEachBTreeEntry(std::string_view tree, const std::function<bool(ByteReader&)>& entry);

class Container {
 public:
  // nullopt when `bytes` is not a help file or its directory is damaged.
  static std::optional<Container> Open(std::string_view bytes);

  // The contents of an internal file (its header's used space), or nullopt
  // when it is absent or does not lie within the file.
  std::optional<std::string_view> File(std::string_view name) const;

 private:
  std::string_view bytes_;
  std::map<std::string, uint32_t, std::less<>> directory_;  // name -> offset of its header
};

}  // namespace w95::winhelp
