// Formatting of messages: printf manner (%s, %d, with flags, width and
// precision) and by position (%1 to %9), as the string table's texts need.
// Arguments are typed, so a message can never read what it was not given:
// a conversion without an argument formats as nothing.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <variant>

namespace dxl {

using FormatArg = std::variant<std::string_view, std::int64_t>;

// %s takes text, %d %i %u %x %X %c take numbers (a text argument to a number
// conversion, or the reverse, formats as nothing); "l" and "h" are accepted
// and ignored; %% is a percent sign.
std::string FormatPrintf(std::string_view format, std::initializer_list<FormatArg> args);

// %1 ... %9 are replaced by the arguments of that position (empty when there
// is no such argument); every other character stands as it is.
std::string FormatPositional(std::string_view format, std::initializer_list<std::string_view> args);

}  // namespace dxl
