// A machine with the printing system, its clock stopped on 2024-03-15, a
// report in the temporary directory and the scripted backend answering the
// dialogs.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "app_state/troubleshooter_app.h"
#include "outcome/step_outcome.h"
#include "platform/base/cp936.h"
#include "platform/ui/scripted_backend.h"
#include "support/temp_machine.h"

namespace dxl {

inline constexpr const char* kReportPath = "C:\\WINDOWS\\TEMP\\tshooter.tmp";
inline constexpr const char* kToday = "C:\\WINDOWS\\DXL\\240315";

inline std::string Cp936(std::string_view utf8) { return w95::Utf8ToCp936(utf8).value(); }
inline std::string Utf8(std::string_view cp936) { return w95::Cp936ToUtf8Lossy(cp936); }
// Today's log name with number `nn`.
inline std::string TodayLog(int nn) { return std::string(kToday) + (nn < 10 ? "0" : "") + std::to_string(nn) + ".LOG"; }

class ResultsFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    machine_.Builder().InstallPrintingSystem();
    machine_.Builder().MachineIni("Clock", "Now", "2024/03/15 10:00:00");
    ResetProgramState();
    theApp().reportPath = kReportPath;
    theApp().statusFlags = RunCompleted;
    theApp().SetPortDescription(Cp936("LPT1:[本地]"));
    machine_.Builder().File(kReportPath, report_);
    UseBackend(std::make_unique<w95::ui::ScriptedBackend>());
  }
  void TearDown() override { w95::ui::SetBackend(nullptr); }

  void UseBackend(std::unique_ptr<w95::ui::ScriptedBackend> backend) {
    script_ = backend.get();
    w95::ui::SetBackend(std::move(backend));
  }
  const w95::ui::ShownDialog& Shown(size_t index) const { return script_->Shown().at(index); }

  testing::TempMachine machine_;
  w95::ui::ScriptedBackend* script_ = nullptr;
  const std::string report_ = Cp936("Tavix KRT-310 故障排除程序\r\n故障排除完成。\r\n");
};

}  // namespace dxl
