// One run of WizardDriver on a bench machine, the scripted interface answering
// at once; the saved log is removed afterwards, so that every run proposes the
// same name.
#pragma once

#include <benchmark/benchmark.h>

#include <chrono>
#include <memory>
#include <optional>
#include <string>

#include "app_state/troubleshooter_app.h"
#include "bench_machine.h"
#include "outcome/step_outcome.h"
#include "platform/files/files.h"
#include "platform/ui/scripted_backend.h"

namespace dxl::bench {

// One run from the start page to the results (machine state dropped first, as
// when the program starts); `finished` is called as soon as the run ends,
// before the clean-up. Whether the run reached the results.
template <typename Script, typename Finished>
bool RunWizardThen(const BenchMachine& machine, Script script, Finished finished) {
  machine.Activate();
  ResetProgramState();
  theApp().reportPath = "C:\\WINDOWS\\TEMP\\tshooter.tmp";
  theApp().helpFilePath = "C:\\WINDOWS\\DXLQ7IN.HLP";
  auto backend = std::make_unique<w95::ui::ScriptedBackend>();
  script(*backend);
  w95::ui::SetBackend(std::move(backend));
  const bool ok = theApp().WizardDriver() == 0 && !theApp().logPath.empty();
  finished();
  const std::string log = theApp().logPath;
  ResetProgramState();
  w95::ui::SetBackend(nullptr);
  if (ok) w95::DeleteFileA(log);
  return ok;
}

// Seconds of one run, the clean-up not counted; nullopt when the run did not reach the results.
template <typename Script>
std::optional<double> TimedWizardRun(const BenchMachine& machine, Script script) {
  const auto start = std::chrono::steady_clock::now();
  std::chrono::duration<double> took{};
  if (!RunWizardThen(machine, script, [&] { took = std::chrono::steady_clock::now() - start; })) return std::nullopt;
  return took.count();
}

// The same inside a benchmark's timing, the clean-up not timed.
template <typename Script>
bool RunWizard(benchmark::State& state, const BenchMachine& machine, Script script) {
  const bool ok = RunWizardThen(machine, script, [&] { state.PauseTiming(); });
  state.ResumeTiming();
  return ok;
}

}  // namespace dxl::bench
