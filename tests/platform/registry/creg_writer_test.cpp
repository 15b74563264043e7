// The binary writer on hives shaped like a long-used installation, in both
// styles of free records: every registry fix the wizard makes leaves a file
// on which every bookkeeping rule holds and which libcreg reads as before
// apart from the intended change; a DWORD of the same size changes only its
// own bytes and the checksum that follows them; hives without write bits are
// written and keep their mode.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <functional>

#include "machine_builder/binary_hives.h"
#include "machine_builder/used_hive.h"
#include "platform/network/persistent_connections.h"
#include "platform/registry/creg_format.h"
#include "platform/registry/creg_read.h"
#include "platform/registry/registry.h"
#include "support/creg_bookkeeping.h"
#include "support/hive_names.h"
#include "support/temp_machine.h"

namespace w95 {
namespace {

using dxl::testing::Dword, dxl::testing::kSystemDat, dxl::testing::kUserDat;

constexpr const char* kPrinters = "System\\CurrentControlSet\\control\\Print\\Printers";
constexpr const char* kPrinter = "System\\CurrentControlSet\\control\\Print\\Printers\\Tavix KRT-310";
constexpr int kComponents = 900;

std::string Sz(std::string_view text) { return std::string(text) + '\0'; }

// Registered components as years of installations leave them: a class id
// with its server, every other one with a larger binary value.
void AddComponents(RegHive& hive) {
  for (int i = 0; i < kComponents; ++i) {
    char id[64];
    std::snprintf(id, sizeof id, "{%08X-0000-0000-C000-000000000046}", 0x10000 + i);
    RegNode& clsid = hive.Create({"SOFTWARE", "Classes", "CLSID", id});
    clsid.SetValue("", REG_SZ, Sz("Component " + std::to_string(i)));
    if (i % 2) clsid.SetValue("Data", REG_BINARY, std::string(160 + i % 97, char(i)));
    hive.Create({"SOFTWARE", "Classes", "CLSID", id, "InprocServer32"})
        .SetValue("", REG_SZ, Sz("C:\\WINDOWS\\SYSTEM\\COMP" + std::to_string(i) + ".DLL"));
  }
}

LONG SetValue(RootKey root, const char* path, const char* name, DWORD type, const std::string& data) {
  RegKey key;
  if (LONG error = RegOpenKeyExA(root, path, 0, KEY_ALL_ACCESS, key)) return error;
  return RegSetValueExA(key, name, type, data);
}

void SetIn(RegHive& hive, std::vector<std::string> path, const char* name, DWORD type, const std::string& data) {
  RegNode* node = hive.Find(path);
  ASSERT_NE(node, nullptr);
  node->SetValue(name, type, data);
}

std::vector<std::string> UserPath(std::string_view below) {
  std::vector<std::string> path = SplitKeyPath(below);
  path.insert(path.begin(), ".Default");
  return path;
}

struct Fix {
  const char* what;
  bool user;                               // the fix writes USER.DAT
  std::function<void(RegHive&)> seed;      // what the hive holds before (besides the installation)
  std::function<LONG()> apply;             // the fix, through the registry calls
  std::function<void(RegHive&)> intended;  // the same change, on libcreg's reading of the file before
  bool sameSizeDword = false;
};

const std::string kServer = "\\\\SERVER\\KRT310";

std::vector<Fix> Fixes() {
  auto none = [](RegHive&) {};
  auto oldConnection = [](const char* spelling) {
    return [spelling](RegHive& hive) {
      hive.Create(UserPath(std::string("Network\\Persistent\\") + spelling))
          .SetValue("RemotePath", REG_SZ, Sz("\\\\OLD\\Q"));
    };
  };
  return {
      {"a printer's Attributes", false, none,
       [] { return SetValue(RootKey::LocalMachine, kPrinter, "Attributes", REG_DWORD, Dword(0x0A44)); },
       [](RegHive& h) { SetIn(h, SplitKeyPath(kPrinter), "Attributes", REG_DWORD, Dword(0x0A44)); }, true},
      {"DOSSpoolMask", false, none,
       [] { return SetValue(RootKey::LocalMachine, kPrinters, "DOSSpoolMask", REG_DWORD, Dword(0xFE)); },
       [](RegHive& h) { SetIn(h, SplitKeyPath(kPrinters), "DOSSpoolMask", REG_DWORD, Dword(0xFE)); }, true},
      {"PrintersMask", false, none,
       [] { return SetValue(RootKey::LocalMachine, kPrinters, "PrintersMask", REG_BINARY, Dword(0x0F)); },
       [](RegHive& h) { SetIn(h, SplitKeyPath(kPrinters), "PrintersMask", REG_BINARY, Dword(0x0F)); }},
      {"the printer's Port", false, none,
       [] { return SetValue(RootKey::LocalMachine, kPrinter, "Port", REG_SZ, kServer); },
       [](RegHive& h) { SetIn(h, SplitKeyPath(kPrinter), "Port", REG_SZ, Sz(kServer)); }},
      {"a key deleted", false, none,
       [] { return RegDeleteKeyA(RegKey::Root(RootKey::LocalMachine), "SOFTWARE\\Classes\\CLSID"); },
       [](RegHive& h) {
         h.Remove({"SOFTWARE", "Classes", "CLSID"});
       }},
      {"a persistent connection added", true, none, [] { return WritePersistentConnection("LPT2", kServer); },
       [](RegHive& h) { h.Create(UserPath("Network\\Persistent\\LPT2")).SetValue("RemotePath", REG_SZ, Sz(kServer)); }},
      {"a persistent connection replaced", true, oldConnection("LPT2"),
       [] { return WritePersistentConnection("LPT2", kServer); },
       [](RegHive& h) { SetIn(h, UserPath("Network\\Persistent\\LPT2"), "RemotePath", REG_SZ, Sz(kServer)); }},
      {"a persistent connection respelt", true, oldConnection("lpt2:"),
       [] { return WritePersistentConnection("LPT2", kServer); },
       [](RegHive& h) {
         h.Remove(UserPath("Network\\Persistent\\lpt2:"));
         h.Create(UserPath("Network\\Persistent\\LPT2")).SetValue("RemotePath", REG_SZ, Sz(kServer));
       }},
      {"a persistent connection removed", true, oldConnection("LPT2"),
       [] { return RemovePersistentConnection("LPT2"); },
       [](RegHive& h) { h.Remove(UserPath("Network\\Persistent\\LPT2")); }},
  };
}

class UsedHiveTest : public ::testing::Test {
 protected:
  // The installation's hives, with the components and `seed`, laid out as a long-used installation.
  void Install(bool win98, const std::function<void(RegHive&)>& seed) {
    machine_.emplace();
    machine_->Builder().UseBinaryRegistry();
    machine_->Builder().InstallPrintingSystem();
    for (bool user : {false, true}) {
      RegHive hive = dxl::tools::ReadBinaryHive(machine_->Builder(), user);
      if (!user) AddComponents(hive);
      if (user) seed(hive);
      machine_->Builder().File(user ? kUserDat : kSystemDat, dxl::tools::UsedCregHive(hive.Root(), {.win98 = win98}));
    }
    machine_->Activate();
  }
  RegHive LibraryReading(const std::string& bytes, bool user) {
    RegHive hive(user ? "HKEY_USERS" : "HKEY_LOCAL_MACHINE");
    EXPECT_FALSE(ReadCregBytes(bytes, hive));
    return hive;
  }

