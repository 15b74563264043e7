// SYSTEM.INI read whole as text, for the edits that the profile functions cannot
// express (several device= keys of the same name). The [386Enh] section text
// starts at the end of the line of the first "[386Enh]" (any case) that opens a
// line (after blanks only: a "[386Enh]" in a comment is no header), with that
// line's end, so that text after the header on its line is no part of it; it
// ends before the next '[' (or at the end of the file).
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "platform/base/win_types.h"

namespace dxl {

struct SystemIniText {
  std::string bytes;
  std::optional<size_t> sectionOffset;  // where the header's line ends; none without one
  size_t sectionEnd = 0;

  std::string_view Section() const;
};

// "<windows directory>\SYSTEM.INI".
std::string SystemIniPath();

// Reads SYSTEM.INI through a handle opened with `access` (sharing read and
// write); nullopt when it cannot be opened, sized or read.
std::optional<SystemIniText> ReadSystemIniText(w95::DWORD access);

// Replaces SYSTEM.INI with `bytes` atomically.
bool ReplaceSystemIni(std::string_view bytes);

// Codes 0 to 31 and 127.
bool IsControlCharacter(char c);

// Where the line holding position `at` of `section` starts: walks back while
// the position is past the second character and the character before it is
// not a control character.
size_t LineStart(std::string_view section, size_t at);

}  // namespace dxl
