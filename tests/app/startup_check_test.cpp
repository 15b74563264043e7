// Start-up on a directory that is no Windows installation: one or two plain
// lines on standard error, a non-zero exit code, and no page.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <string>

#include "machine_builder/hives.h"
#include "support/command_output.h"
#include "support/temp_machine.h"

namespace {

using dxl::testing::TempMachine;

std::pair<int, std::string> RunProgram(const std::string& root) {
  return dxl::testing::CommandOutput("TSHOOTER_ROOT='" + root + "' TSHOOTER_UI=console '" +
                                     std::string(DXLQ7TRS_BINARY) + "' </dev/null 2>&1 >/dev/null");
}

TEST(StartupCheck, NoInstallationIsSaidOnStandardErrorBeforeAnyPage) {
  TempMachine bare;  // MSDOS.SYS and the Windows directory, but no SYSTEM.INI and no registry
  TempMachine noRegistry(dxl::testing::HiveStore::Text);  // the binary store would write both hives
  noRegistry.Builder().SystemIni("[boot]\r\n");
  TempMachine file;
  file.Builder().File("C:\\X", "");
  struct Case {
    std::string root;
    std::string says;
  };
  const Case cases[] = {
      {"/nonexistent/dxl-machine", "no such directory"},
      {file.Builder().HostPath("C:\\X").string(), "not a directory"},
      {bare.Root().string(), "SYSTEM.INI"},
      {noRegistry.Root().string(), "SYSTEM.DAT"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.root);
    auto [code, output] = RunProgram(c.root);
    EXPECT_NE(code, 0);
    EXPECT_NE(output.find(c.says), std::string::npos) << output;
    EXPECT_NE(output.find("TSHOOTER_ROOT"), std::string::npos);
    EXPECT_LE(std::count(output.begin(), output.end(), '\n'), 2);
  }
}

}  // namespace
