// Little-endian reads over the bytes of a help file. Every read is bounded:
// past the end a read answers 0 and marks the reader as failed, so a parser
// reads on and checks ok() once.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace w95::winhelp {

class ByteReader {
 public:
  explicit ByteReader(std::string_view bytes, size_t pos = 0) : bytes_(bytes), pos_(pos) {
    if (pos > bytes.size()) ok_ = false;
  }

  bool ok() const { return ok_; }
  size_t pos() const { return pos_; }
  size_t left() const { return ok_ ? bytes_.size() - pos_ : 0; }
  bool AtEnd() const { return left() == 0; }

  uint8_t U8() { return static_cast<uint8_t>(Take(1)); }
  uint16_t U16() { return static_cast<uint16_t>(Take(2)); }
  uint32_t U32() { return static_cast<uint32_t>(Take(4)); }
  int16_t I16() { return static_cast<int16_t>(U16()); }
  int32_t I32() { return static_cast<int32_t>(U32()); }

  // The help compiler's variable-length numbers: the low bit of the first
  // byte (or word) says whether the long form follows.
  uint32_t CompressedU16() { return Peek() & 1 ? U16() / 2u : U8() / 2u; }
  int32_t CompressedI16() { return Peek() & 1 ? int32_t(U16() / 2u) - 0x4000 : int32_t(U8() / 2u) - 0x40; }
  uint32_t CompressedU32() { return Peek() & 1 ? U32() / 2u : U16() / 2u; }
  int32_t CompressedI32() { return Peek() & 1 ? int32_t(U32() / 2u) - 0x40000000 : int32_t(U16() / 2u) - 0x4000; }

  std::string_view Bytes(size_t count) {
    if (!ok_ || count > bytes_.size() - pos_) return Failed(), std::string_view();
    std::string_view out = bytes_.substr(pos_, count);
    pos_ += count;
    return out;
  }
  // A string ended by NUL (the NUL is read, not returned).
  std::string_view Stringz() {
    if (!ok_) return {};
    size_t end = bytes_.find('\0', pos_);
    if (end == std::string_view::npos) return Failed(), std::string_view();
    std::string_view out = bytes_.substr(pos_, end - pos_);
    pos_ = end + 1;
    return out;
  }
  void Skip(size_t count) { Bytes(count); }

 private:
  uint8_t Peek() const { return ok_ && pos_ < bytes_.size() ? static_cast<uint8_t>(bytes_[pos_]) : 0; }
  uint64_t Take(size_t count) {
    std::string_view b = Bytes(count);
    uint64_t value = 0;
    for (size_t i = b.size(); i-- > 0;) value = value << 8 | static_cast<uint8_t>(b[i]);
    return value;
  }
  void Failed() { ok_ = false; }

  std::string_view bytes_;
  size_t pos_ = 0;
  bool ok_ = true;
};

}  // namespace w95::winhelp
