// The binary hive store on real SYSTEM.DAT / USER.DAT files: what the registry
// calls read, and that every change keeps the bookkeeping, reads back through
// libcreg and leaves the previous hive beside the new one.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>

#include "machine_builder/binary_hives.h"
#include "machine_builder/broken_hive.h"
#include "machine_builder/hives.h"
#include "platform/registry/creg_format.h"
#include "platform/registry/creg_read.h"
#include "platform/registry/creg_serialize.h"
#include "platform/registry/registry.h"
#include "platform/spooler/spooler.h"
#include "support/creg_bookkeeping.h"
#include "support/hive_names.h"
#include "support/temp_machine.h"

namespace w95 {
namespace {

using dxl::testing::Dword, dxl::testing::kSystemDat, dxl::testing::kUserDat;

constexpr const char* kPrinterKey = "System\\CurrentControlSet\\control\\Print\\Printers\\Tavix KRT-310";
constexpr const char* kPrintersKey = "System\\CurrentControlSet\\control\\Print\\Printers";

// The byte positions at which two files of the same size differ, checksum fields left out.
std::vector<size_t> Differences(const std::string& a, const std::string& b) {
  std::vector<size_t> checksums = {creg::file::kChecksum, creg::nav::kAt + creg::nav::kChecksum};
  for (size_t block = creg::Get32(a, creg::file::kFirstBlock); block + creg::block::kHeaderSize <= a.size();
       block += creg::Get32(a, block + creg::block::kSize)) {
    checksums.push_back(block + creg::block::kChecksum);
    if (creg::Get32(a, block + creg::block::kSize) == 0) break;
  }
  std::vector<size_t> at;
  for (size_t i = 0; i < std::min(a.size(), b.size()); ++i)
    if (a[i] != b[i] && std::none_of(checksums.begin(), checksums.end(), [&](size_t c) { return i >= c && i < c + 4; }))
      at.push_back(i);
  return at;
}

// The lines of cregexport's listing of a file that the other file's listing lacks.
std::vector<std::string> ExportLinesOnlyIn(const std::filesystem::path& file, const std::filesystem::path& other) {
  auto lines = [](const std::filesystem::path& path) {
    std::vector<std::string> out;
    FILE* pipe = popen(("cregexport -c windows-936 '" + path.string() + "' 2>/dev/null").c_str(), "r");
    char line[4096];
    while (pipe && fgets(line, sizeof line, pipe)) out.emplace_back(line);
    if (pipe) pclose(pipe);
    return out;
  };
  auto mine = lines(file);
  auto theirs = lines(other);
  std::vector<std::string> only;
  for (const auto& line : mine)
    if (std::find(theirs.begin(), theirs.end(), line) == theirs.end()) only.push_back(line);
  return only;
}

class BinaryHiveTest : public ::testing::Test {
 protected:
  void SetUp() override {
    machine_.Builder().UseBinaryRegistry();
    machine_.Builder().InstallPrintingSystem();
    machine_.Activate();
    before_ = machine_.Read(kSystemDat);
  }
  std::filesystem::path Host(const char* path) { return machine_.Builder().HostPath(path); }
  RegHive ReadBack(bool user) { return dxl::tools::ReadBinaryHive(machine_.Builder(), user); }

