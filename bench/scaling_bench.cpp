// What grows with the machine: printers in WIN.INI [Devices], the listed
// installed files, the registry hive in memory. Each benchmark measures its
// floor in the same iterations and prints both with their ratio.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <malloc.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <map>
#include <memory>
#include <string>

#include "bench_machine.h"
#include "checks/installed_files.h"
#include "machine_builder/printing_files.h"
#include "paired.h"
#include "platform/registry/registry.h"
#include "wizard_run.h"

namespace dxl::bench {
namespace {

using Clock = std::chrono::steady_clock;

double Since(Clock::time_point start) { return std::chrono::duration<double>(Clock::now() - start).count(); }

constexpr int kStartYes = 6, kOk = 1;

// Gives the INI files the time `times` (utimensat's pair).
void StampIniFiles(BenchMachine& machine, const timespec (&times)[2]) {
  for (const char* path : {"C:\\WINDOWS\\WIN.INI", "C:\\WINDOWS\\SYSTEM.INI"})
    utimensat(AT_FDCWD, machine.Builder().HostPath(path).c_str(), times, 0);
  utimensat(AT_FDCWD, (machine.Root() / "MACHINE.INI").c_str(), times, 0);
}

// Gives the INI files the time of an hour ago, as on a machine in use.
void AgeIniFiles(BenchMachine& machine) {
  const timespec old{std::time(nullptr) - 3600, 0};
  const timespec times[2] = {old, old};
  StampIniFiles(machine, times);
}

// Gives the INI files the time of now, as on a machine just written (copied,
// or built by a test): a file the stamp rule would read anew on every call.
void FreshenIniFiles(BenchMachine& machine) {
  const timespec times[2] = {{0, UTIME_NOW}, {0, UTIME_NOW}};
  StampIniFiles(machine, times);
}

// A machine without the crowd of a large installation, with `printers` more
// printers in [Devices], all on LPT2: (so the run on LPT1: judges them all).
std::unique_ptr<BenchMachine> SmallMachine(int printers) {
  auto machine = std::make_unique<BenchMachine>(MachineSize{0, 0, 0, 0});
  std::string winIni = machine->Save("C:\\WINDOWS\\WIN.INI");
  std::string lines;
  for (int i = 0; i < printers; ++i) lines += "Office Printer " + std::to_string(i) + "=OFFICEDRV,LPT2:\r\n";
  winIni.insert(winIni.find("[Devices]\r\n") + 11, lines);
  machine->Restore("C:\\WINDOWS\\WIN.INI", winIni);
  AgeIniFiles(*machine);
  return machine;
}

// A whole run on LPT1: with N more printers in [Devices]; the floor is the
// same run on the same machine without them. With `fresh`, both machines'
// INI files were written just before each run.
void PrintersInDevices(benchmark::State& state, bool fresh) {
  static std::map<int, std::unique_ptr<BenchMachine>> machines;
  auto& floorMachine = machines[0];
  if (!floorMachine) floorMachine = SmallMachine(0);
  const int printers = static_cast<int>(state.range(0));
  auto& machine = machines[printers];
  if (!machine) machine = SmallMachine(printers);
  auto script = [](auto& ui) { ui.Press(kStartYes).Press(kOk); };
  Paired paired;
  for (auto _ : state) {
    if (fresh) FreshenIniFiles(*floorMachine);
    auto floor = TimedWizardRun(*floorMachine, script);
    if (fresh) FreshenIniFiles(*machine);
    auto figure = TimedWizardRun(*machine, script);
    if (!floor || !figure) return state.SkipWithError("a run did not reach the results");
    paired.Add(*figure, *floor);
  }
  if (fresh) {  // as the plain variant expects them
    AgeIniFiles(*floorMachine);
    AgeIniFiles(*machine);
  }
  paired.Report(state);
}
void BM_PrintersInDevices(benchmark::State& state) { PrintersInDevices(state, false); }
void BM_PrintersInDevicesFresh(benchmark::State& state) { PrintersInDevices(state, true); }
BENCHMARK(BM_PrintersInDevices)->Arg(10)->Arg(1000)->Arg(4000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PrintersInDevicesFresh)->Arg(10)->Arg(1000)->Arg(4000)->Unit(benchmark::kMillisecond);

// The floor of one listed file: what any program must do to report its size
// and time stamp (open, fstat, close, the time formatted).
bool OpenStatFormat(const std::string& hostPath, std::string& line) {
  int fd = open(hostPath.c_str(), O_RDONLY);
  if (fd < 0) return false;
  struct stat st;
  const bool ok = fstat(fd, &st) == 0;
  close(fd);
  std::tm tm{};
  localtime_r(&st.st_mtime, &tm);
  char text[64];
  std::strftime(text, sizeof text, "%Y/%m/%d %H:%M:%S", &tm);
  line = text;
  return ok;
}

// Every file of the standard installation's list judged as the installed-file
// check does (size, time stamp, version); per file, against its floor.
void BM_ListedFiles(benchmark::State& state) {
  BenchMachine& machine = StandardBenchMachine();
  AgeIniFiles(machine);
  machine.Activate();
  struct Listed {
    const tools::PrintingFile* file;
    std::string path, host, size;
  };
  std::vector<Listed> listed;
  for (const auto& file : tools::StandardPrintingFiles()) {
    std::string path = tools::PrintingFilePath(machine.Builder(), file.directory, file.name);
    listed.push_back({&file, path, machine.Builder().HostPath(path).string(), std::to_string(file.size)});
  }
  // Their directories get the time of an hour ago too: one changed within the
  // last seconds is looked up anew on every open.
  const timespec old{std::time(nullptr) - 3600, 0};
  const timespec times[2] = {old, old};
  for (const auto& l : listed)
    for (auto dir = std::filesystem::path(l.host).parent_path(); dir.string().size() >= machine.Root().string().size();
         dir = dir.parent_path())
      utimensat(AT_FDCWD, dir.c_str(), times, 0);
  Paired paired;
  std::string line;
  for (auto _ : state) {
    auto start = Clock::now();
    for (const auto& l : listed)
      if (!OpenStatFormat(l.host, line)) return state.SkipWithError("a listed file is missing");
    const double floor = Since(start);
    start = Clock::now();
    for (const auto& l : listed)
      if (CheckInstalledFile(l.path, l.size, l.file->version, l.file->stamp, line) != 1)
        return state.SkipWithError("a listed file was judged wrong");
    paired.Add(Since(start) / listed.size(), floor / listed.size());
  }
  paired.Report(state, "us", 1e6);
  state.counters["files_per_s"] =
      benchmark::Counter(static_cast<double>(listed.size() * state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_ListedFiles)->Unit(benchmark::kMillisecond);

// Resident memory the loaded SYSTEM.REG adds, per MB of its text; the goal
// (2 MB per MB) is printed as the floor.
void BM_HiveResidentMemory(benchmark::State& state) {
  BenchMachine& machine = StandardBenchMachine();
  const double hiveMegabytes = static_cast<double>(machine.Save("C:\\WINDOWS\\SYSTEM.REG").size()) / (1024.0 * 1024.0);
  double perMegabyte = 0;
  for (auto _ : state) {
    machine.Activate();  // the hive of an earlier iteration freed
    malloc_trim(0);
    const double before = ResidentMegabytes();
    w95::RegKey key;
    if (w95::RegOpenKeyExA(w95::RootKey::LocalMachine, "System", 0, w95::KEY_READ, key) != 0)
      return state.SkipWithError("the hive did not load");
    perMegabyte = (ResidentMegabytes() - before) / hiveMegabytes;
  }
  state.counters["MB_per_MB"] = perMegabyte;
  state.counters["floor_MB_per_MB"] = 2;
  state.counters["ratio"] = perMegabyte / 2;
}
BENCHMARK(BM_HiveResidentMemory)->Unit(benchmark::kMillisecond)->Iterations(5);

}  // namespace
}  // namespace dxl::bench
