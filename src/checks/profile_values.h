// Whole values of WIN.INI, however long: the profile call is repeated with a
// larger buffer until nothing is cut off.
#pragma once

#include <string>
#include <string_view>

namespace dxl {

// The value of `key` in WIN.INI [`section`]; empty when it is missing.
std::string ReadWinIniValue(std::string_view section, std::string_view key);

}  // namespace dxl
