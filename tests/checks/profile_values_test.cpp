// Values read whole whatever their length: the reader asks with growing
// buffers, and a length at the edge of any of them must not be cut.
#include "checks/profile_values.h"

#include <gtest/gtest.h>

#include <string>

#include "support/temp_machine.h"

namespace dxl {
namespace {

TEST(ProfileValues, ValuesAtTheEdgeOfEveryBufferAreReadWhole) {
  testing::TempMachine machine;
  // Lengths of a value at and around the buffers tried: 1 K, 8 K, 64 K, 512 K.
  for (size_t edge : {1024u, 8192u, 65536u, 524288u}) {
    for (size_t length : {edge - 3, edge - 2, edge - 1, edge, edge + 1}) {
      std::string value(length, 'x');
      machine.Builder().WinIni("[Long]\r\nValue=" + value + "\r\n");
      EXPECT_EQ(ReadWinIniValue("Long", "Value"), value) << "a value of " << length << " bytes";
    }
  }
}

}  // namespace
}  // namespace dxl
