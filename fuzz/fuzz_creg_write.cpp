// The binary writer over libcreg-read trees (write, check, read back,
// compare): a sequence of changes of any size (DWORD, binary and string
// values, new keys with values, keys deleted) made through the registry calls
// on SYSTEM.DAT: the machine's own, the same keys laid out as after years of
// use (one free record at the end of each block, or several among the entries),
// or a file of any bytes. After every change every bookkeeping rule holds on
// the file (creg_check.h; the harness aborts otherwise) and the file read back
// through libcreg is the expected tree; a change that fails leaves the file
// byte for byte; a hive libcreg refuses is never written. Changes of a good
// hive that stay small always succeed.
#include <fuzzer/FuzzedDataProvider.h>

#include <array>
#include <cstdio>

#include "fuzz_machine.h"
#include "fuzz_require.h"
#include "machine_builder/used_hive.h"
#include "platform/machine/machine.h"
#include "platform/registry/creg_check.h"
#include "platform/registry/creg_read.h"
#include "platform/registry/registry.h"

using dxl::fuzz::Require;

namespace {

constexpr std::string_view kHive = "C:\\WINDOWS\\SYSTEM.DAT";
constexpr int kMaxChanges = 8;
constexpr size_t kSmallData = 1024;

const std::string& MachineHive(dxl::fuzz::FuzzMachine& machine) {
  static const std::string bytes = [&] {
    machine.Builder().UseBinaryRegistry();
    return machine.Builder().Read(kHive);
  }();
  return bytes;
}

// The machine's keys laid out as after years of use, in Windows 95's or Windows 98's style.
const std::string& UsedHive(dxl::fuzz::FuzzMachine& machine, bool win98) {
  static const std::array<std::string, 2> bytes = [&] {
    w95::RegHive tree("HKEY_LOCAL_MACHINE");
    w95::ReadCregBytes(MachineHive(machine), tree);
    return std::array<std::string, 2>{dxl::tools::UsedCregHive(tree.Root(), {.seed = 7, .win98 = false}),
                                      dxl::tools::UsedCregHive(tree.Root(), {.seed = 7, .win98 = true})};
  }();
  return bytes[win98 ? 1 : 0];
}

// What a file the writer left must be: every bookkeeping rule true, and libcreg reads it as `expected`.
void RequireWritten(dxl::fuzz::FuzzMachine& machine, const w95::RegHive& expected) {
  const std::string bytes = machine.Builder().Read(kHive);
  if (auto broken = w95::CheckCregFile(bytes)) {
    std::fprintf(stderr, "bookkeeping: %s\n", broken->c_str());
    Require(false, "every file written keeps every bookkeeping rule");
  }
  w95::RegHive written("HKEY_LOCAL_MACHINE");
  Require(!w95::ReadCregBytes(bytes, written), "a file written reads through libcreg");
  Require(w95::SameRegTree(written.Root(), expected.Root()), "the file written reads as the expected tree");
}

// A key or value name the registry calls take: printable ASCII, no backslash.
std::string Name(FuzzedDataProvider& input, bool mayBeEmpty) {
  std::string name = input.ConsumeRandomLengthString(12);
  for (char& c : name)
    if (c < 0x20 || c > 0x7E || c == '\\') c = '_';
  return name.empty() && !mayBeEmpty ? "K" : name;
}

bool Plain(std::string_view name) {
  if (name.empty()) return false;
  for (char c : name)
    if (c < 0x20 || c > 0x7E || c == '\\') return false;
  return true;
}

// A path of keys of `tree` (those the calls can name), maybe with a new key below it.
std::vector<std::string> KeyPath(FuzzedDataProvider& input, const w95::RegNode& tree) {
  std::vector<std::string> path;
  const w95::RegNode* node = &tree;
  for (int depth = input.ConsumeIntegralInRange(0, 6); depth > 0 && !node->Children().empty(); --depth) {
    const auto* child = node->Children()[input.ConsumeIntegralInRange<size_t>(0, node->Children().size() - 1)].get();
    if (!Plain(child->Name())) break;
    node = child;
    path.emplace_back(node->Name());
  }
  if (path.empty() || input.ConsumeBool()) path.push_back(Name(input, false));
  return path;
}

std::string Joined(const std::vector<std::string>& path) {
  std::string joined;
  for (const auto& part : path) joined += (joined.empty() ? "" : "\\") + part;
  return joined;
}

struct Change {
  std::vector<std::string> path;
  std::vector<w95::RegValue> values;
};

Change MakeChange(FuzzedDataProvider& input, const w95::RegNode& tree) {
  Change change{KeyPath(input, tree), {}};
  for (int count = input.ConsumeIntegralInRange(0, 3); count > 0; --count) {
    w95::RegValue value{Name(input, true), 0, {}};
    switch (input.ConsumeIntegralInRange(0, 2)) {
      case 0:
        value.type = w95::REG_DWORD;
        value.data = input.ConsumeBytesAsString(4);
        value.data.resize(4);
        break;
      case 1:
        value.type = w95::REG_BINARY;
        value.data = input.ConsumeRandomLengthString(4096);
        break;
      default: value.type = w95::REG_SZ; value.data = input.ConsumeRandomLengthString(4096);
    }
    change.values.push_back(std::move(value));
  }
  return change;
}

// One call of a change: the key created, or one value set.
struct Call {
  const Change& change;
  size_t value;  // npos: the key
};

w95::LONG Make(const Call& call, w95::RegKey& key) {
  if (call.value == std::string::npos)
    return w95::RegCreateKeyExA(w95::RootKey::LocalMachine, Joined(call.change.path), w95::KEY_ALL_ACCESS, key);
  const w95::RegValue& value = call.change.values[call.value];
  return w95::RegSetValueExA(key, value.name, value.type, value.data);
}

// The call's effect on the expected tree.
void ApplyToTree(const Call& call, w95::RegHive& tree) {
  w95::RegNode& node = tree.Create(call.change.path);
  if (call.value == std::string::npos) return;
  const w95::RegValue& value = call.change.values[call.value];
  std::string data = value.data;
  if (value.type == w95::REG_SZ && (data.empty() || data.back() != '\0')) data += '\0';
  node.SetValue(value.name, value.type, std::move(data));
}

bool Small(const Change& change) {
  size_t bytes = 0;
  for (const auto& value : change.values) bytes += value.data.size() + value.name.size();
  return bytes <= kSmallData;
}

// Deletes a key of the tree (with everything below it) through RegDeleteKeyA.
void Delete(FuzzedDataProvider& ops, w95::RegHive& expected, dxl::fuzz::FuzzMachine& machine) {
  std::vector<std::string> path;
  const w95::RegNode* node = &expected.Root();
  for (int depth = ops.ConsumeIntegralInRange(1, 6); depth > 0 && !node->Children().empty(); --depth) {
    node = node->Children()[ops.ConsumeIntegralInRange<size_t>(0, node->Children().size() - 1)].get();
    if (!Plain(node->Name())) break;
    path.emplace_back(node->Name());
  }
  if (path.empty()) return;
  const std::string before = machine.Builder().Read(kHive);
  if (w95::RegDeleteKeyA(w95::RegKey::Root(w95::RootKey::LocalMachine), Joined(path)) != w95::ERROR_SUCCESS) {
    Require(machine.Builder().Read(kHive) == before, "a deletion that fails leaves the file as it was");
    return;
  }
  expected.Remove(path);
  RequireWritten(machine, expected);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzedDataProvider input(data, size);
  auto& machine = dxl::fuzz::FuzzMachine::Get();
  // 0: the machine's own hive; 1, 2: its keys in a long-used hive (Windows 95, 98 style); 3: any bytes.
  const int kind = input.ConsumeIntegralInRange(0, 3);
  const bool ownHive = kind != 3;
  const int changes = input.ConsumeIntegralInRange(1, kMaxChanges);
  std::vector<uint8_t> rest = input.ConsumeBytes<uint8_t>(input.remaining_bytes());
  // The changes are made from the front of the rest; the hive of any bytes is its back half.
  const size_t split = ownHive ? rest.size() : rest.size() / 2;
  MachineHive(machine);
  const std::string hive = kind == 0 ? MachineHive(machine)
                           : ownHive ? UsedHive(machine, kind == 2)
                                     : std::string(rest.begin() + split, rest.end());
  machine.Write(kHive, hive);
  machine.Builder().Remove("C:\\WINDOWS\\SYSTEM.DXB");
  w95::Machine::Use(machine.Root());

  w95::RegHive expected("HKEY_LOCAL_MACHINE");
  const bool readable = !w95::ReadCregFile(machine.Builder().HostPath(kHive), expected);
  FuzzedDataProvider ops(rest.data(), split);
  for (int i = 0; i < changes && ops.remaining_bytes() > 0; ++i) {
    if (readable && ops.ConsumeIntegralInRange(0, 3) == 0) {
      Delete(ops, expected, machine);
      continue;
    }
    const Change change = MakeChange(ops, expected.Root());
    w95::RegKey key;
    for (size_t step = 0; step <= change.values.size(); ++step) {
      const Call call{change, step == 0 ? std::string::npos : step - 1};
      const std::string before = machine.Builder().Read(kHive);
      const w95::LONG result = Make(call, key);
      if (!readable) {
        Require(result != w95::ERROR_SUCCESS, "a hive libcreg refuses refuses every change");
        Require(machine.Builder().Read(kHive) == before, "a hive libcreg refuses is never written");
        break;
      }
      if (result != w95::ERROR_SUCCESS) {
        Require(!ownHive || !Small(change), "a small change of a good hive succeeds");
        Require(machine.Builder().Read(kHive) == before, "a change that fails leaves the file as it was");
        break;
      }
      ApplyToTree(call, expected);
      RequireWritten(machine, expected);
    }
  }
  machine.CheckOutsideUntouched();
  return 0;
}
