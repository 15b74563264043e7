// Reading and writing the REGEDIT4 text format, the export format of Windows
// 95's regedit, in which the emulated machine keeps its registry hives.
//
// The reader is strict: a line it cannot interpret is an error (with its line
// number) instead of being skipped, so that a hive is never rewritten with data
// silently missing. The writer produces what regedit writes: CR LF line ends,
// a blank line before every key, REG_SZ as "text", REG_DWORD of 4 bytes as
// dword:%08x, everything else as hex:/hex(N): wrapped after column 77. Keys that
// have not changed since they were read are written back byte for byte.
#pragma once

#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/registry/reg_hive.h"

namespace w95 {

// A root name that a hive file may use, and where its keys live in the hive
// ("HKEY_CLASSES_ROOT" -> "SOFTWARE\Classes" in the machine hive).
struct RegRootName {
  std::string_view name;
  std::string_view prefix;
};

struct RegParseError {
  size_t line = 0;  // 1-based
  std::string reason;
};

// Reads `bytes` into `hive` (which should be empty). An empty input is an
// empty hive. On error the hive is left in an unspecified state.
std::optional<RegParseError> ParseRegedit4(std::string_view bytes, std::span<const RegRootName> roots, RegHive& hive);
// The same, the hive keeping `bytes` themselves instead of a copy.
std::optional<RegParseError> ParseRegedit4Owned(std::string bytes, std::span<const RegRootName> roots, RegHive& hive);

// The values that the lines of one key's original text (as the reader took it)
// give, into `values`.
void ParseRegedit4Values(std::string_view text, std::vector<RegValue>& values);

// The file text of `hive`.
std::string RenderRegedit4(const RegHive& hive);

// One value as a line of the file ("name"=data), without the line end.
std::string RenderRegValue(const RegValue& value);

}  // namespace w95
