// Conversion between code page 936 (the system's ANSI code page) and UTF-8.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace w95 {

// nullopt when the input is not valid in its encoding or has no counterpart.
std::optional<std::string> Cp936ToUtf8(std::string_view cp936);
std::optional<std::string> Utf8ToCp936(std::string_view utf8);

// For display: invalid bytes become U+FFFD instead of failing.
std::string Cp936ToUtf8Lossy(std::string_view cp936);

}  // namespace w95
