// Finding keys among many siblings: names compare without regard to ASCII
// case only, the order of subkeys is kept, and lookups stay right after keys
// are removed and created again.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/base/case_rules.h"
#include "platform/base/text.h"
#include "platform/registry/reg_hive.h"
#include "platform/registry/regedit4.h"
#include "platform/registry/registry.h"
#include "support/temp_machine.h"

namespace w95 {
namespace {

std::vector<std::string> ChildNames(const RegNode& node) {
  std::vector<std::string> names;
  for (const auto& child : node.Children()) names.emplace_back(child->Name());
  return names;
}

TEST(RegKeyLookup, ManySiblingsAreFoundInAnyCaseAndKeepTheirOrder) {
  RegNode parent("CLSID");
  for (int n = 0; n < 500; ++n) parent.ChildOrNew("Key" + std::to_string(n)).SetValue("", REG_SZ, std::to_string(n));
  for (int n = 0; n < 500; n += 37) {
    RegNode* upper = parent.Child("KEY" + std::to_string(n));
    ASSERT_NE(upper, nullptr) << n;
    EXPECT_EQ(upper, parent.Child("key" + std::to_string(n)));
    EXPECT_EQ(upper->Value("")->data, std::to_string(n));
  }
  EXPECT_EQ(&parent.ChildOrNew("kEY42"), parent.Child("Key42"));
  EXPECT_EQ(parent.Children().size(), 500u);
  EXPECT_EQ(parent.Children().front()->Name(), "Key0");
  EXPECT_EQ(parent.Children().back()->Name(), "Key499");
  EXPECT_EQ(parent.Child("Key500"), nullptr);
}

TEST(RegKeyLookup, DoubleByteCharactersAreNotFolded) {
  RegNode parent("Root");
  // "\x81" + "a" is one double-byte character; its trail byte is not a letter.
  parent.ChildOrNew(
      "\x81"
      "a");
  EXPECT_EQ(parent.Child("\x81"
                         "A"),
            nullptr);
  EXPECT_NE(parent.Child("\x81"
                         "a"),
            nullptr);
  parent.ChildOrNew(
      "\x81"
      "A");
  EXPECT_EQ(parent.Children().size(), 2u);
  parent.ChildOrNew("x");
  EXPECT_EQ(parent.Child("X"), parent.Children().back().get());
}

TEST(RegKeyLookup, RemovedKeysAreGoneAndTheRestStillFound) {
  RegNode parent("Root");
  for (const char* name : {"Alpha", "Beta", "Gamma", "Delta"}) parent.ChildOrNew(name);
  EXPECT_TRUE(parent.RemoveChild("BETA"));
  EXPECT_FALSE(parent.RemoveChild("beta"));
  EXPECT_EQ(parent.Child("Beta"), nullptr);
  EXPECT_EQ(ChildNames(parent), (std::vector<std::string>{"Alpha", "Gamma", "Delta"}));
  for (const char* name : {"alpha", "GAMMA", "delta"}) {
    ASSERT_NE(parent.Child(name), nullptr) << name;
    EXPECT_TRUE(EqualsNoCase(parent.Child(name)->Name(), name));
  }
  // Created again: a new, empty key at the end, under its new spelling.
  parent.Child("Gamma")->ChildOrNew("Sub");
  EXPECT_TRUE(parent.RemoveChild("gamma"));
  RegNode& again = parent.ChildOrNew("GAMMA");
  EXPECT_TRUE(again.Children().empty());
  EXPECT_EQ(ChildNames(parent), (std::vector<std::string>{"Alpha", "Delta", "GAMMA"}));
  EXPECT_EQ(parent.Child("gamma"), &again);
}

TEST(RegKeyLookup, AHiveFileNamingAKeyInTwoSpellingsHoldsItOnce) {
  RegHive hive("HKEY_LOCAL_MACHINE");
  const RegRootName roots[] = {{"HKEY_LOCAL_MACHINE", ""}};
  std::string text = "REGEDIT4\r\n\r\n";
  for (int n = 0; n < 300; ++n)
    text += "[HKEY_LOCAL_MACHINE\\Enum\\Dev" + std::to_string(n) + "]\r\n\"N\"=\"a\"\r\n\r\n";
  text += "[HKEY_LOCAL_MACHINE\\ENUM\\DEV7]\r\n\"N\"=\"b\"\r\n\r\n";
  text += "[-HKEY_LOCAL_MACHINE\\enum\\dev8]\r\n\r\n";
  ASSERT_FALSE(ParseRegedit4(text, roots, hive).has_value());
  RegNode* parent = hive.Find({"enum"});
  ASSERT_NE(parent, nullptr);
  EXPECT_EQ(parent->Children().size(), 299u);
  EXPECT_EQ(parent->Child("Dev7")->Value("N")->data, std::string("b\0", 2));
  EXPECT_EQ(hive.Find({"Enum", "Dev8"}), nullptr);
  EXPECT_NE(hive.Find({"ENUM", "DEV299"}), nullptr);
}

// Through the registry calls on a machine: a key deleted among its siblings
// cannot be opened, and creating it again in another case gives one key.
TEST(RegKeyLookup, DeleteAndCreateAgainThroughTheRegistryCalls) {
  dxl::testing::TempMachine machine;
  std::string text = "REGEDIT4\r\n\r\n";
  for (int n = 0; n < 200; ++n) text += "[HKEY_LOCAL_MACHINE\\Software\\K" + std::to_string(n) + "]\r\n\r\n";
  machine.Builder().File("C:\\WINDOWS\\SYSTEM.REG", text);
  if (machine.Builder().BinaryRegistry()) machine.Builder().UseBinaryRegistry();  // the same keys in SYSTEM.DAT
  machine.Activate();
  RegKey software;
  ASSERT_EQ(RegOpenKeyExA(RootKey::LocalMachine, "SOFTWARE", 0, KEY_ALL_ACCESS, software), ERROR_SUCCESS);
  EXPECT_EQ(RegDeleteKeyA(software, "k100"), ERROR_SUCCESS);
  RegKey key;
  EXPECT_EQ(RegOpenKeyExA(software, "K100", 0, KEY_READ, key), ERROR_FILE_NOT_FOUND);
  ASSERT_EQ(RegCreateKeyExA(software, "k100", KEY_ALL_ACCESS, key), ERROR_SUCCESS);
  RegKey same;
  ASSERT_EQ(RegCreateKeyExA(software, "K100", KEY_ALL_ACCESS, same), ERROR_SUCCESS);
  EXPECT_EQ(RegSetValueExA(same, "v", REG_SZ, "x"), ERROR_SUCCESS);
  std::string data;
  DWORD size = 64;
  EXPECT_EQ(RegQueryValueExA(key, "V", nullptr, &data, size), ERROR_SUCCESS);
  DWORD count = 0;
  std::string name;
  for (DWORD nameSize = 64; RegEnumKeyExA(software, count, name, nameSize) == ERROR_SUCCESS; nameSize = 64) ++count;
  EXPECT_EQ(count, 200u);
  EXPECT_NE(machine.HiveText().find("[HKEY_LOCAL_MACHINE\\Software\\k100]"), std::string::npos);
}

}  // namespace
}  // namespace w95
