// The binary registry of a real installation of realistic size: a SYSTEM.DAT
// of more than 3 MB, loaded when a run first touches the registry. Floor: the
// same file read into a tree by libcreg alone, in the same iterations.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <malloc.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <map>
#include <memory>
#include <string>

#include "bench_machine.h"
#include "machine_builder/hives.h"
#include "machine_builder/large_machine.h"
#include "machine_builder/machine_builder.h"
#include "paired.h"
#include "platform/machine/machine.h"
#include "platform/registry/creg_read.h"
#include "platform/registry/registry.h"

namespace fs = std::filesystem;

namespace dxl::bench {
namespace {

constexpr const char* kPrinterKey = "System\\CurrentControlSet\\control\\Print\\Printers\\Tavix KRT-310";

class BinaryHiveMachine {
 public:
  explicit BinaryHiveMachine(std::size_t components)
      : root_(fs::temp_directory_path() /
              ("dxl-bench-binary-" + std::to_string(getpid()) + "-" + std::to_string(components))),
        builder_(root_) {
    builder_.InstallPrintingSystem();
    tools::AddRegisteredComponents(builder_, components);
    builder_.UseBinaryRegistry();
  }
  ~BinaryHiveMachine() {
    std::error_code ec;
    fs::remove_all(root_, ec);
  }
  void Activate() const { w95::Machine::Use(root_); }
  fs::path Hive() const { return builder_.HostPath(tools::HiveFile(builder_, false)); }
  double HiveMegabytes() const { return static_cast<double>(fs::file_size(Hive())) / (1024.0 * 1024.0); }

 private:
  fs::path root_;
  tools::MachineBuilder builder_;
};

BinaryHiveMachine& Machine(std::size_t components) {
  static std::map<std::size_t, std::unique_ptr<BinaryHiveMachine>> machines;
  auto& machine = machines[components];
  if (!machine) machine = std::make_unique<BinaryHiveMachine>(components);
  return *machine;
}

double Seconds(std::chrono::steady_clock::time_point since) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

void BM_BinaryHiveLoad(benchmark::State& state) {
  BinaryHiveMachine& machine = Machine(static_cast<std::size_t>(state.range(0)));
  Paired paired;
  double perMegabyte = 0;
  for (auto _ : state) {
    machine.Activate();  // the hive of an earlier iteration freed
    malloc_trim(0);
    const double before = ResidentMegabytes();
    auto start = std::chrono::steady_clock::now();
    w95::RegKey key;
    if (w95::RegOpenKeyExA(w95::RootKey::LocalMachine, kPrinterKey, 0, w95::KEY_READ, key) != 0)
      return state.SkipWithError("the printer's key is missing");
    const double load = Seconds(start);
    perMegabyte = (ResidentMegabytes() - before) / machine.HiveMegabytes();

    start = std::chrono::steady_clock::now();
    w95::RegHive tree{"HKEY_LOCAL_MACHINE"};
    if (w95::ReadCregFile(machine.Hive(), tree)) return state.SkipWithError("libcreg cannot read the hive");
    paired.Add(load, Seconds(start));
  }
  paired.Report(state);
  state.counters["hive_MB"] = machine.HiveMegabytes();
  // Resident memory per MB of SYSTEM.DAT, against the goal of 2 (the file's bytes, kept, and a compact tree).
  state.counters["MB_per_MB"] = perMegabyte;
  state.counters["goal_MB_per_MB"] = 2;
  state.counters["ratio_MB"] = perMegabyte / 2;
}
// Registered components, five keys each: 1,000 and 3,300 (a SYSTEM.DAT of about 3 MB).
BENCHMARK(BM_BinaryHiveLoad)->Unit(benchmark::kMillisecond)->Iterations(5)->Arg(1000)->Arg(3300);

// Writes `bytes` to a new file beside `hive`, syncs and closes it: the floor of a save.
bool WriteNewFile(const fs::path& hive, const std::string& bytes) {
  const fs::path path = hive.parent_path() / "FLOOR.TMP";
  int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd < 0) return false;
  bool ok = write(fd, bytes.data(), bytes.size()) == static_cast<ssize_t>(bytes.size()) && fsync(fd) == 0;
  ok = close(fd) == 0 && ok;
  unlink(path.c_str());
  return ok;
}

// One fix's save on SYSTEM.DAT (RegSetValueExA of the printer's Attributes,
// a DWORD of the same size; the hive patched, checked, read back by libcreg,
// replaced atomically); floor: writing and syncing the same bytes to a new file.
void BM_BinaryHiveSave(benchmark::State& state) {
  BinaryHiveMachine& machine = Machine(static_cast<std::size_t>(state.range(0)));
  machine.Activate();
  w95::RegKey key;
  if (w95::RegOpenKeyExA(w95::RootKey::LocalMachine, kPrinterKey, 0, w95::KEY_ALL_ACCESS, key) != 0)
    return state.SkipWithError("the printer's key is missing");
  Paired paired;
  std::uint32_t attributes = 0x844;
  for (auto _ : state) {
    attributes ^= 0x200;
    const std::string data(reinterpret_cast<const char*>(&attributes), 4);
    auto start = std::chrono::steady_clock::now();
    if (w95::RegSetValueExA(key, "Attributes", w95::REG_DWORD, data) != 0)
      return state.SkipWithError("the save failed");
    const double save = Seconds(start);
    std::string bytes = std::string(static_cast<std::size_t>(fs::file_size(machine.Hive())), 'x');
    start = std::chrono::steady_clock::now();
    if (!WriteNewFile(machine.Hive(), bytes)) return state.SkipWithError("the floor's file cannot be written");
    paired.Add(save, Seconds(start));
  }
  paired.Report(state);
  state.counters["hive_MB"] = machine.HiveMegabytes();
}
BENCHMARK(BM_BinaryHiveSave)->Unit(benchmark::kMillisecond)->Iterations(15)->Arg(3300);

}  // namespace
}  // namespace dxl::bench
