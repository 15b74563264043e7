#include "platform/help/winhelp_paragraphs.h"

#include <cstdint>

#include "platform/help/winhelp_bytes.h"

namespace w95::winhelp {

namespace {

// The NUL-ended pieces of a record's text, one at a time.
class Pieces {
 public:
  explicit Pieces(std::string_view text) : text_(text) {}
  bool AtEnd() const { return text_.empty(); }
  std::string_view Next() {
    size_t end = text_.find('\0');
    std::string_view piece = text_.substr(0, end);
    text_.remove_prefix(end == std::string_view::npos ? text_.size() : end + 1);
    return piece;
  }

 private:
  std::string_view text_;
};

// Skips the settings that start a paragraph (spacing, indents, border, tabs).
void SkipParagraphSettings(ByteReader& in) {
  in.Skip(4);
  const uint16_t bits = in.U16();
  if (bits & 0x0001) in.CompressedI32();
  for (uint16_t bit : {0x0002, 0x0004, 0x0008, 0x0010, 0x0020, 0x0040}) {
    if (bits & bit) in.CompressedI16();
  }
  if (bits & 0x0100) in.Skip(3);
  if (bits & 0x0200) {
    const int32_t tabs = in.CompressedI16();
    for (int32_t i = 0; i < tabs && in.ok(); ++i) {
      if (in.CompressedU16() & 0x4000) in.CompressedU16();
    }
  }
}

class ParagraphBuilder {
 public:
  ParagraphBuilder(std::string_view formatting, std::string_view text) : in_(formatting), pieces_(text) {}

  std::vector<std::string> Run(bool table) {
    in_.CompressedI32();  // size
    in_.CompressedU16();  // characters
    if (table) SkipTableLayout();
    bool more = true;
    while (more && in_.ok()) {
      if (table) {
        if (in_.I16() == -1) break;  // column -1: the table ends
        in_.Skip(3);
      }
      SkipParagraphSettings(in_);
      more = Commands() && table;
    }
    // Text the commands did not reach (formatting that is damaged or unknown) still shows.
    while (!pieces_.AtEnd()) current_ += pieces_.Next();
    EndParagraph(false);
    return std::move(paragraphs_);
  }

 private:
  void SkipTableLayout() {
    const uint8_t columns = in_.U8();
    const uint8_t type = in_.U8();
    if (type == 0 || type == 2) in_.Skip(2);
    in_.Skip(4u * columns);
  }

  // The commands up to 0xFF; false when they cannot be read to their end.
  bool Commands() {
    while (!pieces_.AtEnd()) {
      current_ += pieces_.Next();
      const uint8_t command = in_.U8();
      if (!in_.ok()) return false;
      switch (command) {
        case 0xFF: return true;
        case 0x20: in_.Skip(4); break;
        case 0x21:
        case 0x80: in_.Skip(2); break;
        case 0x81: current_ += "\r\n"; break;
        case 0x82: EndParagraph(true); break;
        case 0x83: current_ += '\t'; break;
        case 0x89:
        case 0x8C: break;
        case 0x8B: current_ += ' '; break;
        case 0x86:
        case 0x87:
        case 0x88: SkipPicture(); break;
        case 0xE0:
        case 0xE1:
        case 0xE2:
        case 0xE3:
        case 0xE6:
        case 0xE7: in_.Skip(4); break;
        case 0xC8:
        case 0xCC:
        case 0xEA:
        case 0xEB:
        case 0xEE:
        case 0xEF: in_.Skip(in_.U16()); break;
        default: return false;
      }
    }
    return in_.ok();
  }

  void SkipPicture() {
    const uint8_t type = in_.U8();
    const int32_t size = in_.CompressedI32();
    if (type == 0x22) in_.CompressedU16();  // hotspots
    if (size < 0) return in_.Skip(in_.left() + 1);
    in_.Skip(static_cast<size_t>(size));
  }

  void EndParagraph(bool always) {
    if (always || !current_.empty()) paragraphs_.push_back(std::move(current_));
    current_.clear();
  }

  ByteReader in_;
  Pieces pieces_;
  std::string current_;
  std::vector<std::string> paragraphs_;
};

}  // namespace

std::vector<std::string> Paragraphs(std::string_view formatting, std::string_view text, bool table) {
  return ParagraphBuilder(formatting, text).Run(table);
}

}  // namespace w95::winhelp
