// Machines for the benchmarks: a standard installation of the printing system
// on a machine of realistic size, built once per process in a temporary
// directory, and the peak memory of the process as a benchmark counter.
#pragma once

#include <benchmark/benchmark.h>

#include <cstddef>
#include <filesystem>
#include <string>

#include "machine_builder/machine_builder.h"

namespace dxl::bench {

struct MachineSize {
  std::size_t components = 3000;   // registered components: five keys each
  std::size_t systemFiles = 2000;  // extra files of the system directory
  std::size_t diskShares = 200;    // of the print server PRINTSRV
  std::size_t printShares = 60;
};

// The printer on LPT1:, set up right; a second port LPT2: redirected to
// \\PRINTSRV\KRT310 (persistent), whose server holds the printing system's
// files on its DXL share.
class BenchMachine {
 public:
  // In a fresh temporary directory, removed afterwards; with `keepAt`, in that
  // directory, which is kept.
  explicit BenchMachine(const MachineSize& size = {}, std::filesystem::path keepAt = {});
  ~BenchMachine();
  BenchMachine(const BenchMachine&) = delete;
  BenchMachine& operator=(const BenchMachine&) = delete;

  tools::MachineBuilder& Builder() { return builder_; }
  const std::filesystem::path& Root() const { return root_; }
  // Makes this the current machine, dropping every cached platform state (the
  // loaded hives among them), as a new run of the program starts.
  void Activate() const;

  // Keeps the current bytes of a file, and puts them back.
  std::string Save(std::string_view windowsPath) const { return builder_.Read(windowsPath); }
  void Restore(std::string_view windowsPath, const std::string& bytes) { builder_.File(windowsPath, bytes); }

 private:
  std::filesystem::path root_;
  bool keep_ = false;
  tools::MachineBuilder builder_;
};

// The machine of the default size, built on first use; kept in the directory
// that DXL_BENCH_MACHINE names when set, to run the program itself on it.
BenchMachine& StandardBenchMachine();

// The resident memory of the process now (VmRSS), in MB.
double ResidentMegabytes();

// The peak resident memory of the process is measured from here on.
void ResetPeakMemory();
// Adds the counter "peak_MB": the peak resident memory of the process since
// ResetPeakMemory(), the memory still held from building the machine included.
void ReportPeakMemory(benchmark::State& state);

}  // namespace dxl::bench
