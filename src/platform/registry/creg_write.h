// Writing binary hives of Windows 95 (the CREG format): a whole file from a
// tree (for new machines), and the smallest change of an existing file that
// turns one tree into another.
//
// The change keeps every byte it does not concern. A key's values live in one
// entry of a data block: when the entry still holds them it is rewritten where
// it is (a value of the same size changes only its data bytes); otherwise the
// entry grows inside its block, or moves to the last block (or a new block)
// when its block would pass 64 KiB. A new key gets a navigation entry after
// the last one in use and is linked as its parent's last subkey. A removed
// key is unlinked from its parent; its entries stay as unreachable bytes.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "platform/registry/creg_format.h"
#include "platform/registry/creg_serialize.h"
#include "platform/registry/reg_hive.h"

namespace w95 {

// `bytes` is a file that reads as `before`; returns the file that reads as
// `after`, or nothing when the file's structure does not allow the change
// (values of the root key, or an inconsistent file).
std::optional<std::string> PatchCreg(std::string bytes, const RegNode& before, const RegNode& after);
// The same for an `after` read from `bytes` (creg_read.h) and changed since: the
// file itself tells what it read as.
std::optional<std::string> PatchCreg(std::string bytes, const RegNode& after);

}  // namespace w95
