// The single instance: a second copy of the program on the same machine asks
// the first to come to the front and ends with exit code 1, showing nothing.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <atomic>
#include <cstdlib>
#include <string>
#include <thread>

#include "platform/base/last_error.h"
#include "platform/system/instance.h"
#include "support/temp_machine.h"

namespace {

using dxl::testing::TempMachine;

// Runs the program on `root` with no input; its exit code and what it printed.
std::pair<int, std::string> RunProgram(const std::filesystem::path& root) {
  const char* binary = DXLQ7TRS_BINARY;
  std::string command =
      "TSHOOTER_ROOT='" + root.string() + "' TSHOOTER_UI=console '" + std::string(binary) + "' </dev/null 2>&1";
  FILE* pipe = popen(command.c_str(), "r");
  std::string output;
  char buffer[256];
  while (size_t n = fread(buffer, 1, sizeof buffer, pipe)) output.append(buffer, n);
  int status = pclose(pipe);
  return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, output};
}

TEST(SingleInstance, ASecondCopyRaisesTheFirstAndEndsWithOne) {
  TempMachine machine;
  machine.Builder().InstallPrintingSystem();  // the program starts only on an installation
  w95::InstanceMarker first = w95::CreateInstanceMarker("dxlq7trs.exe");
  ASSERT_TRUE(first);
  EXPECT_FALSE(w95::TakeForegroundRequests());

  auto [code, output] = RunProgram(machine.Root());
  EXPECT_EQ(code, 1);
  EXPECT_EQ(output, "");
  EXPECT_TRUE(w95::TakeForegroundRequests());
}

TEST(SingleInstance, ASecondCopyEndsWithOneEvenWhenTheFirstAnswersAtOnce) {
  TempMachine machine;
  machine.Builder().InstallPrintingSystem();  // the program starts only on an installation
  w95::InstanceMarker first = w95::CreateInstanceMarker("dxlq7trs.exe");
  ASSERT_TRUE(first);
  // The first copy takes each request the moment it arrives and closes it.
  std::atomic<bool> stop = false;
  std::atomic<int> taken = 0;
  std::thread server([&] {
    while (!stop) taken += w95::TakeForegroundRequests() ? 1 : 0;
  });
  for (int run = 0; run < 5; ++run) EXPECT_EQ(RunProgram(machine.Root()).first, 1);
  stop = true;
  server.join();
  EXPECT_GE(taken, 1);
}

TEST(SingleInstance, MarkersAreKeptPerMachineAndReleasedWithTheProcess) {
  TempMachine one;
  w95::InstanceMarker held = w95::CreateInstanceMarker("dxlq7trs.exe");
  ASSERT_TRUE(held);
  w95::InstanceMarker again = w95::CreateInstanceMarker("dxlq7trs.exe");
  EXPECT_FALSE(again);
  EXPECT_EQ(w95::GetLastError(), w95::ERROR_ALREADY_EXISTS);

  TempMachine other;  // another machine root: another instance
  w95::InstanceMarker elsewhere = w95::CreateInstanceMarker("dxlq7trs.exe");
  EXPECT_TRUE(elsewhere);
  elsewhere = w95::InstanceMarker();
  w95::InstanceMarker reacquired = w95::CreateInstanceMarker("dxlq7trs.exe");
  EXPECT_TRUE(reacquired);
}

}  // namespace
