// Directory searches over a system directory of some 2,000 files, and the
// enumeration of a print server with a few hundred shares.
#include <benchmark/benchmark.h>

#include <vector>

#include "bench_machine.h"
#include "platform/files/files.h"
#include "platform/network/network.h"

namespace dxl::bench {
namespace {

// Every entry of the system directory, as a directory listing reads them.
void BM_FindAllSystemFiles(benchmark::State& state) {
  StandardBenchMachine().Activate();
  for (auto _ : state) {
    w95::FindData data;
    w95::FindHandle find = w95::FindFirstFileA("C:\\WINDOWS\\SYSTEM\\*.*", data);
    int count = find ? 1 : 0;
    while (w95::FindNextFileA(find, data)) ++count;
    w95::FindClose(find);
    if (count < 2000) return state.SkipWithError("the system directory is not full");
  }
}
BENCHMARK(BM_FindAllSystemFiles)->Unit(benchmark::kMillisecond);

// One file by its name, as the installed-file check looks up each file's time
// stamp; spelt as the directory holds it, and in another case.
void BM_FindOneSystemFile(benchmark::State& state) {
  StandardBenchMachine().Activate();
  const char* name = state.range(0) ? "c:\\windows\\system\\sys01999.dll" : "C:\\WINDOWS\\SYSTEM\\SYS01999.DLL";
  for (auto _ : state) {
    w95::FindData data;
    w95::FindHandle find = w95::FindFirstFileA(name, data);
    if (!find) return state.SkipWithError("the file is not found");
  }
}
BENCHMARK(BM_FindOneSystemFile)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

void BM_WNetEnumServerShares(benchmark::State& state) {
  StandardBenchMachine().Activate();
  w95::NetResource server;
  server.remoteName = "\\\\PRINTSRV";
  for (auto _ : state) {
    w95::NetEnumHandle handle;
    if (w95::WNetOpenEnumA(w95::RESOURCE_GLOBALNET, w95::RESOURCETYPE_ANY, 0, &server, handle) != w95::ERROR_SUCCESS)
      return state.SkipWithError("the server cannot be enumerated");
    std::size_t total = 0;
    for (;;) {
      w95::DWORD count = 0xFFFFFFFF, bufferSize = 16384;
      std::vector<w95::NetResource> entries;
      if (w95::WNetEnumResourceA(handle, count, entries, bufferSize) != w95::ERROR_SUCCESS) break;
      total += entries.size();
    }
    w95::WNetCloseEnum(handle);
    if (total < 260) return state.SkipWithError("shares are missing");
  }
}
BENCHMARK(BM_WNetEnumServerShares)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace dxl::bench
