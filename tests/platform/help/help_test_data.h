// The bytes of a file of the help tests' data (data/README.md).
#pragma once

#include <fstream>
#include <sstream>
#include <string>

namespace w95 {

inline std::string HelpTestData(const char* name) {
  std::ifstream file(std::string(DXL_HELP_TEST_DATA) + "/" + name, std::ios::binary);
  std::stringstream bytes;
  bytes << file.rdbuf();
  return bytes.str();
}

}  // namespace w95
