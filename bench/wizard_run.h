// One run of WizardDriver on a bench machine, the scripted interface answering
// at once; the saved log is removed afterwards, so that every run proposes the
// same name.
#pragma once

#include <benchmark/benchmark.h>

#include <chrono>
#include <memory>
#include <optional>
#include <string>

#include "app/state/troubleshooter_app.h"
#include "bench_machine.h"
#include "engine/shared/step_outcome.h"
#include "platform/files/files.h"
#include "platform/ui/scripted_backend.h"

namespace dxl::bench {

// Seconds from the start page to the results (machine state dropped first, as
// when the program starts); nullopt when the run did not reach the results.
template <typename Script>
std::optional<double> TimedWizardRun(const BenchMachine& machine, Script script) {
  const auto start = std::chrono::steady_clock::now();
  machine.Activate();
  ResetProgramState();
  theApp().reportPath = "C:\\WINDOWS\\TEMP\\tshooter.tmp";
  theApp().helpFilePath = "C:\\WINDOWS\\DXLQ7IN.HLP";
  auto backend = std::make_unique<w95::ui::ScriptedBackend>();
  script(*backend);
  w95::ui::SetBackend(std::move(backend));
  const bool ok = theApp().WizardDriver() == 0 && !theApp().logPath.empty();
  const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
  const std::string log = theApp().logPath;
  ResetProgramState();
  w95::ui::SetBackend(nullptr);
  if (ok) w95::DeleteFileA(log);
  return ok ? std::optional<double>(took.count()) : std::nullopt;
}

// The same inside a benchmark's timing, the clean-up not timed.
template <typename Script>
bool RunWizard(benchmark::State& state, const BenchMachine& machine, Script script) {
  machine.Activate();
  ResetProgramState();
  theApp().reportPath = "C:\\WINDOWS\\TEMP\\tshooter.tmp";
  theApp().helpFilePath = "C:\\WINDOWS\\DXLQ7IN.HLP";
  auto backend = std::make_unique<w95::ui::ScriptedBackend>();
  script(*backend);
  w95::ui::SetBackend(std::move(backend));
  const bool ok = theApp().WizardDriver() == 0 && !theApp().logPath.empty();
  state.PauseTiming();
  const std::string log = theApp().logPath;
  ResetProgramState();
  w95::ui::SetBackend(nullptr);
  if (ok) w95::DeleteFileA(log);
  state.ResumeTiming();
  return ok;
}

}  // namespace dxl::bench
