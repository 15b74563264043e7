// The common Save-As dialog (GetSaveFileNameA) of the emulated machine.
#pragma once

#include <string>

#include "platform/base/win_types.h"

namespace w95 {

constexpr DWORD OFN_OVERWRITEPROMPT = 0x00000002;
constexpr DWORD OFN_HIDEREADONLY = 0x00000004;
constexpr DWORD OFN_PATHMUSTEXIST = 0x00000800;

struct OpenFileNameA {
  // Pairs of description and pattern, each ended by a NUL ("*.*\0*.*\0").
  std::string filter;
  std::string file;  // in: initial name; out: the chosen full path
  DWORD maxFile = kMaxPath;
  std::string fileTitle;  // out: the name part of the chosen path
  std::string initialDir;
  std::string title;  // empty: the platform's default title
  DWORD flags = 0;
  std::string defExt;
};

// Nonzero when the user chose a name. A chosen path that does not fit
// `maxFile` bytes (NUL included) counts as no choice.
BOOL GetSaveFileNameA(OpenFileNameA& request);

}  // namespace w95
