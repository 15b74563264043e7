// Profile (initialisation) files with Windows 95's semantics.
//
// A file name without a backslash or slash is a file of the Windows directory.
// Sections and keys are matched without regard to case after trimming blanks;
// the first section and the first key of a name win. A null key lists the
// keys, a null section the sections (each name ended by a NUL); a null value
// deletes the key, a null key the section; all three null only flushes (every
// file's bytes are read anew at the next call). Every write replaces the file
// atomically. Parsed files are kept per machine (ini_cache.h) and checked with
// one stat per call; docs/profile.md, "Kept files".
//
// `out` receives what Windows copies into a buffer of `size` bytes, without the
// terminating NUL. A value: its size is the returned count; one that does not
// fit is cut to size - 1 characters. A list (as Windows 95 has it): each name
// ended by a NUL; the count includes the list's final NUL (so it is out's size
// + 1, and 1 for an empty list); one that does not fit answers size - 2 and
// holds, for sections, the whole names that fit, for keys, the list's first
// size - 3 bytes (cut inside a name) and a NUL.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "platform/base/win_types.h"

namespace w95 {

using OptionalText = std::optional<std::string_view>;

DWORD GetPrivateProfileStringA(OptionalText section, OptionalText key, OptionalText defaultValue, std::string& out,
                               DWORD size, std::string_view fileName);
UINT GetPrivateProfileIntA(std::string_view section, std::string_view key, int defaultValue, std::string_view fileName);
BOOL WritePrivateProfileStringA(OptionalText section, OptionalText key, OptionalText value, OptionalText fileName);

// The same on the user's WIN.INI.
DWORD GetProfileStringA(OptionalText section, OptionalText key, OptionalText defaultValue, std::string& out,
                        DWORD size);
UINT GetProfileIntA(std::string_view section, std::string_view key, int defaultValue);
BOOL WriteProfileStringA(OptionalText section, OptionalText key, OptionalText value);

// Not a call of Windows: each key of [`section`], in the order a null key
// lists them, with the value GetPrivateProfileStringA answers for it (a view
// valid during the visit), from one look at the file (one stat, as one call
// makes) instead of the list and then one call per key. As a reader of the
// list finds them: a name is cut at a NUL byte, and empty names are left out.
using ProfileValueVisit = std::function<void(std::string_view key, std::string_view value)>;
void VisitPrivateProfileValues(std::string_view section, std::string_view fileName, const ProfileValueVisit& visit);
void VisitProfileValues(std::string_view section, const ProfileValueVisit& visit);

// The Windows path a profile file name stands for.
std::string ProfileFilePath(std::string_view fileName);

}  // namespace w95
