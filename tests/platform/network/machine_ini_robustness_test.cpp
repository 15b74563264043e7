// MACHINE.INI texts on which the fuzz harness of its readers found a fault: a
// restart of the network ends every current connection, however many
// [Connections] sections list them, and keeps the other sections.
#include <gtest/gtest.h>

#include "platform/base/case_rules.h"
#include "platform/base/ini_text.h"
#include "platform/base/text.h"
#include "platform/network/network.h"
#include "support/temp_machine.h"

namespace w95 {
namespace {

TEST(MachineIniRobustness, ARestartEmptiesEveryConnectionsSection) {
  const std::string texts[] = {
      // The harness's input: the seed with a second [Connections] section appended.
      "[Server PRINTSRV]\r\nDirectory=.network\\PRINTSRV\r\nPrintShares=KRT310\r\n\r\n[Connections]\r\n"
      "LPT2=\\\\PRINTSRV\\KRT310\r\n\r\n[Clock]\r\nBias=-480\r\nNow=1998/02/28 23:59:59\r\n[System]\r\n"
      "FreeDiskMB=512\r\nTotalDiskMB=100\r\nDiskReady=1\r\n[Connections]\r\nLPT3:=\\\\PRINTSRV\\LASER\r\n",
      "[connections]\r\nLPT1=\\\\A\\B\r\n[CONNECTIONS]\r\nLPT1=\\\\C\\D\r\n[Connections]\r\nlpt2=\\\\E\\F\r\n",
  };
  for (const auto& text : texts) {
    SCOPED_TRACE(text);
    dxl::testing::TempMachine machine;
    machine.Builder().File("C:\\MACHINE.INI", text);
    machine.Activate();
    auto connected = [] {
      int count = 0;
      for (std::string_view port : {"LPT1", "LPT2", "LPT3"}) {
        std::string remote;
        DWORD length = 261;
        count += WNetGetConnectionA(port, remote, length) == ERROR_SUCCESS;
      }
      return count;
    };
    ASSERT_GT(connected(), 0);
    RestartNetwork();
    EXPECT_EQ(connected(), 0);
    const IniText before(text);
    const IniText after(machine.Read("C:\\MACHINE.INI"));
    EXPECT_FALSE(after.HasSection("Connections"));
    for (const auto& section : before.SectionNames()) {
      if (EqualsNoCase(section, "Connections")) continue;
      for (const auto& key : before.KeyNames(section)) EXPECT_EQ(after.Value(section, key), before.Value(section, key));
    }
  }
}

}  // namespace
}  // namespace w95
