// Changing binary hives of Windows 95 (the CREG format): the smallest change
// of an existing file that turns one tree into another, keeping every rule of
// the bookkeeping Windows' own registry relies on (docs/registry.md, "The
// binary hives of a real installation").
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/registry/creg_format.h"
#include "platform/registry/creg_read.h"
#include "platform/registry/creg_serialize.h"
#include "platform/registry/reg_hive.h"

namespace w95 {

// `bytes` is a file that reads as `before`; returns the file that reads as
// `after`, or nothing when the file's structure does not allow the change
// (values of the root key, a value or entry too large for the format, an
// inconsistent file). `changes` (when given) receives the keys changed, added
// and deleted.
std::optional<std::string> PatchCreg(std::string bytes, const RegNode& before, const RegNode& after,
                                     std::vector<CregChange>* changes = nullptr);
// The same for an `after` read from `bytes` by the program's reader
// (creg_read.h) and changed since: the file itself tells what it read as.
std::optional<std::string> PatchCreg(std::string bytes, const RegNode& after,
                                     std::vector<CregChange>* changes = nullptr);

}  // namespace w95
