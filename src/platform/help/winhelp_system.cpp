#include "platform/help/winhelp_system.h"

#include "platform/help/winhelp_bytes.h"

namespace w95::winhelp {

std::optional<SystemInfo> ReadSystem(std::string_view system) {
  ByteReader in(system);
  SystemInfo info;
  const uint16_t magic = in.U16();
  info.minor = in.U16();
  const uint16_t major = in.U16();
  in.U32();  // date of generation
  info.flags = in.U16();
  if (!in.ok() || magic != kSystemMagic || major != 1 || info.minor <= 16) return std::nullopt;
  switch (info.flags) {
    case kTopicsPlain4k: info.topicBlockSize = 0x1000; break;
    case kTopicsLz77_4k: info.topicBlockSize = 0x1000, info.lz77 = true; break;
    default: info.topicBlockSize = 0x800, info.lz77 = true; break;  // 8, and what other compilers wrote
  }
  while (in.left() >= 4) {
    const uint16_t type = in.U16();
    ByteReader data(in.Bytes(in.U16()));
    if (!in.ok()) break;  // a record cut by the end: the records before it count
    if (type == kRecordTitle && info.title.empty()) {
      std::string_view title = data.Stringz();
      if (data.ok()) info.title = title;
    } else if (type == kRecordCharset) {
      info.charset = data.U8();
    }
  }
  return info;
}

}  // namespace w95::winhelp
