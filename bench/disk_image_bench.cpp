// The start and end of a run on a disk image: opening the image (its listing,
// the staging tree of placeholders) and writing back a run that changed
// nothing. Neither grows with files the run does not use: the argument is the
// MB of unrelated files in the image (5 MB each), besides a small drive.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "platform/machine/disk_image_machine.h"

namespace dxl::bench {
namespace {

namespace fs = std::filesystem;

// A FAT32 image of 256 MB with a few small files and `megabytes` of unrelated ones.
fs::path MakeImage(const fs::path& dir, int megabytes) {
  fs::remove_all(dir);
  fs::create_directories(dir / "drive" / "WINDOWS" / "SYSTEM");
  std::ofstream(dir / "drive" / "MSDOS.SYS") << "[Paths]\r\nWinDir=C:\\WINDOWS\r\n";
  for (int i = 0; i < 200; ++i) std::ofstream(dir / "drive" / "WINDOWS" / "SYSTEM" / ("F" + std::to_string(i))) << i;
  fs::create_directories(dir / "drive" / "EXTRA");
  for (int i = 0; i < megabytes / 5; ++i) {
    std::ofstream extra(dir / "drive" / "EXTRA" / ("DATA" + std::to_string(i) + ".BIN"), std::ios::binary);
    extra << std::string(5 << 20, static_cast<char>('a' + i % 26));
  }
  const std::string command = "cd '" + dir.string() +
                              "' && truncate -s 256M disk.img && mkfs.vfat -F 32 disk.img >/dev/null"
                              " && mcopy -s -m -i disk.img drive/* ::/ && rm -rf drive";
  return std::system(command.c_str()) == 0 ? dir / "disk.img" : fs::path();
}

void BM_DiskImageOpenAndWriteBack(benchmark::State& state) {
  const fs::path dir = fs::temp_directory_path() / ("dxl-image-bench-" + std::to_string(getpid()));
  const fs::path image = MakeImage(dir, static_cast<int>(state.range(0)));
  if (image.empty()) {
    state.SkipWithError("no image: mtools or dosfstools missing");
    return;
  }
  for (auto _ : state) {
    std::string problem;
    auto machine = w95::DiskImageMachine::Open(image, problem);
    if (!machine || !machine->WriteBack().empty()) {
      state.SkipWithError("the image cannot be opened or written back");
      break;
    }
  }
  fs::remove_all(dir);
}
BENCHMARK(BM_DiskImageOpenAndWriteBack)->Unit(benchmark::kMillisecond)->Iterations(10)->Arg(0)->Arg(200);

}  // namespace
}  // namespace dxl::bench