  std::optional<dxl::testing::TempMachine> machine_;
};

// The byte positions at which two files of the same size differ.
std::vector<size_t> Differences(const std::string& a, const std::string& b) {
  std::vector<size_t> at;
  for (size_t i = 0; i < std::min(a.size(), b.size()); ++i)
    if (a[i] != b[i]) at.push_back(i);
  return at;
}

// The start of the data block that holds `at`.
size_t BlockHolding(const std::string& file, size_t at) {
  size_t start = creg::Get32(file, creg::file::kFirstBlock);
  while (start + creg::Get32(file, start + creg::block::kSize) <= at)
    start += creg::Get32(file, start + creg::block::kSize);
  return start;
}

TEST_F(UsedHiveTest, EveryFixKeepsTheBookkeepingAndChangesOnlyWhatItMeans) {
  for (bool win98 : {false, true}) {
    for (const Fix& fix : Fixes()) {
      SCOPED_TRACE(std::string(fix.what) + (win98 ? ", Windows 98" : ", Windows 95"));
      Install(win98, fix.seed);
      const char* file = fix.user ? kUserDat : kSystemDat;
      const std::string before = machine_->Read(file);
      const std::string other = machine_->Read(fix.user ? kSystemDat : kUserDat);
      ASSERT_EQ(dxl::testing::WrittenBookkeepingFault(before), std::nullopt) << "the test hive itself";
      RegHive expected = LibraryReading(before, fix.user);
      ASSERT_EQ(fix.apply(), ERROR_SUCCESS);
      const std::string after = machine_->Read(file);
      EXPECT_EQ(dxl::testing::WrittenBookkeepingFault(after), std::nullopt);
      fix.intended(expected);
      EXPECT_TRUE(SameRegTree(LibraryReading(after, fix.user).Root(), expected.Root()));
      EXPECT_EQ(machine_->Read(fix.user ? kSystemDat : kUserDat), other);
      if (!fix.sameSizeDword) continue;
      // Only the value's bytes and the checksum of its block.
      ASSERT_EQ(after.size(), before.size());
      const auto changed = Differences(before, after);
      ASSERT_FALSE(changed.empty());
      const size_t checksum = BlockHolding(before, changed.front()) + creg::block::kChecksum;
      std::vector<size_t> value;
      for (size_t at : changed)
        if (at < checksum || at >= checksum + 4) value.push_back(at);
      ASSERT_FALSE(value.empty());
      EXPECT_LT(value.back() - value.front(), 4u) << "more than the value's data changed";
    }
  }
}

// Further changes on the file the writer left: it accepts its own output,
// reuses what it freed, and grows blocks and the navigation area as Windows does.
TEST_F(UsedHiveTest, ManyChangesInARowKeepEveryRule) {
  for (bool win98 : {false, true}) {
    SCOPED_TRACE(win98 ? "Windows 98" : "Windows 95");
    Install(win98, [](RegHive&) {});
    RegHive expected = LibraryReading(machine_->Read(kSystemDat), false);
    RegKey clsid;
    ASSERT_EQ(RegOpenKeyExA(RootKey::LocalMachine, "SOFTWARE\\Classes\\CLSID", 0, KEY_ALL_ACCESS, clsid),
              ERROR_SUCCESS);
    for (int i = 0; i < 40; ++i) {
      const std::string name = "New" + std::to_string(i);
      RegKey key;
      ASSERT_EQ(RegCreateKeyExA(clsid, name, KEY_ALL_ACCESS, key), ERROR_SUCCESS) << i;
      const std::string data(i % 5 == 0 ? 3000 : 20, char('a' + i % 26));
      ASSERT_EQ(RegSetValueExA(key, "v", REG_BINARY, data), ERROR_SUCCESS) << i;
      expected.Create({"SOFTWARE", "Classes", "CLSID", name}).SetValue("v", REG_BINARY, data);
      if (i % 3 == 0) {
        char id[64];
        std::snprintf(id, sizeof id, "{%08X-0000-0000-C000-000000000046}", 0x10000 + i);
        ASSERT_EQ(RegDeleteKeyA(clsid, id), ERROR_SUCCESS) << i;
        expected.Remove({"SOFTWARE", "Classes", "CLSID", id});
      }
    }
    const std::string after = machine_->Read(kSystemDat);
    EXPECT_EQ(dxl::testing::WrittenBookkeepingFault(after), std::nullopt);
    EXPECT_TRUE(SameRegTree(LibraryReading(after, false).Root(), expected.Root()));
  }
}

TEST_F(UsedHiveTest, HivesWithoutWriteBitsAreWrittenAndKeepTheirMode) {
  Install(false, [](RegHive&) {});
  for (const char* file : {kSystemDat, kUserDat}) chmod(machine_->Builder().HostPath(file).c_str(), 0444);
  EXPECT_EQ(SetValue(RootKey::LocalMachine, kPrinter, "Attributes", REG_DWORD, Dword(0x0A44)), ERROR_SUCCESS);
  EXPECT_EQ(WritePersistentConnection("LPT2", kServer), ERROR_SUCCESS);
  machine_->Activate();
  RegKey key;
  EXPECT_EQ(RegOpenKeyExA(RootKey::CurrentUser, "Network\\Persistent\\LPT2", 0, KEY_READ, key), ERROR_SUCCESS);
  for (const char* file : {kSystemDat, kUserDat}) {
    struct stat st {};
    ASSERT_EQ(stat(machine_->Builder().HostPath(file).c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0444u) << file;
    EXPECT_EQ(dxl::testing::WrittenBookkeepingFault(machine_->Read(file)), std::nullopt) << file;
  }
}

}  // namespace
}  // namespace w95
