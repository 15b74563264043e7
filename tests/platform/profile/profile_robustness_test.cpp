// Random bytes on the INI text parser and the profile calls: a defined outcome,
// never a crash, and what the parsers promise still holds.
#include <gtest/gtest.h>

#include "platform/base/ini_text.h"
#include "platform/profile/profile.h"
#include "support/random_bytes.h"
#include "support/temp_machine.h"

namespace w95 {
namespace {

using dxl::testing::RandomBytes;
using dxl::testing::TempMachine;

constexpr std::string_view kIniAlphabet =
    "[]=;\"' \t\r\n\x1a"
    "abcAB";

TEST(IniTextOnRandomBytes, EditsReadBackAndLeaveTheRestOfTheFile) {
  RandomBytes random(1);
  for (int round = 0; round < 300; ++round) {
    const std::string bytes = random.Text(random.Below(160), kIniAlphabet);
    IniText ini(bytes);
    for (const auto& name : ini.SectionNames()) (void)ini.KeyNames(name);

    IniText edited(bytes);
    edited.SetValue("Fuzz", "Key", "Value");
    ASSERT_EQ(edited.Value("Fuzz", "Key"), "Value") << "round " << round;
    ASSERT_EQ(IniText(edited.Bytes()).Value("Fuzz", "Key"), "Value") << "round " << round;
    if (!ini.HasSection("Fuzz")) {
      // A new section is added at the end: the old bytes stay as they were.
      ASSERT_EQ(edited.Bytes().substr(0, bytes.size()), bytes) << "round " << round;
    }
    ASSERT_TRUE(edited.DeleteSection("Fuzz"));
    if (!ini.HasSection("Fuzz")) {
      ASSERT_FALSE(edited.Value("Fuzz", "Key")) << "round " << round;
    }
  }
}

class ProfileOnRandomBytes : public ::testing::Test {
 protected:
  TempMachine machine_;
};

TEST_F(ProfileOnRandomBytes, CountsFitTheBufferAndWritesReadBack) {
  RandomBytes random(2);
  for (int round = 0; round < 60; ++round) {
    machine_.Builder().WinIni(random.Text(random.Below(200), kIniAlphabet));
    const DWORD size = static_cast<DWORD>(random.Below(40));
    std::string out;
    for (DWORD count : {GetProfileStringA(std::nullopt, std::nullopt, "", out, size),
                        GetProfileStringA("abc", std::nullopt, "", out, size)})
      ASSERT_TRUE(count <= size) << "round " << round;  // a whole list counts its final NUL
    const DWORD count = GetProfileStringA("a", "b", "fallback", out, size);
    ASSERT_EQ(count, out.size()) << "round " << round;
    ASSERT_TRUE(size == 0 || count < size) << "round " << round;

    ASSERT_TRUE(WriteProfileStringA("Fuzz", "Key", "Value"));
    ASSERT_EQ(GetProfileStringA("Fuzz", "Key", "", out, 64), 5u) << "round " << round;
    ASSERT_EQ(out, "Value");
  }
}
}  // namespace
}  // namespace w95
