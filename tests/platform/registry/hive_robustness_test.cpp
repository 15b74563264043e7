// Mutations of the builder's hives: a defined outcome, never a crash, and a
// refused hive is never written over.
#include <gtest/gtest.h>

#include "platform/registry/registry.h"
#include "support/random_bytes.h"
#include "support/temp_machine.h"

namespace w95 {
namespace {

using dxl::testing::RandomBytes;
using dxl::testing::TempMachine;

constexpr std::string_view kRegAlphabet = "[]\\\"=@:,-;hexdword()0123456789abcdef \r\n";

// Mutations of the REGEDIT4 text: the binary hives have their own.
class HiveOnMutations : public ::testing::Test {
 protected:
  TempMachine machine_{dxl::testing::HiveStore::Text};
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
