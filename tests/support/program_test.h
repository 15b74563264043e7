// The program on a built standard installation, with the scripted backend as
// its user interface: the base of the tests of the checks, the engine and the
// driver that show pages.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "app_state/troubleshooter_app.h"
#include "outcome/step_outcome.h"
#include "platform/ui/scripted_backend.h"
#include "support/temp_machine.h"

namespace dxl::testing {

class ProgramTest : public ::testing::Test {
 protected:
  static constexpr const char* kReport = "C:\\WINDOWS\\TEMP\\tshooter.tmp";

  void SetUp() override {
    machine_.Builder().InstallPrintingSystem();
    machine_.Activate();
    ResetProgramState();
    theApp().reportPath = kReport;
    auto backend = std::make_unique<w95::ui::ScriptedBackend>();
    script_ = backend.get();
    w95::ui::SetBackend(std::move(backend));
  }
  void TearDown() override {
    ResetProgramState();  // also takes down a notice still on screen
    w95::ui::SetBackend(nullptr);
  }

  tools::MachineBuilder& Builder() { return machine_.Builder(); }
  // The report's bytes; empty when there is none.
  std::string ReportBytes() const { return machine_.Read(kReport); }
  // The templates shown modally, in order.
  std::vector<int> ModalPages() const {
    std::vector<int> ids;
    for (const auto& shown : script_->Shown())
      if (!shown.modeless) ids.push_back(shown.templateId);
    return ids;
  }

  TempMachine machine_;
  w95::ui::ScriptedBackend* script_ = nullptr;
};

}  // namespace dxl::testing
