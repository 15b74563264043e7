// Initialisation-file text on any bytes: reading, and edits that must read
// back what they stored.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdio>
#include <cstdlib>

#include "platform/base/ini_text.h"

namespace {

// A name or value that the edit stores as it is: letters and digits only.
std::string Plain(std::string text) {
  for (char& c : text)
    if (!((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'))) c = 'x';
  return text.empty() ? "k" : text;
}

void Require(bool condition, const char* what) {
  if (condition) return;
  std::fprintf(stderr, "broken: %s\n", what);
  std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzedDataProvider input(data, size);
  const std::string section = input.ConsumeRandomLengthString(24);
  const std::string key = input.ConsumeRandomLengthString(24);
  const std::string value = input.ConsumeRandomLengthString(24);
  const int edit = input.ConsumeIntegralInRange(0, 3);
  w95::IniText ini(input.ConsumeRemainingBytesAsString());

  // Every key of every section is found.
  for (const auto& name : ini.SectionNames())
    for (const auto& keyName : ini.KeyNames(name))
      Require(ini.ValueView(name, keyName).has_value(), "a listed key is found");
  (void)ini.Value(section, key);
  switch (edit) {
    case 0: ini.SetValue(section, key, value); break;
    case 1: ini.DeleteKey(section, key); break;
    case 2: ini.DeleteSection(section); break;
    default: {
      const std::string s = Plain(section), k = Plain(key), v = Plain(value);
      ini.SetValue(s, k, v);
      Require(ini.Value(s, k) == v, "a value stored is read back");
      Require(w95::IniText(ini.Bytes()).Value(s, k) == v, "a value stored is read back from the bytes");
    }
  }
  (void)ini.SectionNames();
  return 0;
}
