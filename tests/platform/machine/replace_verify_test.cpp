// A replacement whose new file is read before it takes the old one's place:
// the reader sees the whole new file; when it refuses, the old file stays and
// nothing is left beside it.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "platform/base/win_types.h"
#include "platform/machine/paths.h"
#include "support/slurp.h"
#include "support/temp_machine.h"

namespace w95 {
namespace {

namespace fs = std::filesystem;

TEST(ReplaceVerify, TheNewFileIsReadBeforeItReplacesTheOld) {
  struct Case {
    bool accept;
    DWORD result;
    const char* after;
  };
  const Case cases[] = {{true, ERROR_SUCCESS, "new bytes"}, {false, ERROR_INVALID_DATA, "old"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.accept);
    dxl::testing::TempMachine machine;
    const fs::path file = machine.Root() / "SYSTEM.DAT";
    std::ofstream(file, std::ios::binary) << "old";
    std::string read;
    auto verify = [&](int fd) {
      char buffer[64];
      const ssize_t n = pread(fd, buffer, sizeof buffer, 0);
      read.assign(buffer, n > 0 ? static_cast<size_t>(n) : 0);
      return c.accept;
    };
    EXPECT_EQ(ReplaceHostFile(file, "new bytes", ReadOnlyFile::Refuse, verify), c.result);
    EXPECT_EQ(read, "new bytes");
    EXPECT_EQ(dxl::testing::Slurp(file), c.after);
    size_t leftovers = 0;  // the temporary ".SYSTEM.DAT.XXXXXX"
    for (const auto& entry : fs::directory_iterator(machine.Root()))
      leftovers += entry.path().filename().string().starts_with(".SYSTEM.DAT");
    EXPECT_EQ(leftovers, 0u);
  }
}

}  // namespace
}  // namespace w95
