// What a user waits for in one run of the wizard on a machine of realistic
// size: from the start page through the checks to the results, the scripted
// interface answering at once. Every run starts from a fresh machine state
// (the hives are loaded anew), as the program does when it is started.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <memory>

#include "app_state/troubleshooter_app.h"
#include "bench_machine.h"
#include "machine_builder/hives.h"
#include "machine_builder/machine_builder.h"
#include "outcome/step_outcome.h"
#include "platform/files/files.h"
#include "platform/spooler/spooler.h"
#include "platform/ui/scripted_backend.h"
#include "wizard_run.h"

namespace dxl::bench {
namespace {

constexpr int kStartYes = 6, kPortList = 1009, kYes = 1018, kOk = 1, kReturn = 1012;
constexpr const char* kReport = "C:\\WINDOWS\\TEMP\\tshooter.tmp";  // as TimedWizardRun sets it

void BM_WholeRunCorrectLocalPort(benchmark::State& state) {
  BenchMachine& machine = StandardBenchMachine();
  ResetPeakMemory();
  for (auto _ : state) {
    if (!RunWizard(state, machine, [](auto& ui) { ui.Press(kStartYes).Press(kOk); }))
      return state.SkipWithError("the run did not reach the results");
  }
  ReportPeakMemory(state);
}
BENCHMARK(BM_WholeRunCorrectLocalPort)->Unit(benchmark::kMillisecond);

void BM_WholeRunNetworkPort(benchmark::State& state) {
  BenchMachine& machine = StandardBenchMachine();
  ResetPeakMemory();
  for (auto _ : state) {
    if (!RunWizard(state, machine, [](auto& ui) { ui.Select(kPortList, 1).Press(kStartYes).Press(kOk); }))
      return state.SkipWithError("the run did not reach the results");
  }
  ReportPeakMemory(state);
}
BENCHMARK(BM_WholeRunNetworkPort)->Unit(benchmark::kMillisecond);

// Five problems, each fixed on its page: two INI files and the registry are
// rewritten during the run. The broken files are put back between runs.
void BM_WholeRunFiveFixes(benchmark::State& state) {
  BenchMachine& machine = StandardBenchMachine();
  auto& b = machine.Builder();
  const std::string systemIni = machine.Save("C:\\WINDOWS\\SYSTEM.INI");
  const std::string winIni = machine.Save("C:\\WINDOWS\\WIN.INI");
  const std::string hive = machine.Save("C:\\WINDOWS\\SYSTEM.REG");
  std::string brokenSystemIni = tools::StandardSystemIni();
  brokenSystemIni.erase(brokenSystemIni.find("device=DXLBANDS.386\r\n"), 21);
  brokenSystemIni.insert(brokenSystemIni.find("[386Enh]\r\n") + 10, "Paging=off\r\n");
  std::string brokenWinIni = tools::StandardWinIni();
  brokenWinIni.erase(brokenWinIni.find("DXLHRC.EXE"), 10);
  tools::SetPrinterAttributes(b, tools::kPrinterName, w95::PRINTER_ATTRIBUTE_LOCAL | w95::PRINTER_ATTRIBUTE_DEFAULT);
  tools::SetDosSpoolMask(b, 0xFE);
  tools::SetPrintersMask(b, std::string("\xFE\x00\x00\x00", 4));
  const std::string brokenHive = machine.Save("C:\\WINDOWS\\SYSTEM.REG");

  ResetPeakMemory();
  for (auto _ : state) {
    state.PauseTiming();
    machine.Restore("C:\\WINDOWS\\SYSTEM.INI", brokenSystemIni);
    machine.Restore("C:\\WINDOWS\\WIN.INI", brokenWinIni);
    machine.Restore("C:\\WINDOWS\\SYSTEM.REG", brokenHive);
    state.ResumeTiming();
    bool ok = RunWizard(state, machine, [](auto& ui) {
      ui.Press(kStartYes).Press(kYes).Press(kYes).Press(kYes).Press(kYes).Press(kYes).Press(kOk).Press(kReturn);
    });
    if (!ok) return state.SkipWithError("the run did not reach the results");
  }
  ReportPeakMemory(state);
  machine.Restore("C:\\WINDOWS\\SYSTEM.INI", systemIni);
  machine.Restore("C:\\WINDOWS\\WIN.INI", winIni);
  machine.Restore("C:\\WINDOWS\\SYSTEM.REG", hive);
}
BENCHMARK(BM_WholeRunFiveFixes)->Unit(benchmark::kMillisecond);

// The installed-file verification alone: the set-up information read, every
// listed file judged by size, time stamp and version.
void BM_VerifySetupFiles(benchmark::State& state) {
  BenchMachine& machine = StandardBenchMachine();
  machine.Activate();
  ResetProgramState();
  theApp().reportPath = kReport;
  w95::ui::SetBackend(std::make_unique<w95::ui::ScriptedBackend>());
  for (auto _ : state) {
    theApp().allFilesCorrect = true;
    benchmark::DoNotOptimize(theApp().VerifySetupFiles());
    if (!theApp().allFilesCorrect) return state.SkipWithError("a file of the standard installation was judged wrong");
  }
  ResetProgramState();
  w95::ui::SetBackend(nullptr);
  w95::DeleteFileA(kReport);
}
BENCHMARK(BM_VerifySetupFiles)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace dxl::bench
