// Writes WinHelp files as Windows 95's help compiler lays them out: the
// container and its directory, |SYSTEM, |CTXOMAP and |TOPIC in LZ77-packed
// 4 KiB blocks. Plain text only: one paragraph record per paragraph, no fonts,
// phrases, keywords or pictures.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace dxl::tools {

struct WinHelpTopic {
  uint32_t context;                     // its number in |CTXOMAP
  std::string title;                    // in the file's code page
  std::vector<std::string> paragraphs;  // likewise
};

struct WinHelpSource {
  std::string title;
  uint8_t charset = 0;  // |SYSTEM's character set (134: GB2312)
  std::vector<WinHelpTopic> topics;
};

std::string WriteWinHelpFile(const WinHelpSource& source);

}  // namespace dxl::tools
