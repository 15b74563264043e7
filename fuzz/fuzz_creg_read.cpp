// The program's own reader of a binary hive on any bytes: opening it and
// walking every key it shows (each key's subkeys built, its values parsed)
// neither crashes nor hangs; on every file the bookkeeping check passes, it
// reads the same tree as libcreg, name for name and value for value, in the
// same order. The input is a hive as fuzz_creg_input.h makes it.
#include <memory>
#include <string>

#include "fuzz_creg_input.h"
#include "fuzz_require.h"
#include "platform/base/case_rules.h"
#include "platform/registry/creg_check.h"
#include "platform/registry/creg_read.h"

using dxl::fuzz::Require;

namespace {

// Builds every key the reader shows and parses its values; counts the keys.
size_t Walk(const w95::RegNode& node) {
  size_t keys = 1;
  node.Values();
  for (const auto& child : node.Children()) keys += Walk(*child);
  return keys;
}

// Whether two sibling names are equal but for case: the program's reader then shows the first alone.
bool HasCaseTwins(const w95::RegNode& node) {
  const auto& children = node.Children();
  for (size_t i = 0; i < children.size(); ++i) {
    if (HasCaseTwins(*children[i])) return true;
    for (size_t j = i + 1; j < children.size(); ++j)
      if (w95::EqualsNoCase(children[i]->Name(), children[j]->Name())) return true;
  }
  return false;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const std::string bytes = dxl::fuzz::CregInput(data, size);
  w95::RegHive own("HKEY_LOCAL_MACHINE");
  if (!w95::ReadCregKept(std::make_shared<const w95::HiveBytes>(bytes), own)) return 0;
  Walk(own.Root());
  if (w95::CheckCregFile(bytes)) return 0;
  w95::RegHive library("HKEY_LOCAL_MACHINE");
  Require(!w95::ReadCregBytes(bytes, library), "libcreg reads every file the check passes");
  if (HasCaseTwins(library.Root())) return 0;
  Require(w95::SameRegTree(own.Root(), library.Root()), "the program reads a checked file as libcreg does");
  return 0;
}
