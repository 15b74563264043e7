// Phrase compression of topic texts. Windows 3.1's compiler keeps the phrases
// in |Phrases and codes a phrase as two bytes; Windows 95's may instead keep
// them in |PhrIndex (their lengths, bit-coded) and |PhrImage (their bytes) and
// code the text with Hall's scheme (phrases, literal runs, runs of blanks).
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace w95::winhelp {

class ByteReader;

class PhraseTable {
 public:
  enum class Kind { Classic, Hall };

  // nullopt when the tables are damaged.
  static std::optional<PhraseTable> FromPhrases(std::string_view phrases);
  static std::optional<PhraseTable> FromHall(std::string_view index, std::string_view image);

  size_t size() const { return offsets_.empty() ? 0 : offsets_.size() - 1; }
  std::string_view Phrase(size_t i) const {
    return std::string_view(text_).substr(offsets_[i], offsets_[i + 1] - offsets_[i]);
  }

  // The text `coded` stands for, cut at `limit` bytes; nullopt when it names a
  // phrase the table lacks or ends inside a code.
  std::optional<std::string> Expand(std::string_view coded, size_t limit) const;

 private:
  std::optional<std::string> ExpandClassic(ByteReader& in, size_t limit) const;
  std::optional<std::string> ExpandHall(ByteReader& in, size_t limit) const;

  Kind kind_ = Kind::Classic;
  std::string text_;
  std::vector<uint32_t> offsets_;  // size() + 1 of them, into text_
};

}  // namespace w95::winhelp
