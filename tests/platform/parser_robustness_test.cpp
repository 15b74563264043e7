// Bad input on every text parser of the platform: random bytes and mutations
// of the machine builder's files get a defined outcome, never a crash, and
// what the parsers promise still holds.
#include <gtest/gtest.h>

#include "machine_builder/help_file.h"
#include "platform/help.h"
#include "platform/ini_text.h"
#include "platform/profile.h"
#include "platform/registry.h"
#include "support/random_bytes.h"
#include "support/temp_machine.h"

namespace w95 {
namespace {

using dxl::testing::RandomBytes;
using dxl::testing::TempMachine;

constexpr std::string_view kIniAlphabet = "[]=;\"' \t\r\n\x1a" "abcAB";
constexpr std::string_view kRegAlphabet = "[]\\\"=@:,-;hexdword()0123456789abcdef \r\n";

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
      ASSERT_TRUE(count == 0 || count < size) << "round " << round;
    const DWORD count = GetProfileStringA("a", "b", "fallback", out, size);
    ASSERT_EQ(count, out.size()) << "round " << round;
    ASSERT_TRUE(size == 0 || count < size) << "round " << round;

    ASSERT_TRUE(WriteProfileStringA("Fuzz", "Key", "Value"));
    ASSERT_EQ(GetProfileStringA("Fuzz", "Key", "", out, 64), 5u) << "round " << round;
    ASSERT_EQ(out, "Value");
  }
}

TEST(HelpFileOnMutations, TopicsComeFromTheTextOrAreMissing) {
  RandomBytes random(3);
  const std::string help = dxl::tools::StandardHelpFile();
  for (int round = 0; round < 300; ++round) {
    const std::string text = random.Mutate(help, "[]0123456789Title=\r\n ");
    const DWORD context = static_cast<DWORD>(random.Below(4) == 0 ? random.Below(0xFFFFFFFFu) : random.Below(200));
    auto topic = FindHelpTopic(text, context);
    if (!topic) continue;
    EXPECT_EQ(topic->context, context);
    EXPECT_NE(text.find(topic->title), std::string::npos) << "round " << round;
  }
}

class HiveOnMutations : public ::testing::Test {
 protected:
  TempMachine machine_;
};

// A mutated hive either loads, or is refused with the line at fault and is
// never written over: a refused hive keeps its bytes through a write attempt.
TEST_F(HiveOnMutations, LoadsOrFailsWithALineAndIsNeverOverwritten) {
  machine_.Builder().InstallPrintingSystem();
  const std::string hive = machine_.Read("C:\\WINDOWS\\USER.REG");
  RandomBytes random(4);
  int refused = 0;
  for (int round = 0; round < 60; ++round) {
    const std::string bytes = random.Mutate(hive, kRegAlphabet);
    machine_.Builder().File("C:\\WINDOWS\\USER.REG", bytes);
    machine_.Activate();
    RegKey key;
    const LONG opened = RegCreateKeyExA(RootKey::CurrentUser, "Fuzz", KEY_ALL_ACCESS, key);
    const std::string error = RegistryLoadError(RootKey::CurrentUser);
    if (opened == ERROR_BADDB) {
      ++refused;
      EXPECT_NE(error.find("USER.REG line "), std::string::npos) << error;
      EXPECT_EQ(machine_.Read("C:\\WINDOWS\\USER.REG"), bytes) << "round " << round;
      continue;
    }
    ASSERT_EQ(opened, ERROR_SUCCESS) << "round " << round;
    EXPECT_EQ(error, "");
    ASSERT_EQ(RegSetValueExA(key, "Value", REG_SZ, "text"), ERROR_SUCCESS) << "round " << round;
    RegCloseKey(key);
    machine_.Activate();
    ASSERT_EQ(RegistryLoadError(RootKey::CurrentUser), "") << "round " << round << ": a saved hive loads again";
  }
  EXPECT_GT(refused, 0);
}

}  // namespace
}  // namespace w95
