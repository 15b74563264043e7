// Binary hives whose navigation links loop, as the binary writer's fuzz
// harness made them: libcreg refuses them as damaged at once (it would follow
// the loop without end); the program reads the keys the loop does not hide,
// and refuses to write such a file.
#include <gtest/gtest.h>

#include "platform/registry/creg_read.h"
#include "platform/registry/registry.h"
#include "support/hive_names.h"
#include "support/temp_machine.h"

namespace w95 {
namespace {

using dxl::testing::kSystemDat;

constexpr size_t kNavigation = 32;  // the RGKN record
constexpr size_t kChild = 16;       // a key entry's first child link
constexpr size_t kNext = 20;        // and its next sibling link

uint32_t Get32(const std::string& b, size_t at) {
  uint32_t v = 0;
  for (size_t i = 0; i < 4; ++i) v |= uint32_t{static_cast<unsigned char>(b[at + i])} << (8 * i);
  return v;
}

void Put32(std::string& b, size_t at, uint32_t v) {
  for (size_t i = 0; i < 4; ++i) b[at + i] = static_cast<char>(v >> (8 * i));
}

class LoopingHive : public ::testing::Test {
 protected:
  void SetUp() override {
    machine_.Builder().InstallPrintingSystem();
    machine_.Builder().UseBinaryRegistry();
    good_ = machine_.Read(kSystemDat);
    root_ = Get32(good_, kNavigation + 8);
    first_ = Get32(good_, kNavigation + root_ + kChild);
  }
  // The machine's hive with one link of the key at `key` set to `target`.
  std::string WithLink(uint32_t key, size_t link, uint32_t target) const {
    std::string bytes = good_;
    Put32(bytes, kNavigation + key + link, target);
    return bytes;
  }

  dxl::testing::TempMachine machine_;
  std::string good_;
  uint32_t root_ = 0;
  uint32_t first_ = 0;
};

TEST_F(LoopingHive, IsNeverWritten) {
  struct Case {
    const char* what;
    std::string bytes;
  };
  const Case cases[] = {
      // The harness's input: a next link to offset 0, the navigation record's own
      // header read as a key whose child and next links are 0 again.
      {"a link to the navigation header", WithLink(first_, kNext, 0)},
      {"a key that is its own next sibling", WithLink(first_, kNext, first_)},
      {"a key whose child is the root", WithLink(first_, kChild, root_)},
  };
  RegHive good("HKEY_LOCAL_MACHINE");
  ASSERT_FALSE(ReadCregBytes(good_, good));
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    RegHive hive("HKEY_LOCAL_MACHINE");
    EXPECT_EQ(ReadCregBytes(c.bytes, hive), "the registry file is damaged");
    machine_.Builder().File(kSystemDat, c.bytes);
    machine_.Activate();
    RegKey key;
    EXPECT_NE(RegCreateKeyExA(RootKey::LocalMachine, "Fuzz", KEY_ALL_ACCESS, key), ERROR_SUCCESS);
    EXPECT_EQ(RegOpenKeyExA(RootKey::LocalMachine, "Fuzz", 0, KEY_READ, key), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(machine_.Read(kSystemDat), c.bytes);
  }
}

}  // namespace
}  // namespace w95
