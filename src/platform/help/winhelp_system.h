// |SYSTEM: the help file's version, how its topics are compressed, its title
// and character set.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace w95::winhelp {

constexpr uint16_t kSystemMagic = 0x036C;
// Minor versions: Windows 3.0's compiler wrote 15, Windows 3.1's 21, Windows 95's 33.
constexpr uint16_t kMinorWin31 = 21;
constexpr uint16_t kMinorWin95 = 33;
// Flags of files above 3.0: how the topic blocks are stored.
constexpr uint16_t kTopicsPlain4k = 0;
constexpr uint16_t kTopicsLz77_4k = 4;
constexpr uint16_t kTopicsLz77_2k = 8;
// |SYSTEM record types read here.
constexpr uint16_t kRecordTitle = 1;
constexpr uint16_t kRecordCharset = 11;
constexpr uint8_t kGb2312Charset = 134;

struct SystemInfo {
  uint16_t minor = 0;
  uint16_t flags = 0;
  std::string title;    // in the file's code page
  uint8_t charset = 0;  // DEFAULT_CHARSET unless the file names one
  size_t topicBlockSize = 0;
  bool lz77 = false;
  // The bytes one topic block holds once expanded.
  size_t ExpandedBlockSize() const { return lz77 ? 0x4000 : topicBlockSize - 12; }
};

// nullopt for a damaged header or a version read here not (3.0 files).
std::optional<SystemInfo> ReadSystem(std::string_view system);

}  // namespace w95::winhelp
