// The registry of a machine of realistic size: a SYSTEM.REG of some 15,000
// keys (about 3 MB), loaded when a run first touches it, saved after every
// change, and searched by path.
#include <benchmark/benchmark.h>

#include <string>

#include "bench_machine.h"
#include "platform/registry/registry.h"

namespace dxl::bench {
namespace {

constexpr const char* kDeepKey = "System\\CurrentControlSet\\Services\\Class\\System\\2999";
constexpr const char* kPrinterKey = "System\\CurrentControlSet\\control\\Print\\Printers\\Tavix KRT-310";

void BM_HiveLoad(benchmark::State& state) {
  BenchMachine& machine = StandardBenchMachine();
  ResetPeakMemory();
  for (auto _ : state) {
    machine.Activate();
    w95::RegKey key;
    if (w95::RegOpenKeyExA(w95::RootKey::LocalMachine, kPrinterKey, 0, w95::KEY_READ, key) != 0)
      return state.SkipWithError("the printer's key is missing");
  }
  ReportPeakMemory(state);
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                          static_cast<std::int64_t>(machine.Save("C:\\WINDOWS\\SYSTEM.REG").size()));
}
BENCHMARK(BM_HiveLoad)->Unit(benchmark::kMillisecond);

// One RegSetValueExA: the hive written anew, atomically.
void BM_HiveSaveAfterSetValue(benchmark::State& state) {
  BenchMachine& machine = StandardBenchMachine();
  const std::string saved = machine.Save("C:\\WINDOWS\\SYSTEM.REG");
  machine.Activate();
  w95::RegKey key;
  if (w95::RegOpenKeyExA(w95::RootKey::LocalMachine, kPrinterKey, 0, w95::KEY_ALL_ACCESS, key) != 0)
    return state.SkipWithError("the printer's key is missing");
  std::uint32_t n = 0;
  for (auto _ : state) {
    std::string data(4, '\0');
    data[0] = static_cast<char>(n++ & 1);
    if (w95::RegSetValueExA(key, "Benchmark", w95::REG_DWORD, data) != 0)
      return state.SkipWithError("RegSetValueExA failed");
  }
  machine.Restore("C:\\WINDOWS\\SYSTEM.REG", saved);
  machine.Activate();
}
BENCHMARK(BM_HiveSaveAfterSetValue)->Unit(benchmark::kMillisecond);

// RegOpenKeyExA of a key among thousands of siblings, and one value of it.
void BM_RegOpenAndQuery(benchmark::State& state) {
  StandardBenchMachine().Activate();
  for (auto _ : state) {
    w95::RegKey key;
    if (w95::RegOpenKeyExA(w95::RootKey::LocalMachine, kDeepKey, 0, w95::KEY_READ, key) != 0)
      return state.SkipWithError("the key is missing");
    std::string data;
    w95::DWORD size = 64;
    if (w95::RegQueryValueExA(key, "InfSection", nullptr, &data, size) != 0)
      return state.SkipWithError("the value is missing");
    benchmark::DoNotOptimize(data);
  }
}
BENCHMARK(BM_RegOpenAndQuery)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace dxl::bench
