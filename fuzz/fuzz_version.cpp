// Version information from any bytes: as a block handed to VerQueryValueA,
// and as an executable file of the machine read by GetFileVersionInfoA.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdio>
#include <cstdlib>
#include <vector>

#include "fuzz_machine.h"
#include "platform/version/version.h"

namespace {

constexpr std::string_view kSubBlocks[] = {"\\",
                                           "\\StringFileInfo\\080403A8\\FileVersion",
                                           "\\StringFileInfo\\080403A8\\FileDescription",
                                           "\\VarFileInfo\\Translation",
                                           "\\StringFileInfo",
                                           "\\\\\\"};

void Require(bool condition, const char* what) {
  if (condition) return;
  std::fprintf(stderr, "broken: %s\n", what);
  std::abort();
}

void Query(std::span<const char> block, std::string_view extra) {
  std::string value;
  w95::VS_FIXEDFILEINFO info;
  for (std::string_view subBlock : kSubBlocks) {
    if (w95::VerQueryValueA(block, subBlock, value))
      Require(value.size() <= 2 * block.size(), "a value lies in the block");
  }
  (void)w95::VerQueryValueA(block, extra, value);
  (void)w95::VerQueryValueA(block, "\\", info);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzedDataProvider input(data, size);
  const std::string extra = input.ConsumeRandomLengthString(48);
  const bool asFile = input.ConsumeBool();
  const std::string bytes = input.ConsumeRemainingBytesAsString();
  if (!asFile) {
    // An exact copy on the heap, so that a read past its end is caught.
    std::vector<char> block(bytes.begin(), bytes.end());
    Query(block, extra);
    return 0;
  }
  auto& machine = dxl::fuzz::FuzzMachine::Get();
  machine.Write("C:\\WINDOWS\\SYSTEM\\FUZZ.DRV", bytes);
  w95::DWORD handle = 1;
  const w95::DWORD length = w95::GetFileVersionInfoSizeA("C:\\WINDOWS\\SYSTEM\\FUZZ.DRV", handle);
  Require(handle == 0, "the handle is 0");
  Require(length <= bytes.size(), "the version information lies in the file");
  if (length == 0) return 0;
  std::vector<char> block(length);
  Require(w95::GetFileVersionInfoA("C:\\WINDOWS\\SYSTEM\\FUZZ.DRV", 0, block), "a sized block can be read");
  Query(block, extra);
  return 0;
}
