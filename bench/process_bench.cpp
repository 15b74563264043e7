// The program itself, started as a user starts it, against plain programs
// that do the least any program must: start, and read the machine's files.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <malloc.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <initializer_list>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "bench_machine.h"
#include "machine_builder/large_machine.h"
#include "machine_builder/machine_builder.h"
#include "paired.h"

namespace fs = std::filesystem;

namespace dxl::bench {
namespace {

struct Cost {
  double wall = 0, cpu = 0;  // seconds
  double peakMb = 0;         // the process's peak resident memory
};

// Runs `argv` with `env`, `input` on its standard input, its output dropped;
// nullopt when it could not be started or failed.
std::optional<Cost> RunProcess(const std::vector<std::string>& argv, const std::vector<std::string>& env,
                               const std::string& input) {
  std::vector<char*> args, envs;
  for (const auto& a : argv) args.push_back(const_cast<char*>(a.c_str()));
  for (const auto& e : env) envs.push_back(const_cast<char*>(e.c_str()));
  args.push_back(nullptr);
  envs.push_back(nullptr);
  int in[2];
  if (pipe(in) != 0) return std::nullopt;
  const auto start = std::chrono::steady_clock::now();
  pid_t child = fork();
  if (child == 0) {
    dup2(in[0], 0);
    close(in[0]);
    close(in[1]);
    int null = open("/dev/null", O_WRONLY);
    dup2(null, 1);
    dup2(null, 2);
    execve(args[0], args.data(), envs.data());
    _exit(127);
  }
  close(in[0]);
  if (child > 0 && !input.empty()) (void)!write(in[1], input.data(), input.size());
  close(in[1]);
  if (child < 0) return std::nullopt;
  int status = 0;
  rusage usage{};
  if (wait4(child, &status, 0, &usage) != child) return std::nullopt;
  const std::chrono::duration<double> wall = std::chrono::steady_clock::now() - start;
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) return std::nullopt;
  auto seconds = [](timeval t) { return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) / 1e6; };
  return Cost{wall.count(), seconds(usage.ru_utime) + seconds(usage.ru_stime),
              static_cast<double>(usage.ru_maxrss) / 1024.0};
}

// The standard machine (as dxlq7-mkmachine writes it) in a temporary
// directory; with `smbServer`, MACHINE.INI declares a server of the SMB
// backend, which the run on LPT1: does not visit.
class ProcessMachine {
 public:
  // With `printers`, that many more printers on LPT2: in WIN.INI [Devices],
  // which the run on LPT1: judges one by one.
  // With `components` (0 or more), the registry holds that many more registered components (five keys each)
  // and is binary (SYSTEM.DAT, USER.DAT) unless `text`.
  explicit ProcessMachine(bool smbServer, int printers = 0, int components = -1, bool text = false)
      : root_(fs::temp_directory_path() /
              ("dxl-bench-process-" + std::to_string(getpid()) + (smbServer ? "-smb" : "") + "-" +
               std::to_string(printers) + "-" + std::to_string(components) + (text ? "-text" : ""))),
        builder_(root_) {
    builder_.InstallPrintingSystem();
    if (smbServer) builder_.MachineIni("Server FILESRV", "Backend", "smb");
    if (printers > 0) AddPrinters(printers);
    if (components > 0) tools::AddRegisteredComponents(builder_, static_cast<size_t>(components));
    if (components >= 0 && !text) builder_.UseBinaryRegistry();
    for (const auto& entry : fs::recursive_directory_iterator(root_)) initial_.insert(entry.path());
  }
  ~ProcessMachine() {
    std::error_code ec;
    fs::remove_all(root_, ec);
  }
  const fs::path& Root() const { return root_; }
  double HiveMegabytes(const char* file = "SYSTEM.DAT") const {
    return static_cast<double>(fs::file_size(builder_.HostPath(builder_.InWindows(file)))) / (1024.0 * 1024.0);
  }
  // Removes what a run left (its log), so that every run finds the same machine.
  void Clean() const {
    std::vector<fs::path> added;
    for (const auto& entry : fs::recursive_directory_iterator(root_))
      if (!initial_.contains(entry.path())) added.push_back(entry.path());
    std::error_code ec;
    for (const auto& path : added) fs::remove_all(path, ec);
  }

 private:
  void AddPrinters(int printers) {
    std::string winIni = builder_.Read(builder_.InWindows("WIN.INI"));
    std::string lines;
    for (int i = 0; i < printers; ++i) lines += "Office Printer " + std::to_string(i) + "=OFFICEDRV,LPT2:\r\n";
    winIni.insert(winIni.find("[Devices]\r\n") + 11, lines);
    builder_.WinIni(winIni);
  }

  fs::path root_;
  tools::MachineBuilder builder_;
  std::set<fs::path> initial_;
};

