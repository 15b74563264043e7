// Whole values and key lists of WIN.INI, however long: the profile calls are
// repeated with a larger buffer until nothing is cut off.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace dxl {

// The value of `key` in WIN.INI [`section`]; empty when it is missing.
std::string ReadWinIniValue(std::string_view section, std::string_view key);

// The key names of WIN.INI [`section`], in file order; empty names left out.
std::vector<std::string> ReadWinIniKeys(std::string_view section);

}  // namespace dxl
