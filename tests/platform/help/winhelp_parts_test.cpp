// Parts of the WinHelp reader that the files at hand do not reach: LZ77 at its
// edges, and Windows 95's Hall phrase compression (no help file in the tests'
// data uses it), on tables built here as the format's description lays them out.
#include <gtest/gtest.h>

#include "machine_builder/le_bytes.h"
#include "machine_builder/winhelp_lz77_packer.h"
#include "platform/help/winhelp_lz77.h"
#include "platform/help/winhelp_phrases.h"

namespace w95::winhelp {
namespace {

std::string Le32(uint32_t value) {
  std::string out;
  dxl::tools::Append32(out, value);
  return out;
}

TEST(Lz77, PackedBytesExpandToThemselvesAndDamageIsRefused) {
  std::string input = "aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaab";  // a reference that overlaps what it copies
  for (int i = 0; i < 3000; ++i) input += char('A' + i * 7 % 26);
  input += input.substr(100, 2000);
  dxl::tools::Lz77Packer packer;
  packer.Add(input.substr(0, 10));
  packer.Add(input.substr(10));  // references reach into the first part
  ASSERT_LT(packer.Packed().size(), input.size());
  EXPECT_EQ(Lz77Expand(packer.Packed(), input.size()), input);
  EXPECT_EQ(Lz77Expand(packer.Packed(), 20), input.substr(0, 20));  // output stops at the limit
  // A reference before the start; a reference cut by the end of the data.
  EXPECT_EQ(Lz77Expand(std::string("\x01\x05\x00", 3), 100), std::nullopt);
  EXPECT_EQ(Lz77Expand(std::string("\x02x\x00", 3), 100), "x");
}

// |PhrIndex and |PhrImage for `phrases`, lengths coded with `bitCount` low bits.
std::pair<std::string, std::string> HallTables(const std::vector<std::string>& phrases, unsigned bitCount, bool pack) {
  std::vector<bool> bits;
  std::string image;
  for (const std::string& phrase : phrases) {
    const uint32_t value = uint32_t(phrase.size()) - 1;
    for (uint32_t i = 0; i < value >> bitCount; ++i) bits.push_back(true);
    bits.push_back(false);
    for (unsigned bit = 0; bit < bitCount; ++bit) bits.push_back(value >> bit & 1);
    image += phrase;
  }
  std::string words;
  for (size_t at = 0; at < bits.size(); at += 32) {
    uint32_t word = 0;
    for (size_t bit = 0; bit < 32 && at + bit < bits.size(); ++bit) word |= uint32_t(bits[at + bit]) << bit;
    words += Le32(word);
  }
  std::string stored = image;
  if (pack) {
    dxl::tools::Lz77Packer packer;
    packer.Add(image);
    stored = packer.Packed();
  }
  std::string index = Le32(1) + Le32(uint32_t(phrases.size())) + Le32(0) + Le32(uint32_t(image.size())) +
                      Le32(uint32_t(stored.size())) + Le32(0) + std::string(1, char(bitCount)) +
                      std::string("\x00\x00\x4A", 3) + words;
  return {index, stored};
}

TEST(HallPhrases, CodesExpandToPhrasesLiteralsBlanksAndNuls) {
  std::vector<std::string> phrases;
  for (int i = 0; i < 200; ++i) phrases.push_back("phrase" + std::to_string(i) + std::string(i % 9, '+') + " ");
  for (bool pack : {false, true}) {
    SCOPED_TRACE(pack);
    auto [index, image] = HallTables(phrases, 2, pack);
    auto table = PhraseTable::FromHall(index, image);
    ASSERT_TRUE(table);
    ASSERT_EQ(table->size(), 200u);
    EXPECT_EQ(table->Phrase(137), phrases[137]);
    // Phrase 0, phrase 1, phrase 129 (two bytes), "abc" (a literal run), three blanks, two NULs.
    const std::string coded(
        "\x00\x02\x01\x01\x13"
        "abc\x27\x1F",
        10);
    EXPECT_EQ(table->Expand(coded, 1000), phrases[0] + phrases[1] + phrases[129] + "abc   " + std::string(2, '\0'));
    EXPECT_EQ(table->Expand(coded, 5), phrases[0].substr(0, 5));
    EXPECT_EQ(table->Expand(std::string("\xFD\x00", 2), 1000), std::nullopt);  // phrase 16256: none
    EXPECT_EQ(table->Expand("\x13"
                            "ab",
                            1000),
              std::nullopt);  // a literal run cut short
  }
  auto [index, image] = HallTables(phrases, 2, false);
  EXPECT_FALSE(PhraseTable::FromHall(index, image.substr(0, image.size() - 1)));  // the image is short
  EXPECT_FALSE(PhraseTable::FromHall(index.substr(0, 40), image));                // the lengths are cut
}

}  // namespace
}  // namespace w95::winhelp