std::vector<std::string> ConsoleEnvironment(const ProcessMachine& machine) {
  return {"TSHOOTER_ROOT=" + machine.Root().string(), "TSHOOTER_UI=console", "HOME=" + machine.Root().string(),
          "LANG=C.UTF-8"};
}

struct Command {
  std::vector<std::string> argv;
  std::vector<std::string> environment;
  std::string input;
};

// What a user waits for, as the largest ratio to its floor.
constexpr double kWholeRunGoal = 2.0;      // the whole console run, against reading every input file once
constexpr double kManyPrintersGoal = 1.5;  // 4,000 printers, against the standard run
constexpr double kFirstQtPageGoal = 1.5;   // the first Qt page, against an empty QApplication showing a dialog

// The largest peak resident memory of the program and of its floor over the iterations.
struct Peaks {
  double figureMb = 0, floorMb = 0;
};

// The program and its floor in turn in every iteration, the machines cleaned
// after each pair; CPU and wall time reported as medians and their ratios
// (wall time against `goal`, when there is one).
Peaks RunPaired(benchmark::State& state, std::initializer_list<const ProcessMachine*> machines,
                const Command& floorCommand, const Command& program, double goal = 0) {
  Paired cpu, wall;
  Peaks peaks;
  // A child's peak counts what it shared with this process before it started the program: keep that small.
  malloc_trim(0);
  state.counters["bench_rss_MB"] = ResidentMegabytes();
  for (auto _ : state) {
    auto floor = RunProcess(floorCommand.argv, floorCommand.environment, floorCommand.input);
    auto figure = RunProcess(program.argv, program.environment, program.input);
    for (const auto* machine : machines) machine->Clean();
    if (!floor || !figure) {
      state.SkipWithError("a program failed");
      return peaks;
    }
    cpu.Add(figure->cpu, floor->cpu);
    wall.Add(figure->wall, floor->wall);
    peaks.figureMb = std::max(peaks.figureMb, figure->peakMb);
    peaks.floorMb = std::max(peaks.floorMb, floor->peakMb);
  }
  cpu.Report(state, "cpu_ms");
  wall.Report(state, "wall_ms", 1e3, goal);
  return peaks;
}

// A whole console run (the start page answered, the results left), against
// the floor program reading every file of the machine once.
void WholeConsoleRun(benchmark::State& state, bool smbServer) {
  ProcessMachine machine(smbServer);
  RunPaired(state, {&machine}, {{DXL_FLOOR_PROGRAM, machine.Root().string()}, {}, ""},
            {{DXL_PROGRAM}, ConsoleEnvironment(machine), "#6\n#1\n"}, kWholeRunGoal);
}

void BM_ProcessWholeConsoleRun(benchmark::State& state) { WholeConsoleRun(state, false); }
BENCHMARK(BM_ProcessWholeConsoleRun)->Unit(benchmark::kMillisecond)->Iterations(40);

void BM_ProcessWholeConsoleRunSmbServer(benchmark::State& state) { WholeConsoleRun(state, true); }
BENCHMARK(BM_ProcessWholeConsoleRunSmbServer)->Unit(benchmark::kMillisecond)->Iterations(40);

// A whole console run on LPT1: of the standard machine with N more printers
// in [Devices], against the same run on the standard machine; both machines
// are written just before the benchmark (their INI files are seconds old).
void BM_ProcessPrintersInDevices(benchmark::State& state) {
  ProcessMachine standard(false), crowded(false, static_cast<int>(state.range(0)));
  RunPaired(state, {&standard, &crowded}, {{DXL_PROGRAM}, ConsoleEnvironment(standard), "#6\n#1\n"},
            {{DXL_PROGRAM}, ConsoleEnvironment(crowded), "#6\n#1\n"}, kManyPrintersGoal);
}
BENCHMARK(BM_ProcessPrintersInDevices)->Arg(10)->Arg(1000)->Arg(4000)->Unit(benchmark::kMillisecond)->Iterations(30);

// A whole console run on LPT1: of a machine whose SYSTEM.DAT is large (3,300
// components: about 3 MB; 10,600: about 10 MB), against the same run on the
// standard machine with binary hives, in the same iterations; and the peak
// resident memory above the standard run's, against the hive's size.
void BM_ProcessBinaryHive(benchmark::State& state) {
  ProcessMachine standard(false, 0, 0), large(false, 0, static_cast<int>(state.range(0)));
  const Peaks peaks =
      RunPaired(state, {&standard, &large}, {{DXL_PROGRAM}, ConsoleEnvironment(standard), "#6\n#1\n"},
                {{DXL_PROGRAM}, ConsoleEnvironment(large), "#6\n#1\n"}, state.range(0) <= 3300 ? 1.3 : 1.5);
  if (state.error_occurred()) return;
  state.counters["hive_MB"] = large.HiveMegabytes();
  state.counters["peak_above_MB"] = peaks.figureMb - peaks.floorMb;
  state.counters["ratio_MB"] = (peaks.figureMb - peaks.floorMb) / large.HiveMegabytes();
}
BENCHMARK(BM_ProcessBinaryHive)->Arg(3300)->Arg(10600)->Unit(benchmark::kMillisecond)->Iterations(20);

