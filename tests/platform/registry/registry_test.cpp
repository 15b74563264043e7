#include "platform/registry/registry.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <vector>

#include "support/temp_machine.h"

namespace w95 {
namespace {

constexpr const char* kSystemReg = "C:\\WINDOWS\\SYSTEM.REG";
constexpr const char* kUserReg = "C:\\WINDOWS\\USER.REG";

const std::string kHive =
    "REGEDIT4\r\n\r\n"
    "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Classes\\DXL\\LocalPrinters\\DXLQ7,LPT1:\\Mfg]\r\n"
    "@=\"Tavix\"\r\n\r\n"
    "[HKEY_LOCAL_MACHINE\\System\\Test]\r\n"
    "\"abc\"=\"abc\"\r\n"
    "\"Mask\"=dword:00000005\r\n\r\n"
    "[HKEY_LOCAL_MACHINE\\System\\Test\\12]\r\n\r\n"
    "[HKEY_LOCAL_MACHINE\\System\\Test\\Second]\r\n\r\n";

class RegistryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    machine_.Builder().File(kSystemReg, kHive);
    if (Binary()) machine_.Builder().UseBinaryRegistry();  // the same keys in SYSTEM.DAT
    machine_.Activate();
    initialBytes_ = HiveBytes();
    initialText_ = machine_.HiveText();
  }
  bool Binary() const { return machine_.Builder().BinaryRegistry(); }
  std::string HiveBytes() const { return machine_.Read(machine_.HiveFile()); }
  RegKey OpenTest(REGSAM access = KEY_READ) {
    RegKey key;
    EXPECT_EQ(RegOpenKeyExA(RootKey::LocalMachine, "System\\Test", 0, access, key), ERROR_SUCCESS);
    return key;
  }

  dxl::testing::TempMachine machine_;
  std::string initialBytes_;
  std::string initialText_;  // kHive itself on the text store
};

