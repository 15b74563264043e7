// The machine builder's binary hives: fresh ones and ones shaped like a
// long-used installation keep every rule of the bookkeeping (creg_check.h),
// read through libcreg as the tree they were written from, and the used ones
// have the shape they promise, the same for the same seed.
#include "machine_builder/used_hive.h"

#include <gtest/gtest.h>

#include "machine_builder/binary_hives.h"
#include "platform/registry/creg_check.h"
#include "platform/registry/creg_format.h"
#include "platform/registry/creg_read.h"
#include "support/temp_machine.h"

namespace w95 {
namespace {

using namespace creg::names;

struct Shape {
  size_t blocks = 0;
  size_t nearlyFull = 0;         // blocks of 60 KiB or more with less than 4 KiB unused
  size_t middleFreeRecords = 0;  // free records followed by an entry in use
  size_t endFreeRecords = 0;
  uint32_t highestId = 0;
  size_t freeRuns = 0;
};

Shape ShapeOf(const std::string& b) {
  Shape shape;
  for (size_t at = Get32(b, creg::file::kFirstBlock); at < b.size(); at += Get32(b, at + blk::kSize)) {
    ++shape.blocks;
    const size_t size = Get32(b, at + blk::kSize);
    if (size >= 61440 && Get32(b, at + blk::kUnused) < creg::kPage) ++shape.nearlyFull;
    shape.highestId = std::max<uint32_t>(shape.highestId, Get16(b, at + blk::kMaxId));
    for (size_t e = at + blk::kHeaderSize; e < at + size; e += Get32(b, e + ent::kSize)) {
      if (Get16(b, e + ent::kId) != kNoId) continue;
      const bool last = e + Get32(b, e + ent::kSize) == at + size;
      ++(last ? shape.endFreeRecords : shape.middleFreeRecords);
    }
  }
  for (uint32_t run = Get32(b, nav::kAt + nav::kFreeHead); run != kNone;
       run = Get32(b, nav::kAt + run + slot::kNextFree))
    ++shape.freeRuns;
  return shape;
}

TEST(UsedHive, HasTheShapeOfALongUsedInstallationAndReadsAsItsTree) {
  RegHive tree("HKEY_LOCAL_MACHINE");
  dxl::tools::AddUsedInstallationKeys(tree.Root(), 5000, 11);
  struct Case {
    bool win98;
    bool checksums;
  };
  for (const Case c : {Case{false, true}, Case{true, false}}) {
    SCOPED_TRACE(c.win98 ? "Windows 98" : "Windows 95");
    const std::string bytes =
        dxl::tools::UsedCregHive(tree.Root(), {.seed = 4, .win98 = c.win98, .checksums = c.checksums});
    EXPECT_EQ(CheckCregFile(bytes), std::nullopt);
    RegHive read("HKEY_LOCAL_MACHINE");
    ASSERT_EQ(ReadCregBytes(bytes, read), std::nullopt);
    EXPECT_TRUE(SameRegTree(read.Root(), tree.Root()));
    const Shape shape = ShapeOf(bytes);
    EXPECT_GE(shape.blocks, 24u);
    EXPECT_GE(shape.nearlyFull, shape.blocks - 1);
    EXPECT_GE(shape.highestId, 250u);
    EXPECT_GE(shape.freeRuns, 100u);
    EXPECT_EQ(shape.middleFreeRecords > shape.blocks, c.win98);
    EXPECT_EQ((Get16(bytes, creg::file::kFlags) & creg::kChecksumValid) != 0, c.checksums);
  }
}

TEST(UsedHive, TheSameSeedGivesTheSameBytes) {
  RegHive tree("HKEY_LOCAL_MACHINE");
  dxl::tools::AddUsedInstallationKeys(tree.Root(), 300, 2);
  RegHive again("HKEY_LOCAL_MACHINE");
  dxl::tools::AddUsedInstallationKeys(again.Root(), 300, 2);
  EXPECT_EQ(dxl::tools::UsedCregHive(tree.Root(), {.seed = 9}), dxl::tools::UsedCregHive(again.Root(), {.seed = 9}));
  EXPECT_NE(dxl::tools::UsedCregHive(tree.Root(), {.seed = 9}), dxl::tools::UsedCregHive(tree.Root(), {.seed = 10}));
}

// The standard installation's SYSTEM.DAT and USER.DAT, fresh and used.
TEST(UsedHive, TheBuildersHivesKeepEveryRule) {
  for (int used : {0, 1, 2}) {
    SCOPED_TRACE(used);
    dxl::testing::TempMachine machine;
    machine.Builder().UseBinaryRegistry();
    if (used) machine.Builder().UseUsedHives({.seed = 3, .win98 = used == 2});
    machine.Builder().InstallPrintingSystem();
    for (bool user : {false, true}) {
      const std::string bytes = machine.Read(user ? "C:\\WINDOWS\\USER.DAT" : "C:\\WINDOWS\\SYSTEM.DAT");
      EXPECT_EQ(CheckCregFile(bytes), std::nullopt);
      EXPECT_EQ(Get32(bytes, creg::file::kUnknown20) == 0x10000 || Get32(bytes, creg::file::kUnknown20) == 0x800000,
                true);
      const RegHive read = dxl::tools::ReadBinaryHive(machine.Builder(), user);
      EXPECT_FALSE(read.Root().Children().empty());
    }
  }
}

}  // namespace
}  // namespace w95