// A text registry costs in proportion to its size: whole console runs on machines whose SYSTEM.REG holds 3,300
// and 10,600 more components (about 3 MB and 10 MB), each against the standard run with text hives, in turn in
// every iteration. The 10 MB run's extra time over the 3 MB run's extra, against the ratio of the hives' extra
// bytes (linear cost: about 3.3).
void BM_ProcessTextHiveScaling(benchmark::State& state) {
  ProcessMachine standard(false, 0, 0, true), small(false, 0, 3300, true), large(false, 0, 10600, true);
  const Command standardRun{{DXL_PROGRAM}, ConsoleEnvironment(standard), "#6\n#1\n"};
  const Command smallRun{{DXL_PROGRAM}, ConsoleEnvironment(small), "#6\n#1\n"};
  const Command largeRun{{DXL_PROGRAM}, ConsoleEnvironment(large), "#6\n#1\n"};
  std::vector<double> smallCpu, largeCpu, smallWall, largeWall;
  for (auto _ : state) {
    auto floor = RunProcess(standardRun.argv, standardRun.environment, standardRun.input);
    auto three = RunProcess(smallRun.argv, smallRun.environment, smallRun.input);
    auto ten = RunProcess(largeRun.argv, largeRun.environment, largeRun.input);
    for (const auto* machine : {&standard, &small, &large}) machine->Clean();
    if (!floor || !three || !ten) return state.SkipWithError("a program failed");
    smallCpu.push_back(three->cpu - floor->cpu);
    largeCpu.push_back(ten->cpu - floor->cpu);
    smallWall.push_back(three->wall - floor->wall);
    largeWall.push_back(ten->wall - floor->wall);
  }
  const double base = standard.HiveMegabytes("SYSTEM.REG");
  const double sizeRatio = (large.HiveMegabytes("SYSTEM.REG") - base) / (small.HiveMegabytes("SYSTEM.REG") - base);
  state.counters["extra3_cpu_ms"] = Median(smallCpu) * 1e3;
  state.counters["extra10_cpu_ms"] = Median(largeCpu) * 1e3;
  state.counters["extra3_wall_ms"] = Median(smallWall) * 1e3;
  state.counters["extra10_wall_ms"] = Median(largeWall) * 1e3;
  state.counters["ratio_cpu"] = Median(largeCpu) / Median(smallCpu);
  state.counters["ratio_wall"] = Median(largeWall) / Median(smallWall);
  state.counters["size_ratio"] = sizeRatio;
  state.counters["hive_MB"] = large.HiveMegabytes("SYSTEM.REG");
}
BENCHMARK(BM_ProcessTextHiveScaling)->Unit(benchmark::kMillisecond)->Iterations(10);

// Start-up to the first console page (the input ends there, so the program
// leaves), against a program that starts and exits.
void BM_ProcessStartToFirstConsolePage(benchmark::State& state) {
  ProcessMachine machine(false);
  RunPaired(state, {&machine}, {{DXL_FLOOR_PROGRAM}, {}, ""}, {{DXL_PROGRAM}, ConsoleEnvironment(machine), ""});
}
BENCHMARK(BM_ProcessStartToFirstConsolePage)->Unit(benchmark::kMillisecond)->Iterations(40);

#ifdef DXL_QT_FLOOR_PROGRAM
// Start-up to the first Qt page, offscreen: without a user the start page
// ends once drawn (TSHOOTER_UNATTENDED=1), so the program leaves there;
// against an empty offscreen QApplication that draws one dialog and exits.
void BM_ProcessStartToFirstQtPage(benchmark::State& state) {
  ProcessMachine machine(false);
  // Both with the same platform, locale and home (Qt's settings, fonts).
  const std::vector<std::string> qt = {"QT_QPA_PLATFORM=offscreen", "XDG_RUNTIME_DIR=" + machine.Root().string(),
                                       "HOME=" + machine.Root().string(), "LANG=C.UTF-8"};
  auto environment = qt;
  environment.push_back("TSHOOTER_ROOT=" + machine.Root().string());
  environment.push_back("TSHOOTER_UI=qt");
  environment.push_back("TSHOOTER_UNATTENDED=1");
  RunPaired(state, {&machine}, {{DXL_QT_FLOOR_PROGRAM}, qt, ""}, {{DXL_PROGRAM}, environment, ""}, kFirstQtPageGoal);
}
BENCHMARK(BM_ProcessStartToFirstQtPage)->Unit(benchmark::kMillisecond)->Iterations(40);
#endif

}  // namespace
}  // namespace dxl::bench
