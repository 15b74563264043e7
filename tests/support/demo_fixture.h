// The demo machine with its clock stopped, for tests that run the real program
// on it: the machine, and the files the test keeps beside it.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <string_view>

#include "machine_builder/demo_machine.h"
#include "support/temp_machine.h"

namespace dxl::testing {

class DemoMachineTest : public ::testing::Test {
 protected:
  void SetUp() override {
    auto& b = machine_.Builder();
    b.InstallPrintingSystem();
    tools::AddDemoProblems(b);
    b.MachineIni("Clock", "Now", "1998/03/15 10:20:30");
  }
  // A file beside the machine directory.
  std::filesystem::path Side(std::string_view suffix) const {
    return std::filesystem::path(machine_.Root().string() + std::string(suffix));
  }

  TempMachine machine_;
};

}  // namespace dxl::testing
