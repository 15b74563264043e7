// One value looked up in a binary hive's name entry without parsing the
// others: the same answer as the entry's values parsed in full.
#include <gtest/gtest.h>

#include "platform/base/case_rules.h"
#include "platform/registry/creg_format.h"
#include "platform/registry/creg_read.h"
#include "platform/registry/registry.h"

namespace w95 {
namespace {

RegValue Value(std::string name, DWORD type, std::string data) { return {std::move(name), type, std::move(data)}; }

TEST(CregValueLookup, AnswersAsTheParsedValues) {
  struct Case {
    const char* what;
    std::vector<RegValue> values;
    size_t cut;  // bytes cut off the entry's end
    const char* name;
  };
  const std::vector<RegValue> printer = {Value("Port", REG_SZ, std::string("LPT1:\0", 6)),
                                         Value("Attributes", REG_DWORD, std::string("\x44\x08\0\0", 4)),
                                         Value("", REG_SZ, std::string("default\0", 8))};
  const Case cases[] = {
      {"a name as spelt", printer, 0, "Attributes"},
      {"a name in another case", printer, 0, "pORT"},
      {"the default value", printer, 0, ""},
      {"a name not there", printer, 0, "Driver"},
      {"a name twice: its last setting",
       {Value("Mask", REG_BINARY, "ab"), Value("MASK", REG_DWORD, "wxyz")},
       0,
       "mask"},
      {"NULs after a name in the file", {Value(std::string("Class\0", 6), REG_SZ, "Ports")}, 0, "Class"},
      {"an entry cut inside its last value", printer, 3, ""},
      {"an entry cut inside the value asked", printer, 30, "Attributes"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    std::string entry = creg::NameEntryBytes("Tavix KRT-310", c.values, 0, 0);
    entry.resize(entry.size() - c.cut);
    std::vector<RegValue> parsed;
    ParseCregEntryValues(entry, parsed);
    const RegValue* expected = nullptr;
    for (const auto& value : parsed)
      if (EqualsNoCase(value.name, c.name)) expected = &value;
    DWORD type = REG_NONE;
    std::string_view data;
    ASSERT_EQ(FindCregEntryValue(entry, c.name, type, data), expected != nullptr);
    if (!expected) continue;
    EXPECT_EQ(type, expected->type);
    EXPECT_EQ(data, expected->data);
  }
}

}  // namespace
}  // namespace w95
