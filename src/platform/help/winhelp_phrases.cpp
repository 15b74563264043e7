#include "platform/help/winhelp_phrases.h"

#include <algorithm>

#include "platform/help/winhelp_bytes.h"
#include "platform/help/winhelp_lz77.h"

namespace w95::winhelp {

namespace {

// A phrase table larger than this is taken for damage.
constexpr size_t kMaxPhraseText = size_t{4} << 20;

// The bits of |PhrIndex after its header, 32-bit words, low bit first.
class BitReader {
 public:
  explicit BitReader(std::string_view bytes) : in_(bytes) {}
  bool ok() const { return in_.ok(); }
  bool Bit() {
    if (mask_ == 0) word_ = in_.U32(), mask_ = 1;
    bool bit = word_ & mask_;
    mask_ <<= 1;
    return bit;
  }

 private:
  ByteReader in_;
  uint32_t word_ = 0;
  uint32_t mask_ = 0;
};

}  // namespace

std::optional<PhraseTable> PhraseTable::FromPhrases(std::string_view phrases) {
  ByteReader in(phrases);
  const uint16_t count = in.U16();
  in.U16();  // 0x0100
  const uint32_t expandedSize = in.U32();
  PhraseTable table;
  table.offsets_.resize(size_t{count} + 1);
  const uint32_t base = 2u * (count + 1u);
  for (uint32_t& offset : table.offsets_) {
    uint16_t stored = in.U16();
    if (stored < base) return std::nullopt;
    offset = stored - base;
  }
  if (!in.ok() || expandedSize > kMaxPhraseText) return std::nullopt;
  auto text = Lz77Expand(phrases.substr(in.pos()), expandedSize);
  if (!text) return std::nullopt;
  table.text_ = std::move(*text);
  for (size_t i = 0; i < count; ++i) {
    if (table.offsets_[i] > table.offsets_[i + 1]) return std::nullopt;
  }
  if (table.offsets_.back() > table.text_.size()) return std::nullopt;
  return table;
}

std::optional<PhraseTable> PhraseTable::FromHall(std::string_view index, std::string_view image) {
  ByteReader in(index);
  in.U32();  // 1
  const uint32_t count = in.U32();
  in.U32();  // its compressed size
  const uint32_t imageSize = in.U32();
  const uint32_t imageStored = in.U32();
  in.U32();  // 0
  const unsigned bitCount = in.U16() & 0x0F;
  in.U16();
  // Each phrase takes at least two bits of the index.
  if (!in.ok() || imageSize > kMaxPhraseText || count > in.left() * 4) return std::nullopt;
  PhraseTable table;
  table.kind_ = Kind::Hall;
  table.offsets_.reserve(count + 1);
  table.offsets_.push_back(0);
  BitReader bits(index.substr(in.pos()));
  for (uint32_t i = 0; i < count; ++i) {
    uint32_t length = 1;
    while (bits.Bit() && bits.ok() && length <= kMaxPhraseText) length += 1u << bitCount;
    for (unsigned bit = 0; bit < std::clamp(bitCount, 1u, 5u); ++bit) {
      if (bits.Bit()) length += 1u << bit;
    }
    if (!bits.ok() || table.offsets_.back() + uint64_t{length} > imageSize) return std::nullopt;
    table.offsets_.push_back(table.offsets_.back() + length);
  }
  if (imageSize == imageStored) {
    if (image.size() < imageSize) return std::nullopt;
    table.text_ = image.substr(0, imageSize);
  } else {
    auto text = Lz77Expand(image, imageSize);
    if (!text) return std::nullopt;
    table.text_ = std::move(*text);
  }
  if (table.offsets_.back() > table.text_.size()) return std::nullopt;
  return table;
}

std::optional<std::string> PhraseTable::Expand(std::string_view coded, size_t limit) const {
  ByteReader in(coded);
  auto out = kind_ == Kind::Classic ? ExpandClassic(in, limit) : ExpandHall(in, limit);
  if (!in.ok()) return std::nullopt;  // a code cut by the end
  if (out && out->size() > limit) out->resize(limit);
  return out;
}

std::optional<std::string> PhraseTable::ExpandClassic(ByteReader& in, size_t limit) const {
  std::string out;
  while (!in.AtEnd() && out.size() < limit) {
    const uint8_t c = in.U8();
    if (c == 0 || c >= 0x10) {
      out += char(c);
      continue;
    }
    const unsigned code = c * 256u + in.U8() - 0x100;
    if (!in.ok() || code / 2 >= size()) return std::nullopt;
    out += Phrase(code / 2);
    if (code & 1) out += ' ';
  }
  return out;
}

std::optional<std::string> PhraseTable::ExpandHall(ByteReader& in, size_t limit) const {
  std::string out;
  while (!in.AtEnd() && out.size() < limit) {
    const uint8_t c = in.U8();
    if ((c & 1) == 0 || (c & 3) == 1) {
      const size_t phrase = c & 1 ? (c / 4) * 256u + 128 + in.U8() : c / 2u;
      if (!in.ok() || phrase >= size()) return std::nullopt;
      out += Phrase(phrase);
    } else if ((c & 7) == 3) {
      out += in.Bytes(c / 8 + 1);
    } else {
      out.append(c / 16 + 1, (c & 0x0F) == 0x07 ? ' ' : '\0');
    }
  }
  return out;
}

}  // namespace w95::winhelp
