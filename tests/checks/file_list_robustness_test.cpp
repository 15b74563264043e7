// The set-up information's file lists on garbage: the reader always ends,
// every record it returns is seven fields' worth of real text, and names that
// would leave their directory are refused.
#include <gtest/gtest.h>

#include <algorithm>

#include "checks/file_list.h"
#include "machine_builder/printing_files.h"
#include "support/random_bytes.h"

namespace dxl {
namespace {

using testing::RandomBytes;

constexpr std::string_view kListAlphabet = " ,\t\r\n;\"./\\:0123456789ABC";

void ExpectField(std::string_view field) {
  EXPECT_FALSE(field.empty());
  EXPECT_EQ(field.find_first_of(" ,\t\r\n"), std::string_view::npos) << field;
}

TEST(FileListOnMutations, RecordsAreWholeAndTheListEnds) {
  const std::string list = tools::SetupInfText(tools::StandardPrintingFiles());
  RandomBytes random(5);
  for (int round = 0; round < 400; ++round) {
    const std::string text = random.Mutate(list.substr(list.find("[Win4System]") + 1), kListAlphabet);
    FileListReader reader(text);
    std::size_t records = 0;
    while (auto record = reader.Next()) {
      ASSERT_LE(++records, text.size() / 13 + 1) << "round " << round;
      for (const std::string* field : {&record->fileNameField, &record->dateField, &record->timeField,
                                       &record->sizeField, &record->directoryField, &record->versionField})
        ExpectField(*field);
      (void)ParseVersionText(record->versionField);
      EXPECT_LE(BackupName(record->fileNameField, round).size(), record->fileNameField.size() + 4);
    }
    EXPECT_FALSE(reader.Next()) << "an ended list stays ended";
  }
}

TEST(FileListOnMutations, VersionTextsAreFourNumbersOrNothing) {
  RandomBytes random(6);
  for (int round = 0; round < 2000; ++round) {
    const std::string text = random.Mutate("4.10.0.950", "0123456789.x");
    auto version = ParseVersionText(text);
    if (!version) continue;
    std::string joined;
    for (std::uint32_t part : *version) joined += std::to_string(part) + ".";
    joined.pop_back();
    // Leading zeros are the only spelling that differs from the numbers' own.
    EXPECT_EQ(std::count(text.begin(), text.end(), '.'), 3) << text;
    EXPECT_LE(joined.size(), text.size()) << text;
  }
}

TEST(FileListOnMutations, NamesThatLeaveTheirDirectoryAreRefused) {
  RandomBytes random(7);
  for (int round = 0; round < 2000; ++round) {
    const std::string name = random.Text(1 + random.Below(12), "./\\:.aA ");
    if (!IsPlainFileName(name)) continue;
    // Outside double-byte characters (a lead byte and a second byte of 0x40 to
    // 0xFE but 0x7F), no byte may be a separator.
    for (size_t i = 0; i < name.size(); ++i) {
      const auto byte = static_cast<unsigned char>(name[i]);
      const auto next = i + 1 < name.size() ? static_cast<unsigned char>(name[i + 1]) : 0;
      if (byte >= 0x81 && byte <= 0xFE && next >= 0x40 && next <= 0xFE && next != 0x7F) {
        ++i;
        continue;
      }
      EXPECT_EQ(std::string_view("/\\:").find(name[i]), std::string_view::npos) << name;
    }
    EXPECT_NE(name, "..");
    EXPECT_NE(name, ".");
  }
}

}  // namespace
}  // namespace dxl
