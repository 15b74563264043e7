// REGEDIT4 hive text of any bytes: it loads or fails with a line number, and
// a hive that loaded renders to text that loads again, before and after a
// change, and renders the same the second time.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdio>
#include <cstdlib>

#include "platform/registry/regedit4.h"
#include "platform/registry/registry.h"

namespace {

constexpr w95::RegRootName kRoots[] = {{"HKEY_LOCAL_MACHINE", ""}, {"HKEY_CLASSES_ROOT", "SOFTWARE\\Classes"}};

void Require(bool condition, const char* what) {
  if (condition) return;
  std::fprintf(stderr, "broken: %s\n", what);
  std::abort();
}

// Names as the registry calls accept them: no NUL and no line break.
std::string Storable(std::string name) {
  for (char& c : name)
    if (c == '\0' || c == '\r' || c == '\n') c = '_';
  return name;
}

size_t LineCount(std::string_view text) {
  size_t lines = 1;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
    if (text[i] == '\r' || text[i] == '\n') ++lines;
  }
  return lines;
}

// The rendering of `hive` loads again and renders to the same text.
void CheckRoundTrip(const w95::RegHive& hive) {
  const std::string text = w95::RenderRegedit4(hive);
  w95::RegHive again("HKEY_LOCAL_MACHINE");
  Require(!w95::ParseRegedit4(text, kRoots, again), "a rendered hive loads");
  Require(w95::RenderRegedit4(again) == text, "a loaded rendering renders the same");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzedDataProvider input(data, size);
  const std::string keyPath = Storable(input.ConsumeRandomLengthString(40));
  const std::string valueName = Storable(input.ConsumeRandomLengthString(24));
  const std::string valueData = input.ConsumeRandomLengthString(80);
  const auto type = input.ConsumeIntegralInRange<w95::DWORD>(0, 8);
  const std::string text = input.ConsumeRemainingBytesAsString();

  w95::RegHive hive("HKEY_LOCAL_MACHINE");
  if (auto error = w95::ParseRegedit4(text, kRoots, hive)) {
    Require(error->line >= 1 && error->line <= LineCount(text), "an error names a line of the file");
    Require(!error->reason.empty(), "an error gives its reason");
    return 0;
  }
  CheckRoundTrip(hive);
  const auto path = w95::SplitKeyPath(keyPath);
  if (path.empty()) return 0;
  hive.Create(path).SetValue(valueName, type, valueData);
  CheckRoundTrip(hive);
  hive.Remove(path);
  CheckRoundTrip(hive);
  return 0;
}
