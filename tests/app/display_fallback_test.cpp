// A display that does not answer (a DISPLAY left from an ssh session) sends
// the pages to the console, with one line on standard error saying so.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

#include "support/slurp.h"
#include "support/temp_machine.h"

namespace dxl {
namespace {

using testing::Slurp;

TEST(DisplayFallback, ADeadDisplayFallsBackToTheConsoleAndSaysSo) {
  testing::TempMachine machine;
  machine.Builder().InstallPrintingSystem();
  std::string out = machine.Root().string() + ".out", err = machine.Root().string() + ".err";
  // A display number no server listens on, on the local socket and over TCP.
  for (const char* display : {":4242", "127.0.0.1:4242"}) {
    std::string command = "printf 'n\\n' | env -u TSHOOTER_UI -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM DISPLAY='" +
                          std::string(display) + "' TSHOOTER_ROOT='" + machine.Root().string() + "' '" +
                          DXLQ7TRS_BINARY + "' > '" + out + "' 2> '" + err + "'";
    int status = std::system(command.c_str());
    ASSERT_TRUE(WIFEXITED(status)) << display << ": killed by a signal";
    EXPECT_EQ(WEXITSTATUS(status), 0) << display;
    std::string errors = Slurp(err);
    EXPECT_EQ(errors, "dxlq7trs: the display " + std::string(display) +
                          " does not answer; the pages are shown on the console instead.\n");
    EXPECT_NE(Slurp(out).find("=== "), std::string::npos) << display << ": no page on the console";
  }
  std::filesystem::remove(out);
  std::filesystem::remove(err);
}

}  // namespace
}  // namespace dxl
