// Speed of the platform calls the checks make most: profile lookups and path
// resolution on a machine directory of realistic size.
//   cmake -S . -B build -DDXL_BUILD_BENCH=ON && ninja -C build dxl_bench && build/bench/dxl_bench
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "machine_builder/machine_builder.h"
#include "platform/files/files.h"
#include "platform/machine/machine.h"
#include "platform/profile/profile.h"

namespace {

namespace fs = std::filesystem;

// A machine with a WIN.INI of `sections` sections of 20 keys and a system
// directory of 500 files.
class BenchMachine {
 public:
  explicit BenchMachine(int sections) : root_(fs::temp_directory_path() / ("dxl-bench-" + std::to_string(getpid()))) {
    dxl::tools::MachineBuilder builder(root_);
    std::string ini;
    for (int s = 0; s < sections; ++s) {
      ini += "[Section" + std::to_string(s) + "]\r\n";
      for (int k = 0; k < 20; ++k) ini += "Key" + std::to_string(k) + "=Value " + std::to_string(k) + "\r\n";
      ini += "\r\n";
    }
    builder.WinIni(ini);
    for (int f = 0; f < 500; ++f) builder.File(builder.InSystem("FILE" + std::to_string(f) + ".DLL"), "x");
    w95::Machine::Use(root_);
  }
  ~BenchMachine() { fs::remove_all(root_); }

 private:
  fs::path root_;
};

void BM_GetProfileString(benchmark::State& state) {
  BenchMachine machine(static_cast<int>(state.range(0)));
  std::string out;
  std::string section = "section" + std::to_string(state.range(0) - 1);
  for (auto _ : state) benchmark::DoNotOptimize(w95::GetProfileStringA(section, "KEY19", "", out, 256));
}
BENCHMARK(BM_GetProfileString)->Arg(10)->Arg(100);

void BM_CaseInsensitiveOpen(benchmark::State& state) {
  BenchMachine machine(1);
  for (auto _ : state) {
    w95::FileHandle file = w95::CreateFileA("c:\\windows\\system\\file499.dll", w95::GENERIC_READ, w95::FILE_SHARE_READ,
                                            w95::OPEN_EXISTING, 0);
    benchmark::DoNotOptimize(file.Valid());
  }
}
BENCHMARK(BM_CaseInsensitiveOpen);

void BM_WriteProfileString(benchmark::State& state) {
  BenchMachine machine(100);
  int n = 0;
  for (auto _ : state) w95::WriteProfileStringA("Section50", "Key5", std::to_string(n++));
}
BENCHMARK(BM_WriteProfileString);

}  // namespace
