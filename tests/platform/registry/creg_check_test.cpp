// The check of a whole binary hive: sound hives (the builder's, fresh and
// long-used, both free-record styles, with and without checksums) pass and
// read through libcreg as the tree they were written from; each rule broken
// once on a sound hive is found.
#include "platform/registry/creg_check.h"

#include <gtest/gtest.h>

#include <functional>

#include "machine_builder/used_hive.h"
#include "platform/registry/creg_format.h"
#include "platform/registry/creg_read.h"
#include "platform/registry/creg_serialize.h"
#include "platform/registry/registry.h"
#include "support/hive_names.h"

namespace w95 {
namespace {

using dxl::testing::Dword;
using namespace creg::names;

// Software\Tavix\{Printer (two values), Port, Empty}, System\Setup.
void FillTree(RegNode& root) {
  RegNode& tavix = root.ChildOrNew("Software").ChildOrNew("Tavix");
  RegNode& printer = tavix.ChildOrNew("Printer");
  printer.SetValue("Attributes", REG_DWORD, Dword(0x844));
  printer.SetValue("Port", REG_SZ, std::string("LPT1:\0", 6));
  tavix.ChildOrNew("Port").SetValue("", REG_SZ, std::string("LPT1:\0", 6));
  tavix.ChildOrNew("Empty");
  root.ChildOrNew("System").ChildOrNew("Setup").SetValue("Mode", REG_BINARY, std::string("\x01\x02\x03", 3));
}

// The tree libcreg reads from `bytes`, compared with `expected`.
::testing::AssertionResult ReadsAs(const std::string& bytes, const RegNode& expected) {
  RegHive read("HKEY_LOCAL_MACHINE");
  if (auto error = ReadCregBytes(bytes, read)) return ::testing::AssertionFailure() << "libcreg: " << *error;
  if (!SameRegTree(read.Root(), expected)) return ::testing::AssertionFailure() << "libcreg reads another tree";
  return ::testing::AssertionSuccess();
}

TEST(CregCheck, SoundHivesPassAndReadThroughLibcregAsTheirTree) {
  RegHive small("HKEY_LOCAL_MACHINE");
  FillTree(small.Root());
  RegHive big("HKEY_LOCAL_MACHINE");
  FillTree(big.Root());
  dxl::tools::AddUsedInstallationKeys(big.Root(), 400, 7);  // past 8 KiB of slots, several blocks
  RegHive empty("HKEY_LOCAL_MACHINE");
  struct Case {
    const char* what;
    const RegHive& tree;
    std::function<std::string(const RegNode&)> write;
  };
  const Case cases[] = {
      {"fresh", small, [](const RegNode& r) { return SerializeCreg(r); }},
      {"fresh, root alone", empty, [](const RegNode& r) { return SerializeCreg(r); }},
      {"fresh, no checksums", small, [](const RegNode& r) { return SerializeCreg(r, {.checksums = false}); }},
      {"fresh, grown", big, [](const RegNode& r) { return SerializeCreg(r); }},
      {"used, Windows 95", big, [](const RegNode& r) { return dxl::tools::UsedCregHive(r, {.seed = 1}); }},
      {"used, Windows 98", big,
       [](const RegNode& r) { return dxl::tools::UsedCregHive(r, {.seed = 2, .win98 = true, .checksums = false}); }},
      {"used, small tree", small, [](const RegNode& r) { return dxl::tools::UsedCregHive(r, {.seed = 3}); }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const std::string bytes = c.write(c.tree.Root());
    EXPECT_EQ(CheckCregFile(bytes), std::nullopt);
    EXPECT_TRUE(ReadsAs(bytes, c.tree.Root()));
  }
}

// Offsets in a sound hive of FillTree, found through its own links.
class CregCheckRules : public ::testing::Test {
 protected:
  void SetUp() override {
    FillTree(tree_.Root());
    sound_ = SerializeCreg(tree_.Root());
    ASSERT_EQ(CheckCregFile(sound_), std::nullopt);
  }

  static size_t Key(uint32_t offset) { return nav::kAt + offset; }
  static uint32_t Child(const std::string& b, uint32_t key) { return Get32(b, Key(key) + slot::kChild); }
  static size_t FirstBlock(const std::string& b) { return Get32(b, creg::file::kFirstBlock); }
  // The file offset of the name entry named `name`.
  static size_t EntryNamed(const std::string& b, std::string_view name) {
    return b.find(std::string(name), FirstBlock(b)) - ent::kName;
  }
  // The block's free record (the last entry of a fresh block).
  static size_t FreeRecord(const std::string& b) { return FirstBlock(b) + Get32(b, FirstBlock(b) + blk::kFreeOffset); }

  RegHive tree_{"HKEY_LOCAL_MACHINE"};
  std::string sound_;
};

constexpr uint32_t kRoot = 0x20;

TEST_F(CregCheckRules, EachBrokenRuleIsFound) {
  struct Case {
    const char* rule;  // a part of the message
    std::function<void(std::string&)> brk;
    bool checksumsFollow = true;  // the checksums are made right again after the change
  };
  // Tree order: root 0x20, Software 0x3C, Tavix 0x58, Printer 0x74, Port 0x90, Empty 0xAC, System 0xC8, Setup 0xE4.
  const uint32_t software = 0x3C, tavix = 0x58, printer = 0x74, port = 0x90, empty = 0xAC, setup = 0xE4;
  const Case cases[] = {
      {"header's checksum", [](std::string& b) { b[creg::file::kChecksum] ^= 1; }, false},
      {"navigation area's checksum", [](std::string& b) { b[nav::kAt + 0x1000] ^= 1; }, false},
      {"block's checksum", [](std::string& b) { b[FreeRecord(b) + 30] ^= 1; }, false},
      {"no CREG signature", [](std::string& b) { b[0] = 'X'; }},
      {"no RGKN signature", [](std::string& b) { b[nav::kAt] = 'X'; }},
      {"8 KiB grown in steps of 4 KiB", [](std::string& b) { Put32(b, nav::kAt + nav::kAreaSize, 8192 + 28); }},
      {"first block is not right after", [](std::string& b) { Put32(b, creg::file::kFirstBlock, 32 + 4096); }},
      {"root key is not the first slot", [](std::string& b) { Put32(b, nav::kAt + nav::kRoot, 0x3C); }},
      {"free-list link points at a key in use", [&](std::string& b) { Put32(b, nav::kAt + nav::kFreeHead, port); }},
      {"free slot that is on no free run", [](std::string& b) { Put32(b, nav::kAt + nav::kFreeHead, kNone); }},
      {"free-list link points outside the slots", [](std::string& b) { Put32(b, nav::kAt + nav::kFreeHead, 8190); }},
      {"free slot that is on no free run",
       [](std::string& b) {
         const size_t run = Key(Get32(b, nav::kAt + nav::kFreeHead));
         Put32(b, run + slot::kRunSize, Get32(b, run + slot::kRunSize) - slot::kSize);
       }},
      {"free run's size is not whole slots",
       [](std::string& b) {
         const size_t run = Key(Get32(b, nav::kAt + nav::kFreeHead));
         Put32(b, run + slot::kRunSize, 30);
       }},
      {"free run covers a key in use",  // Setup moved into the free run after it
       [&](std::string& b) {
         b.replace(Key(0x11C), slot::kSize, b.substr(Key(setup), slot::kSize));
         Put32(b, Key(setup) + slot::kState, slot::kFree);
         Put32(b, Key(0xC8) + slot::kChild, 0x11C);
       }},
      {"two free runs overlap",
       [](std::string& b) {
         Put32(b, Key(0x100) + slot::kNextFree, 0x11C);
         Put32(b, Key(0x11C) + slot::kState, slot::kFree);
         Put32(b, Key(0x11C) + slot::kRunSize, slot::kSize);
         Put32(b, Key(0x11C) + slot::kNextFree, kNone);
       }},
      {"free run's slot is not marked free",
       [](std::string& b) { Put32(b, Key(Get32(b, nav::kAt + nav::kFreeHead)) + slot::kState, 0); }},
      {"marked in use that no key links",  // a key deleted but left in use
       [&](std::string& b) {
         Put32(b, Key(tavix) + slot::kChild, port);
         const size_t e = EntryNamed(b, "Printer");
         Put16(b, e + ent::kId, kNoId);
         Put16(b, e + ent::kBlock, kNoId);
         Put32(b, e + ent::kUsedSize, kNone);
         creg::RecountBlock(b, FirstBlock(b));
       }},
      {"name entry in use that no key names", [&](std::string& b) { Put32(b, Key(tavix) + slot::kChild, port); }},
      {"linked twice", [&](std::string& b) { Put32(b, Key(empty) + slot::kChild, tavix); }},
      {"outside the slots libcreg reads", [&](std::string& b) { Put32(b, Key(empty) + slot::kNext, 8192 - 56); }},
      {"linked key's slot is not marked in use",
       [&](std::string& b) { Put32(b, Key(port) + slot::kState, slot::kFree); }},
      {"key in use has a next free run", [&](std::string& b) { Put32(b, Key(port) + slot::kNextFree, 0x100); }},
      {"parent is not the key that links it", [&](std::string& b) { Put32(b, Key(port) + slot::kParent, software); }},
      {"hash is not its name's", [&](std::string& b) { Put32(b, Key(port) + slot::kHash, 1); }},
      {"root key has a name entry", [](std::string& b) { Put16(b, Key(kRoot) + slot::kBlock, 0); }},
      {"root key has a sibling", [](std::string& b) { Put32(b, Key(kRoot) + slot::kNext, 0x3C); }},
      {"not in the block it names", [&](std::string& b) { Put16(b, Key(port) + slot::kId, 9); }},
      {"not in the block it names", [&](std::string& b) { Put16(b, Key(port) + slot::kBlock, 1); }},
      {"two keys name the same name entry",
       [&](std::string& b) { Put16(b, Key(empty) + slot::kId, Get16(b, Key(port) + slot::kId)); }},
      {"block is not its block's index", [](std::string& b) { Put16(b, EntryNamed(b, "Printer") + ent::kBlock, 1); }},
      {"id is above 254",
       [&](std::string& b) {
         Put16(b, EntryNamed(b, "Printer") + ent::kId, 255);
         Put16(b, Key(printer) + slot::kId, 255);
       }},
      {"same id", [](std::string& b) { Put16(b, EntryNamed(b, "Printer") + ent::kId, 0); }},
      {"used size is outside", [](std::string& b) { Put32(b, EntryNamed(b, "Printer") + ent::kUsedSize, 0x400); }},
      {"name and values pass its used size",
       [](std::string& b) { Put16(b, EntryNamed(b, "Printer") + ent::kValueCount, 3); }},
      {"field at +16 is not 0", [](std::string& b) { b[EntryNamed(b, "Printer") + ent::kZero] = 1; }},
      {"value's field at +4 is not 0",
       [](std::string& b) { b[EntryNamed(b, "Printer") + ent::kName + 7 + val::kZero] = 1; }},
      {"free record is not marked free", [](std::string& b) { Put16(b, FreeRecord(b) + ent::kBlock, 0); }},
      {"free record does not parse", [](std::string& b) { Put16(b, FreeRecord(b) + ent::kNameSize, 0xFFFF); }},
      {"size is below its header or passes", [](std::string& b) { Put32(b, FreeRecord(b) + ent::kSize, 0x2000); }},
      {"tail shorter than an entry header",
       [](std::string& b) { Put32(b, FreeRecord(b) + ent::kSize, Get32(b, FreeRecord(b) + ent::kSize) - 4); }},
      {"unused size is not", [](std::string& b) { Put32(b, FirstBlock(b) + blk::kUnused, 8); }},
      {"free offset is not one of its free records",
       [](std::string& b) { Put32(b, FirstBlock(b) + blk::kFreeOffset, blk::kHeaderSize); }},
      {"highest id is not", [](std::string& b) { Put16(b, FirstBlock(b) + blk::kMaxId, 254); }},
      {"first free id is not", [](std::string& b) { Put16(b, FirstBlock(b) + blk::kFirstFreeId, 0); }},
      {"multiple of 4 KiB up to 64 KiB", [](std::string& b) { Put32(b, FirstBlock(b) + blk::kSize, 4000); }},
      {"index is not its place", [](std::string& b) { Put16(b, FirstBlock(b) + blk::kIndex, 1); }},
      {"block count", [](std::string& b) { Put16(b, creg::file::kBlockCount, 2); }},
      {"passes the end of the file", [](std::string& b) { b.pop_back(); }},
      {"no RGDB signature", [](std::string& b) { b += std::string(4096, 'x'); }},
      {"shorter than its two headers", [](std::string& b) { b.resize(40); }, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.rule);
    std::string bytes = sound_;
    c.brk(bytes);
    if (c.checksumsFollow) creg::UpdateChecksums(bytes);
    auto broken = CheckCregFile(bytes);
    ASSERT_TRUE(broken.has_value());
    EXPECT_NE(broken->find(c.rule), std::string::npos) << *broken;
  }
}

TEST_F(CregCheckRules, ChecksumsAreCheckedOnlyWhereAFlagDeclaresThem) {
  std::string bytes = SerializeCreg(tree_.Root(), {.checksums = false});
  Put32(bytes, creg::file::kChecksum, 0x12345678);
  Put32(bytes, nav::kAt + nav::kChecksum, 0x12345678);
  Put32(bytes, FirstBlock(bytes) + blk::kChecksum, 0x12345678);
  EXPECT_EQ(CheckCregFile(bytes), std::nullopt);
}

// Bytes changed at random: the check answers, and libcreg opens every file it passes.
TEST(CregCheck, DamagedHivesGetAnAnswer) {
  RegHive tree("HKEY_LOCAL_MACHINE");
  FillTree(tree.Root());
  const std::string sound = dxl::tools::UsedCregHive(tree.Root(), {.seed = 5, .win98 = true, .checksums = false});
  int passed = 0;
  uint32_t state = 12345;
  for (int round = 0; round < 60; ++round) {
    std::string bytes = sound;
    for (int flips = 1 + round % 8; flips > 0; --flips) {
      state = state * 1103515245 + 12345;
      bytes[(state >> 8) % bytes.size()] = static_cast<char>(state >> 24);
    }
    if (CheckCregFile(bytes)) continue;
    ++passed;
    RegHive read("HKEY_LOCAL_MACHINE");
    EXPECT_EQ(ReadCregBytes(bytes, read), std::nullopt) << "a file the check passes opens in libcreg";
  }
  EXPECT_GT(passed, 0);  // flips in names, values and stale bytes keep the rules
}

}  // namespace
}  // namespace w95
