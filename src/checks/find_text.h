// Case-insensitive search used by the "contains" tests of the configuration checks.
#pragma once

#include <cstddef>
#include <optional>
#include <string_view>

namespace dxl {

// First position of `pattern` in `text`, comparing bytewise with ASCII A-Z folded
// to a-z (every other byte, including both bytes of a double-byte character, must
// match exactly). None when the pattern is empty or does not occur.
std::optional<size_t> FindTextNoCase(std::string_view text, std::string_view pattern);

}  // namespace dxl