TEST_F(RegistryTest, QueryValueSizesFollowWindows) {
  RegKey key = OpenTest();
  std::string data = "untouched";
  DWORD type = 0;
  DWORD size = 3;
  EXPECT_EQ(RegQueryValueExA(key, "abc", &type, &data, size), ERROR_MORE_DATA);
  EXPECT_EQ(size, 4u);
  size = 4;
  EXPECT_EQ(RegQueryValueExA(key, "abc", &type, &data, size), ERROR_SUCCESS);
  EXPECT_EQ(size, 4u);
  EXPECT_EQ(data, std::string("abc\0", 4));
  EXPECT_EQ(type, REG_SZ);
  size = 100;
  EXPECT_EQ(RegQueryValueExA(key, "ABC", nullptr, nullptr, size), ERROR_SUCCESS);
  EXPECT_EQ(size, 4u);

  size = 10;
  EXPECT_EQ(RegQueryValueExA(key, "missing", nullptr, &data, size), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(size, 10u);
  EXPECT_EQ(RegQueryValueExA(key, "missing", nullptr, nullptr, size), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(size, 0u);
  size = 64;
  EXPECT_EQ(RegQueryValueExA(key, "", nullptr, &data, size), ERROR_FILE_NOT_FOUND);
}

TEST_F(RegistryTest, SixtyFourByteBufferHoldsAtMostSixtyThreeCharacters) {
  RegKey key = OpenTest(KEY_ALL_ACCESS);
  ASSERT_EQ(RegSetValueExA(key, "v63", REG_SZ, std::string(63, 'a')), ERROR_SUCCESS);
  ASSERT_EQ(RegSetValueExA(key, "v64", REG_SZ, std::string(64, 'a')), ERROR_SUCCESS);
  std::string data;
  DWORD size = 64;
  EXPECT_EQ(RegQueryValueExA(key, "v63", nullptr, &data, size), ERROR_SUCCESS);
  size = 64;
  EXPECT_EQ(RegQueryValueExA(key, "v64", nullptr, &data, size), ERROR_MORE_DATA);
  EXPECT_EQ(size, 65u);
}

TEST_F(RegistryTest, EnumeratesSubkeysInHiveOrderWithWindowsBufferRules) {
  RegKey key = OpenTest();
  std::string name = "before";
  DWORD size = 2;  // "12" needs room for its NUL
  EXPECT_EQ(RegEnumKeyExA(key, 0, name, size), ERROR_MORE_DATA);
  EXPECT_EQ(size, 2u);
  EXPECT_EQ(name, "before");
  size = 3;
  EXPECT_EQ(RegEnumKeyExA(key, 0, name, size), ERROR_SUCCESS);
  EXPECT_EQ(size, 2u);
  EXPECT_EQ(name, "12");
  size = 32;
  EXPECT_EQ(RegEnumKeyExA(key, 1, name, size), ERROR_SUCCESS);
  EXPECT_EQ(name, "Second");
  size = 32;
  EXPECT_EQ(RegEnumKeyExA(key, 2, name, size), ERROR_NO_MORE_ITEMS);
}

TEST_F(RegistryTest, KeysOpenWithoutRegardToCaseAndMissingOnesAreNotFound) {
  RegKey key;
  EXPECT_EQ(RegOpenKeyExA(RootKey::LocalMachine, "SYSTEM\\test\\SECOND", 0, KEY_READ, key), ERROR_SUCCESS);
  EXPECT_TRUE(key.Valid());
  EXPECT_EQ(RegOpenKeyExA(RootKey::LocalMachine, "System\\Nothing", 0, KEY_READ, key), ERROR_FILE_NOT_FOUND);
  EXPECT_FALSE(key.Valid());
  EXPECT_EQ(RegOpenKeyExA(RootKey::CurrentUser, "Control Panel", 0, KEY_READ, key), ERROR_FILE_NOT_FOUND);
}

TEST_F(RegistryTest, ReadAccessRefusesEveryWriteAndLeavesTheFileAlone) {
  RegKey key = OpenTest(KEY_READ);
  EXPECT_EQ(RegSetValueExA(key, "Mask", REG_DWORD, std::string("\x07\0\0\0", 4)), ERROR_ACCESS_DENIED);
  EXPECT_EQ(RegDeleteValueA(key, "Mask"), ERROR_ACCESS_DENIED);
  RegKey created;
  EXPECT_EQ(RegCreateKeyExA(key, "New", KEY_ALL_ACCESS, created), ERROR_ACCESS_DENIED);
  EXPECT_EQ(RegDeleteKeyA(key, "Second"), ERROR_ACCESS_DENIED);
  RegKey writeOnly = OpenTest(KEY_WRITE);
  DWORD size = 4;
  std::string data;
  EXPECT_EQ(RegQueryValueExA(writeOnly, "Mask", nullptr, &data, size), ERROR_ACCESS_DENIED);
  EXPECT_EQ(HiveBytes(), initialBytes_);
}

TEST_F(RegistryTest, AChangeIsSavedAtOnceAndTouchesNothingElse) {
  RegKey key = OpenTest(KEY_READ | KEY_WRITE);
  ASSERT_EQ(RegSetValueExA(key, "Mask", REG_DWORD, std::string("\x07\0\0\0", 4)), ERROR_SUCCESS);
  std::string expected = initialText_;
  expected.replace(expected.find("dword:00000005"), 14, "dword:00000007");
  EXPECT_EQ(machine_.HiveText(), expected);

  // A fresh load of the machine sees the change.
  machine_.Activate();
  RegKey again = OpenTest();
  std::string data;
  DWORD size = 4;
  ASSERT_EQ(RegQueryValueExA(again, "mask", nullptr, &data, size), ERROR_SUCCESS);
  EXPECT_EQ(data, std::string("\x07\0\0\0", 4));
}

// Keys parse their values only when first asked, from the file they were read
// from, and a save replaces that file: keys asked before a change, after it,
// or never must all read what the hive holds, then and after a fresh load.
TEST_F(RegistryTest, ValuesAskedBeforeOrAfterAChangeElsewhereReadAsTheHiveHolds) {
  constexpr const char* kMfg = "SOFTWARE\\Classes\\DXL\\LocalPrinters\\DXLQ7,LPT1:\\Mfg";
  struct Case {
    const char* what;
    bool askFirst;  // values of the keys read before the change
    std::function<LONG(RegKey&)> change;
    std::string abc;  // what System\Test "abc" then holds ("" for none)
    std::vector<std::string> subkeys;
  };
  const std::string abc("abc\0", 4);
  const Case cases[] = {
      {"a value of the key set",
       false,
       [](RegKey& test) { return RegSetValueExA(test, "Mask", REG_DWORD, std::string("\x07\0\0\0", 4)); },
       abc,
       {"12", "Second"}},
      {"a value of the key set, after asking",
       true,
       [](RegKey& test) { return RegSetValueExA(test, "New", REG_SZ, "n"); },
       abc,
       {"12", "Second"}},
      {"a subkey deleted", true, [](RegKey& test) { return RegDeleteKeyA(test, "12"); }, abc, {"Second"}},
      {"a subkey created",
       false,
       [](RegKey& test) {
         RegKey created;
         return RegCreateKeyExA(test, "Third", KEY_ALL_ACCESS, created);
       },
       abc,
       {"12", "Second", "Third"}},
      {"a value deleted", true, [](RegKey& test) { return RegDeleteValueA(test, "abc"); }, "", {"12", "Second"}},
  };
  auto read = [&](const char* path, std::string_view name) {
    RegKey key;
    if (RegOpenKeyExA(RootKey::LocalMachine, path, 0, KEY_READ, key) != ERROR_SUCCESS) return std::string("<no key>");
    std::string data;
    DWORD size = 64;
    return RegQueryValueExA(key, name, nullptr, &data, size) == ERROR_SUCCESS ? data : std::string();
  };
  auto subkeys = [] {
    std::vector<std::string> names;
    RegKey key;
    EXPECT_EQ(RegOpenKeyExA(RootKey::LocalMachine, "System\\Test", 0, KEY_READ, key), ERROR_SUCCESS);
    std::string name;
    for (DWORD size = 64; RegEnumKeyExA(key, static_cast<DWORD>(names.size()), name, size) == ERROR_SUCCESS; size = 64)
      names.push_back(name);
    return names;
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    machine_.Builder().File(kSystemReg, kHive);
    if (Binary()) machine_.Builder().UseBinaryRegistry();
    machine_.Activate();
    if (c.askFirst) {
      EXPECT_EQ(read(kMfg, ""), std::string("Tavix\0", 6));
      EXPECT_EQ(read("System\\Test", "abc"), abc);
    }
    RegKey test = OpenTest(KEY_ALL_ACCESS);
    ASSERT_EQ(c.change(test), ERROR_SUCCESS);
    for (int load = 0; load < 2; ++load) {
      EXPECT_EQ(read(kMfg, ""), std::string("Tavix\0", 6));
      EXPECT_EQ(read("System\\Test", "abc"), c.abc);
      EXPECT_EQ(read("System\\Test", "Mask").size(), 4u);
      EXPECT_EQ(subkeys(), c.subkeys);
      machine_.Activate();  // the same from the file saved
    }
    EXPECT_EQ(machine_.HiveText().find("Tavix"), initialText_.find("Tavix"));
  }
}

TEST_F(RegistryTest, ClassesRootIsALiveViewOfTheMachineClasses) {
  RegKey viaClasses;
  ASSERT_EQ(RegOpenKeyExA(RootKey::ClassesRoot, "DXL\\LocalPrinters\\DXLQ7,LPT1:\\Mfg", 0, KEY_ALL_ACCESS, viaClasses),
            ERROR_SUCCESS);
  ASSERT_EQ(RegSetValueExA(viaClasses, "", REG_SZ, "Other"), ERROR_SUCCESS);
  RegKey viaMachine;
  ASSERT_EQ(RegOpenKeyExA(RootKey::LocalMachine, "Software\\Classes\\DXL\\LocalPrinters\\DXLQ7,LPT1:\\Mfg", 0, KEY_READ,
                          viaMachine),
            ERROR_SUCCESS);
  std::string data;
  DWORD size = 64;
  ASSERT_EQ(RegQueryValueExA(viaMachine, "", nullptr, &data, size), ERROR_SUCCESS);
  EXPECT_EQ(RegText(data), "Other");

  RegKey created;
  ASSERT_EQ(RegCreateKeyExA(RootKey::ClassesRoot, "DXL\\RemotePrinters", KEY_ALL_ACCESS, created), ERROR_SUCCESS);
  EXPECT_NE(machine_.HiveText().find("[HKEY_LOCAL_MACHINE\\SOFTWARE\\Classes\\DXL\\RemotePrinters]\r\n"),
            std::string::npos);
}

TEST_F(RegistryTest, MissingHiveIsEmptyAndCreatedOnFirstWrite) {
  if (Binary()) GTEST_SKIP() << "a real installation always has USER.DAT";
  EXPECT_FALSE(machine_.Exists(kUserReg));
  RegKey root;
  EXPECT_EQ(RegOpenKeyExA(RootKey::CurrentUser, "", 0, KEY_READ, root), ERROR_SUCCESS);
  std::string name;
  DWORD size = 32;
  EXPECT_EQ(RegEnumKeyExA(root, 0, name, size), ERROR_NO_MORE_ITEMS);
  EXPECT_FALSE(machine_.Exists(kUserReg));

  RegKey key;
  ASSERT_EQ(RegCreateKeyExA(RootKey::CurrentUser, "Control Panel\\International", KEY_ALL_ACCESS, key), ERROR_SUCCESS);
  ASSERT_EQ(RegSetValueExA(key, "sDate", REG_SZ, "-"), ERROR_SUCCESS);
  EXPECT_EQ(machine_.Read(kUserReg),
            "REGEDIT4\r\n\r\n"
            "[HKEY_CURRENT_USER\\Control Panel]\r\n\r\n"
            "[HKEY_CURRENT_USER\\Control Panel\\International]\r\n"
            "\"sDate\"=\"-\"\r\n\r\n");
}

TEST_F(RegistryTest, BrokenHiveIsNeverOverwrittenAndItsRootsFail) {
  const std::string broken = "REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\System]\r\n\"v\"=oops\r\n";
  machine_.Builder().File(machine_.HiveFile(), broken);
  machine_.Activate();

  RegKey key;
  EXPECT_EQ(RegOpenKeyExA(RootKey::LocalMachine, "System", 0, KEY_READ, key), ERROR_BADDB);
  EXPECT_EQ(RegOpenKeyExA(RootKey::ClassesRoot, "", 0, KEY_READ, key), ERROR_BADDB);
  EXPECT_EQ(RegCreateKeyExA(RootKey::LocalMachine, "System\\New", KEY_ALL_ACCESS, key), ERROR_BADDB);
  EXPECT_EQ(RegSetValueExA(RegKey::Root(RootKey::LocalMachine), "x", REG_SZ, "1"), ERROR_BADDB);
  EXPECT_EQ(HiveBytes(), broken);
  EXPECT_EQ(RegistryLoadError(RootKey::LocalMachine),
            Binary() ? "C:\\WINDOWS\\SYSTEM.DAT: not a Windows 95 registry file"
                     : "C:\\WINDOWS\\SYSTEM.REG line 4: a value of an unknown form");
  EXPECT_EQ(RegistryLoadError(RootKey::ClassesRoot), RegistryLoadError(RootKey::LocalMachine));

  // The user's hive is a file of its own and still works.
  EXPECT_EQ(RegistryLoadError(RootKey::CurrentUser), "");
  EXPECT_EQ(RegCreateKeyExA(RootKey::CurrentUser, "Network", KEY_ALL_ACCESS, key), ERROR_SUCCESS);
}

TEST_F(RegistryTest, DeletedKeyIsNoticedThroughHandlesStillOpen) {
  RegKey second;
  ASSERT_EQ(RegOpenKeyExA(RootKey::LocalMachine, "System\\Test\\Second", 0, KEY_ALL_ACCESS, second), ERROR_SUCCESS);
  RegKey parent = OpenTest(KEY_ALL_ACCESS);
  ASSERT_EQ(RegDeleteKeyA(parent, "second"), ERROR_SUCCESS);
  EXPECT_EQ(RegSetValueExA(second, "v", REG_SZ, "1"), ERROR_KEY_DELETED);
  EXPECT_EQ(RegDeleteKeyA(parent, "second"), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(machine_.HiveText().find("Second"), std::string::npos);
}

TEST_F(RegistryTest, FailedSaveUndoesTheChange) {
  RegKey key = OpenTest(KEY_ALL_ACCESS);
  std::filesystem::remove_all(machine_.Builder().HostPath("C:\\WINDOWS"));
  EXPECT_NE(RegSetValueExA(key, "Mask", REG_DWORD, std::string("\x07\0\0\0", 4)), ERROR_SUCCESS);
  std::string data;
  DWORD size = 4;
  ASSERT_EQ(RegQueryValueExA(key, "Mask", nullptr, &data, size), ERROR_SUCCESS);
  EXPECT_EQ(data, std::string("\x05\0\0\0", 4));
}

TEST_F(RegistryTest, HostileNamesAreRefusedAndHostileDataSurvivesReload) {
  RegKey key = OpenTest(KEY_ALL_ACCESS);
  RegKey created;
  EXPECT_EQ(RegCreateKeyExA(key, "bad\r\n[HKEY_LOCAL_MACHINE\\Injected]", KEY_ALL_ACCESS, created),
            ERROR_INVALID_PARAMETER);
  EXPECT_EQ(RegSetValueExA(key, "line\nbreak", REG_SZ, "x"), ERROR_INVALID_PARAMETER);
  EXPECT_EQ(RegSetValueExA(key, std::string_view("nul\0", 4), REG_SZ, "x"), ERROR_INVALID_PARAMETER);
  EXPECT_EQ(HiveBytes(), initialBytes_);

  const std::string hostile = std::string("a\"b\\c\r\n[HKEY_LOCAL_MACHINE\\X]\r\n\0tail", 30);
  ASSERT_EQ(RegSetValueExA(key, "odd \"name\" ]", REG_SZ, hostile), ERROR_SUCCESS);
  ASSERT_EQ(RegCreateKeyExA(key, "sub]key [x]", KEY_ALL_ACCESS, created), ERROR_SUCCESS);
  machine_.Activate();
  EXPECT_EQ(RegistryLoadError(RootKey::LocalMachine), "");
  RegKey again = OpenTest();
  std::string data;
  DWORD size = 100;
  ASSERT_EQ(RegQueryValueExA(again, "ODD \"NAME\" ]", nullptr, &data, size), ERROR_SUCCESS);
  EXPECT_EQ(data, hostile + std::string(1, '\0'));
  EXPECT_EQ(RegOpenKeyExA(again, "SUB]KEY [X]", 0, KEY_READ, created), ERROR_SUCCESS);
  EXPECT_EQ(RegOpenKeyExA(RootKey::LocalMachine, "X", 0, KEY_READ, created), ERROR_FILE_NOT_FOUND);
}

TEST_F(RegistryTest, ClosedAndInvalidHandlesAreRefused) {
  RegKey key = OpenTest();
  EXPECT_EQ(RegCloseKey(key), ERROR_SUCCESS);
  EXPECT_FALSE(key.Valid());
  EXPECT_EQ(RegCloseKey(key), ERROR_INVALID_HANDLE);
  std::string name;
  DWORD size = 32;
  EXPECT_EQ(RegEnumKeyExA(RegKey(12345), 0, name, size), ERROR_INVALID_HANDLE);
}

}  // namespace
}  // namespace w95
