// Lists and values read whole whatever their length: the reader asks with
// growing buffers, and a length at the edge of any of them must not be cut.
#include "checks/profile_values.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/temp_machine.h"

namespace dxl {
namespace {

TEST(ProfileValues, ListsAndValuesAtTheEdgeOfEveryBufferAreReadWhole) {
  testing::TempMachine machine;
  // Lengths of the whole list (names, their NULs and the closing NUL) and of
  // a value, at and around the buffers tried: 1 K, 8 K, 64 K, 512 K.
  for (size_t edge : {1024u, 8192u, 65536u, 524288u}) {
    for (size_t length : {edge - 3, edge - 2, edge - 1, edge, edge + 1}) {
      // Names of 9 characters ("K0000000=") and one shorter name to make up the length.
      std::vector<std::string> names;
      size_t listed = 1;
      while (listed + 10 + 1 < length) {
        names.push_back("K" + std::string(7 - std::to_string(names.size()).size(), '0') + std::to_string(names.size()));
        listed += names.back().size() + 1;
      }
      names.push_back(std::string(length - listed - 1, 'Z'));
      std::string lines;
      for (const auto& name : names) lines += name + "=v\r\n";
      std::string value(length, 'x');
      machine.Builder().WinIni("[Devices]\r\n" + lines + "[Long]\r\nValue=" + value + "\r\n");
      EXPECT_EQ(ReadWinIniKeys("Devices"), names) << "a list of " << length << " bytes";
      EXPECT_EQ(ReadWinIniValue("Long", "Value"), value) << "a value of " << length << " bytes";
    }
  }
}

}  // namespace
}  // namespace dxl
