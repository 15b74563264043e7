// DXLQ7SET.INF, the set-up information, read whole and split into the file
// lists that VerifySetupFiles verifies.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace dxl {

// The whole file as text, up to its first NUL; nullopt when it cannot be read.
std::optional<std::string> ReadSetupInformation(const std::string& path);

// The text of the first section whose header matches exactly (`header` with
// its brackets, "[Win4System]"): from just after its '[' to the next '[' or
// the end of the text; nullopt when no header matches.
std::optional<std::string> SetupSectionText(const std::string& text, std::string_view header);

}  // namespace dxl
