// The LZ77 variant of help files (topic blocks, phrase texts): a flag byte,
// low bit first, says for each of the next eight items whether it is a
// literal byte or a two-byte reference (length 3 to 18, distance 1 to 4096).
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace w95::winhelp {

// The bytes `packed` stands for, at most `limit` of them: output stops there
// (help compilers pad a full block with zeros that would expand further).
// nullopt when a reference reaches before the start.
std::optional<std::string> Lz77Expand(std::string_view packed, size_t limit);

}  // namespace w95::winhelp
