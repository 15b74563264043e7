// The SHA-256 digest by which the undo record and the summary name a file's bytes.
#pragma once

#include <string>
#include <string_view>

namespace dxl {

// Lower-case hexadecimal, 64 characters.
std::string Sha256Hex(std::string_view bytes);

}  // namespace dxl
