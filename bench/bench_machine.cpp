#include "bench_machine.h"

#include <malloc.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <stdexcept>

#include "machine_builder/hives.h"
#include "machine_builder/large_machine.h"
#include "machine_builder/network_builder.h"
#include "machine_builder/printing_files.h"
#include "platform/machine/machine.h"

namespace fs = std::filesystem;

namespace dxl::bench {

namespace {

fs::path FreshRoot() {
  static int serial = 0;
  return fs::temp_directory_path() / ("dxl-bench-" + std::to_string(getpid()) + "-" + std::to_string(serial++));
}

void AddNetworkPort(tools::MachineBuilder& b) {
  tools::InstallPortKeys(b, "LPT2:", true);
  tools::AddPrintShare(b, "PRINTSRV", "KRT310");
  tools::AddShare(b, "PRINTSRV", "DXL");
  const auto& apd = tools::StandardPrintingFile("DXLQ7APD.APD");
  tools::AddShareFile(b, "PRINTSRV", "DXL", "DXLQ7APD.APD", b.Read(tools::PrintingFilePath(b, apd.directory, apd.name)),
                      apd.stamp);
  tools::AddShareFile(b, "PRINTSRV", "DXL", "DXLHRC.BIN", "data");
  tools::AddPersistentConnection(b, 2, "\\\\PRINTSRV\\KRT310");
}

}  // namespace

BenchMachine::BenchMachine(const MachineSize& size, fs::path keepAt)
    : root_(keepAt.empty() ? FreshRoot() : keepAt), keep_(!keepAt.empty()), builder_(root_) {
  builder_.InstallPrintingSystem();
  tools::AddCrowdedServer(builder_, "PRINTSRV", size.diskShares, size.printShares);
  AddNetworkPort(builder_);
  tools::AddRegisteredComponents(builder_, size.components);
  tools::AddSystemDirectoryFiles(builder_, size.systemFiles);
  Activate();
}

BenchMachine::~BenchMachine() {
  if (keep_) return;
  std::error_code ec;
  fs::remove_all(root_, ec);
}

void BenchMachine::Activate() const { w95::Machine::Use(root_); }

BenchMachine& StandardBenchMachine() {
  static BenchMachine machine({}, [] {
    const char* keepAt = std::getenv("DXL_BENCH_MACHINE");
    if (!keepAt) return fs::path();
    std::error_code ec;
    if (fs::exists(keepAt) && !fs::is_empty(keepAt, ec))
      throw std::runtime_error(std::string("DXL_BENCH_MACHINE: ") + keepAt + " is not empty");
    return fs::path(keepAt);
  }());
  return machine;
}

namespace {

double StatusMegabytes(std::string_view field) {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line))
    if (line.starts_with(field)) return std::stod(line.substr(field.size())) / 1024.0;
  return 0;
}

}  // namespace

void ResetPeakMemory() {
  malloc_trim(0);  // what earlier benchmarks freed does not count
  // "5" resets the peak resident set size of the process (Linux 4.0 and later).
  std::ofstream("/proc/self/clear_refs") << "5";
}

double ResidentMegabytes() { return StatusMegabytes("VmRSS:"); }

void ReportPeakMemory(benchmark::State& state) { state.counters["peak_MB"] = StatusMegabytes("VmHWM:"); }

}  // namespace dxl::bench