  dxl::testing::TempMachine machine_;
  std::string before_;
};

TEST_F(BinaryHiveTest, TheInstallationReadsAsOnTheTextStore) {
  ASSERT_FALSE(machine_.Exists("C:\\WINDOWS\\SYSTEM.REG"));
  RegKey key;
  ASSERT_EQ(RegOpenKeyExA(RootKey::ClassesRoot, "DXL\\Providers\\DXLQ7\\Module", 0, KEY_READ, key), ERROR_SUCCESS);
  std::string data;
  DWORD size = 64;
  EXPECT_EQ(RegQueryValueExA(key, "", nullptr, &data, size), ERROR_SUCCESS);
  EXPECT_EQ(data, std::string("DXLQ7PSM.DLL\0", 13));
  size = 4;
  EXPECT_EQ(RegQueryValueExA(key, "", nullptr, &data, size), ERROR_MORE_DATA);
  EXPECT_EQ(size, 13u);
  RegKey user;
  ASSERT_EQ(RegOpenKeyExA(RootKey::CurrentUser, "Control Panel\\International", 0, KEY_QUERY_VALUE, user),
            ERROR_SUCCESS);
  size = 64;
  EXPECT_EQ(RegQueryValueExA(user, "sDate", nullptr, &data, size), ERROR_SUCCESS);
  EXPECT_EQ(data, std::string("-\0", 2));
  EXPECT_EQ(RegSetValueExA(user, "sDate", REG_SZ, "/"), ERROR_ACCESS_DENIED);
}

TEST_F(BinaryHiveTest, ADwordOfTheSameSizeIsPatchedInPlace) {
  RegKey key;
  ASSERT_EQ(RegOpenKeyExA(RootKey::LocalMachine, kPrinterKey, 0, KEY_ALL_ACCESS, key), ERROR_SUCCESS);
  ASSERT_EQ(RegSetValueExA(key, "Attributes", REG_DWORD, Dword(0x0A44)), ERROR_SUCCESS);
  std::string after = machine_.Read(kSystemDat);
  ASSERT_EQ(after.size(), before_.size());
  auto changed = Differences(before_, after);
  ASSERT_EQ(changed.size(), 1u);  // 0x844 -> 0xA44: one byte
  EXPECT_EQ(after.substr(changed[0] - 1, 2), Dword(0x0A44).substr(0, 2));
  // The hive as it was is kept beside it, and cregexport sees the one change.
  EXPECT_EQ(machine_.Read("C:\\WINDOWS\\SYSTEM.DXB"), before_);
  auto added = ExportLinesOnlyIn(Host(kSystemDat), Host("C:\\WINDOWS\\SYSTEM.DXB"));
  for (const auto& line : added)
    EXPECT_TRUE(line.find("44 0a") != std::string::npos || line.find("2628") != std::string::npos) << line;
  EXPECT_FALSE(added.empty());
}

TEST_F(BinaryHiveTest, ChangesThatGrowAnEntryStayInTheDataBlocks) {
  struct Case {
    const char* key;
    const char* value;
    DWORD type;
    std::string data;
  };
  const Case cases[] = {
      {kPrinterKey, "Port", REG_SZ, std::string("\\\\SERVER\\KRT310\0", 16)},
      {kPrintersKey, "PrintersMask", REG_BINARY, std::string("\x0f\x00\x00\x00\x00\x00", 6)},
      {kPrinterKey, "A new value", REG_DWORD, Dword(7)},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.value);
    std::string old = machine_.Read(kSystemDat);
    RegKey key;
    ASSERT_EQ(RegOpenKeyExA(RootKey::LocalMachine, c.key, 0, KEY_ALL_ACCESS, key), ERROR_SUCCESS);
    ASSERT_EQ(RegSetValueExA(key, c.value, c.type, c.data), ERROR_SUCCESS);
    std::string now = machine_.Read(kSystemDat);
    EXPECT_EQ(dxl::testing::WrittenBookkeepingFault(now), std::nullopt);
    // The file header and the navigation area stay as they were: the entry grew inside the data blocks.
    size_t prefix = Differences(old, now).front();
    size_t grown = now.size() - old.size();
    EXPECT_GE(prefix, creg::Get32(old, creg::file::kFirstBlock)) << "more than the data blocks changed";
    EXPECT_EQ(grown % creg::kPage, 0u);
    RegHive hive = ReadBack(false);
    const RegNode* node = hive.Find(SplitKeyPath(c.key));
    ASSERT_NE(node, nullptr);
    ASSERT_NE(node->Value(c.value), nullptr);
    EXPECT_EQ(node->Value(c.value)->data, c.data);
    EXPECT_LE(grown, creg::kPage);
  }
  // The backup is the hive as the program found it, not an intermediate one.
  EXPECT_EQ(machine_.Read("C:\\WINDOWS\\SYSTEM.DXB"), before_);
}

// A deleted key is unlinked from its parent's list, its slot and name entry
// freed, whether the values of the keys around it were asked for before or not.
TEST_F(BinaryHiveTest, ADeletedKeyIsFreedWhateverWasAskedBefore) {
  struct Case {
    const char* what;
    const char* deleted;
    bool askFirst;
  };
  const Case cases[] = {
      {"the middle one, nothing asked", "B", false},
      {"the middle one, its siblings asked", "B", true},
      {"the first one, its siblings asked", "A", true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    RegKey parent;
    ASSERT_EQ(RegCreateKeyExA(RootKey::LocalMachine, "System\\Trio", KEY_ALL_ACCESS, parent), ERROR_SUCCESS);
    for (const char* name : {"A", "B", "C"}) {
      RegKey child;
      ASSERT_EQ(RegCreateKeyExA(parent, name, KEY_ALL_ACCESS, child), ERROR_SUCCESS);
      ASSERT_EQ(RegSetValueExA(child, "v", REG_SZ, name), ERROR_SUCCESS);
    }
    machine_.Activate();  // everything as read from the file
    ASSERT_EQ(RegOpenKeyExA(RootKey::LocalMachine, "System\\Trio", 0, KEY_ALL_ACCESS, parent), ERROR_SUCCESS);
    if (c.askFirst) {
      for (const char* name : {"A", "B", "C"}) {
        RegKey child;
        ASSERT_EQ(RegOpenKeyExA(parent, name, 0, KEY_READ, child), ERROR_SUCCESS);
        DWORD size = 0;
        EXPECT_EQ(RegQueryValueExA(child, "v", nullptr, nullptr, size), ERROR_SUCCESS);
      }
    }
    const std::string old = machine_.Read(kSystemDat);
    ASSERT_EQ(RegDeleteKeyA(parent, c.deleted), ERROR_SUCCESS);
    const std::string now = machine_.Read(kSystemDat);
    ASSERT_EQ(now.size(), old.size());
    EXPECT_EQ(dxl::testing::WrittenBookkeepingFault(now), std::nullopt);
    RegHive hive = ReadBack(false);
    for (const char* name : {"A", "B", "C"}) {
      const RegNode* node = hive.Find({"System", "Trio", name});
      if (std::string_view(name) == c.deleted) {
        EXPECT_EQ(node, nullptr);
        continue;
      }
      ASSERT_NE(node, nullptr) << name;
      ASSERT_NE(node->Value("v"), nullptr);
      EXPECT_EQ(node->Value("v")->data, std::string(name) + '\0');
    }
    ASSERT_EQ(RegDeleteKeyA(RegKey::Root(RootKey::LocalMachine), "System\\Trio"), ERROR_SUCCESS);
  }
}

TEST_F(BinaryHiveTest, APersistentConnectionIsAddedAsANewKeyWithValues) {
  std::string oldUser = machine_.Read(kUserDat);
  RegKey key;
  ASSERT_EQ(RegCreateKeyExA(RootKey::CurrentUser, "Network\\Persistent\\LPT2", KEY_ALL_ACCESS, key), ERROR_SUCCESS);
  ASSERT_EQ(RegSetValueExA(key, "RemotePath", REG_SZ, "\\\\SERVER\\KRT310"), ERROR_SUCCESS);
  ASSERT_EQ(RegSetValueExA(key, "UserName", REG_SZ, "USER"), ERROR_SUCCESS);
  RegHive hive = ReadBack(true);
  const RegNode* node = hive.Find({".Default", "Network", "Persistent", "LPT2"});
  ASSERT_NE(node, nullptr);
  ASSERT_EQ(node->Values().size(), 2u);
  EXPECT_EQ(node->Value("RemotePath")->data, std::string("\\\\SERVER\\KRT310\0", 16));
  // Every key that was there reads as before.
  RegHive expected{"HKEY_USERS"};
  ASSERT_FALSE(ReadCregBytes(oldUser, expected));
  expected.Create({".Default", "Network", "Persistent", "LPT2"});
  hive.Remove({".Default", "Network"});
  expected.Remove({".Default", "Network"});
  EXPECT_TRUE(SameRegTree(hive.Root(), expected.Root()));
  // Seen again after a fresh start.
  machine_.Activate();
  RegKey again;
  EXPECT_EQ(RegOpenKeyExA(RootKey::CurrentUser, "Network\\Persistent\\LPT2", 0, KEY_READ, again), ERROR_SUCCESS);
}

TEST_F(BinaryHiveTest, AnEntryThatOutgrowsItsBlockMovesAndTheFileStillReads) {
  RegKey key;
  ASSERT_EQ(RegOpenKeyExA(RootKey::LocalMachine, kPrinterKey, 0, KEY_ALL_ACCESS, key), ERROR_SUCCESS);
  RegKey printers;
  ASSERT_EQ(RegOpenKeyExA(RootKey::LocalMachine, kPrintersKey, 0, KEY_ALL_ACCESS, printers), ERROR_SUCCESS);
  std::string big(30000, 'x');
  ASSERT_EQ(RegSetValueExA(key, "Big1", REG_BINARY, big), ERROR_SUCCESS);
  ASSERT_EQ(RegSetValueExA(printers, "Big2", REG_BINARY, big), ERROR_SUCCESS);
  ASSERT_EQ(RegSetValueExA(key, "Big3", REG_BINARY, big), ERROR_SUCCESS);  // past 64 KiB: a block of its own
  RegHive hive = ReadBack(false);
  const RegNode* node = hive.Find(SplitKeyPath(kPrinterKey));
  ASSERT_NE(node, nullptr);
  EXPECT_EQ(node->Value("Big3")->data, big);
  EXPECT_EQ(node->Value("Port")->data, std::string("LPT1:\0", 6));
  EXPECT_EQ(hive.Find(SplitKeyPath(kPrintersKey))->Value("Big2")->data, big);
  // Values that no block can hold fail, and the file and memory stay as they were.
  std::string file = machine_.Read(kSystemDat);
  EXPECT_NE(RegSetValueExA(key, "Big4", REG_BINARY, big), ERROR_SUCCESS);
  EXPECT_EQ(machine_.Read(kSystemDat), file);
  DWORD size = 0;
  EXPECT_EQ(RegQueryValueExA(key, "Big4", nullptr, nullptr, size), ERROR_FILE_NOT_FOUND);
}

// Of two subkeys whose names differ only in case (which Windows itself never
// writes), the program shows the first; the other stays in the file as it is.
TEST_F(BinaryHiveTest, OfTwoSubkeysNamedAlikeTheFirstIsShownAndTheOtherKept) {
  struct Case {
    const char* what;
    bool alike;                      // the second subkey's name is the first's in lower case
    std::vector<std::string> names;  // of System's subkeys
  };
  const Case cases[] = {
      {"names that differ", false, {"Dup", "Dpu", "Keep"}},
      {"names alike", true, {"Dup", "Keep"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    RegHive tree("HKEY_LOCAL_MACHINE");
    tree.Create({"System", "Dup"}).SetValue("a", REG_SZ, std::string("1\0", 2));
    tree.Create({"System", "Dpu"}).SetValue("b", REG_SZ, std::string("2\0", 2));
    tree.Create({"System", "Keep"}).SetValue("k", REG_DWORD, Dword(7));
    std::string file = SerializeCreg(tree.Root());
    if (c.alike) {
      const size_t at = file.find("Dpu");  // the same letters: the slot's name hash stays right
      ASSERT_NE(at, std::string::npos);
      file.replace(at, 3, "dup");
    }
    machine_.Builder().File(kSystemDat, file);
    machine_.Activate();
    RegKey system;
    ASSERT_EQ(RegOpenKeyExA(RootKey::LocalMachine, "System", 0, KEY_ALL_ACCESS, system), ERROR_SUCCESS);
    std::vector<std::string> names;
    std::string name;
    for (DWORD size = 64; RegEnumKeyExA(system, static_cast<DWORD>(names.size()), name, size) == ERROR_SUCCESS;
         size = 64)
      names.push_back(name);
    EXPECT_EQ(names, c.names);
    RegKey dup;
    ASSERT_EQ(RegOpenKeyExA(system, "DUP", 0, KEY_ALL_ACCESS, dup), ERROR_SUCCESS);
    DWORD size = 0;
    EXPECT_EQ(RegQueryValueExA(dup, "a", nullptr, nullptr, size), ERROR_SUCCESS);
    EXPECT_EQ(RegQueryValueExA(dup, "b", nullptr, nullptr, size), ERROR_FILE_NOT_FOUND);
    ASSERT_EQ(RegSetValueExA(dup, "c", REG_SZ, "3"), ERROR_SUCCESS);
    ASSERT_EQ(RegDeleteKeyA(system, "Keep"), ERROR_SUCCESS);
    machine_.Activate();
    ASSERT_EQ(RegOpenKeyExA(RootKey::LocalMachine, "System\\Dup", 0, KEY_READ, dup), ERROR_SUCCESS);
    std::string data;
    size = 8;
    ASSERT_EQ(RegQueryValueExA(dup, "c", nullptr, &data, size), ERROR_SUCCESS);
    EXPECT_EQ(data, std::string("3\0", 2));
    EXPECT_EQ(RegOpenKeyExA(RootKey::LocalMachine, "System\\Keep", 0, KEY_READ, dup), ERROR_FILE_NOT_FOUND);
    // The second one is still there, with its value, as libcreg reads the file (which merges keys named alike).
    RegHive read = ReadBack(false);
    const RegNode* second = read.Find({"System", "Dpu"});
    if (c.alike) second = read.Find({"System", "Dup"});
    ASSERT_NE(second, nullptr);
    EXPECT_NE(second->Value("b"), nullptr);
    EXPECT_EQ(dxl::testing::WrittenBookkeepingFault(machine_.Read(kSystemDat)), std::nullopt);
  }
}

TEST_F(BinaryHiveTest, AHiveLibcregCannotReadFailsEveryCallAndStaysByteIdentical) {
  dxl::tools::BreakSystemHive(machine_.Builder());
  std::string broken = machine_.Read(kSystemDat);
  machine_.Activate();
  RegKey key;
  EXPECT_EQ(RegOpenKeyExA(RootKey::ClassesRoot, "DXL", 0, KEY_READ, key), ERROR_BADDB);
  EXPECT_EQ(RegCreateKeyExA(RootKey::LocalMachine, "System\\New", KEY_ALL_ACCESS, key), ERROR_BADDB);
  EXPECT_NE(RegistryLoadError(RootKey::LocalMachine).find("SYSTEM.DAT"), std::string::npos);
  EXPECT_EQ(machine_.Read(kSystemDat), broken);
  EXPECT_FALSE(machine_.Exists("C:\\WINDOWS\\SYSTEM.DXB"));
  // The user hive works on its own.
  EXPECT_EQ(RegOpenKeyExA(RootKey::CurrentUser, "Control Panel", 0, KEY_READ, key), ERROR_SUCCESS);
}

TEST_F(BinaryHiveTest, WithUserProfilesTheCurrentUserIsTheLastUsersProfileHive) {
  dxl::tools::SetRegistryDword(machine_.Builder(), "HKEY_LOCAL_MACHINE\\Network\\Logon", "UserProfiles", 1);
  dxl::tools::SetRegistryText(machine_.Builder(), "HKEY_LOCAL_MACHINE\\Network\\Logon", "username", "LI");
  RegHive profile{"HKEY_USERS"};
  profile.Create({"Control Panel", "International"}).SetValue("sDate", REG_SZ, std::string("/\0", 2));
  machine_.Builder().File("C:\\WINDOWS\\Profiles\\LI\\USER.DAT", SerializeCreg(profile.Root()));
  machine_.Activate();
  RegKey key;
  ASSERT_EQ(RegOpenKeyExA(RootKey::CurrentUser, "Control Panel\\International", 0, KEY_QUERY_VALUE, key),
            ERROR_SUCCESS);
  std::string data;
  DWORD size = 64;
  EXPECT_EQ(RegQueryValueExA(key, "sDate", nullptr, &data, size), ERROR_SUCCESS);
  EXPECT_EQ(data, std::string("/\0", 2));
  // Without the profile's file the user sees .Default.
  machine_.Builder().Remove("C:\\WINDOWS\\Profiles\\LI\\USER.DAT");
  machine_.Activate();
  ASSERT_EQ(RegOpenKeyExA(RootKey::CurrentUser, "Control Panel\\International", 0, KEY_QUERY_VALUE, key),
            ERROR_SUCCESS);
  size = 64;
  EXPECT_EQ(RegQueryValueExA(key, "sDate", nullptr, &data, size), ERROR_SUCCESS);
  EXPECT_EQ(data, std::string("-\0", 2));
}

TEST(CregNameHash, AddsTheUpperCasedBytesBelow0x80) {
  EXPECT_EQ(CregNameHash("SOFTWARE"), 0x026Bu);
  EXPECT_EQ(CregNameHash("software"), 0x026Bu);
  EXPECT_EQ(CregNameHash("A\xb4\xf2"), 0x41u);
}

}  // namespace
}  // namespace w95
