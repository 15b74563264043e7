// The temporary files of atomic replaces that a killed run left behind.
//
// A replace of NAME writes ".NAME.XXXXXX" beside it (six letters or digits, as
// mkstemp makes them) and renames that over NAME; a run killed in between
// leaves the hidden file. The next replace of NAME removes such leftovers, and
// only regular files that match that scheme exactly.
#pragma once

#include <filesystem>
#include <string_view>

namespace w95 {

// Whether `entry` is a name the replace of `target` could have left.
bool IsReplaceLeftover(std::string_view target, std::string_view entry);

// Removes the leftovers beside `target`; each target's directory is looked
// through once per process.
void RemoveReplaceLeftovers(const std::filesystem::path& target);

}  // namespace w95
