// The profile calls on a WIN.INI of any bytes: every count agrees with the
// text handed out and fits the buffer, and a write leaves a file that reads
// back the value written.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdio>
#include <cstdlib>

#include "fuzz_machine.h"
#include "platform/profile/profile.h"

namespace {

void Require(bool condition, const char* what) {
  if (condition) return;
  std::fprintf(stderr, "broken: %s\n", what);
  std::abort();
}

void CheckCount(w95::DWORD count, const std::string& out, w95::DWORD size) {
  Require(count == out.size(), "the count is the size of the text handed out");
  Require(size == 0 || count < size, "the text fits the buffer with its NUL");
}

// A list of names counts the NUL that ends it, which `out` leaves off; one that
// does not fit holds the whole names that fit with the final NUL and answers size - 2.
void CheckListCount(w95::DWORD count, const std::string& out, w95::DWORD size) {
  if (size < 2) return Require(count == 0, "a buffer below two bytes holds no list");
  Require(count == out.size() + 1 || (count == size - 2 && out.size() + 1 <= size),
          "the count is the list handed out with its final NUL, or size - 2 when cut");
  Require(out.empty() || out.back() == '\0', "every name of the list ends with a NUL");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzedDataProvider input(data, size);
  const std::string section = input.ConsumeRandomLengthString(24);
  const std::string key = input.ConsumeRandomLengthString(24);
  const std::string value = input.ConsumeRandomLengthString(24);
  const w95::DWORD buffer = input.ConsumeIntegralInRange<w95::DWORD>(0, 300);
  const bool write = input.ConsumeBool();
  auto& machine = dxl::fuzz::FuzzMachine::Get();
  machine.Write("C:\\WINDOWS\\WIN.INI", input.ConsumeRemainingBytesAsString());

  std::string out;
  CheckListCount(w95::GetProfileStringA(std::nullopt, std::nullopt, "", out, buffer), out, buffer);
  CheckListCount(w95::GetProfileStringA(section, std::nullopt, "", out, buffer), out, buffer);
  CheckCount(w95::GetProfileStringA(section, key, value, out, buffer), out, buffer);
  (void)w95::GetProfileIntA(section, key, -1);
  if (write) {
    const bool stored = w95::WriteProfileStringA(section, key, value);
    Require(stored, "a write to a writable WIN.INI succeeds");
    (void)w95::WriteProfileStringA(section, key, std::nullopt);
    (void)w95::WriteProfileStringA(section, std::nullopt, std::nullopt);
  }
  machine.CheckOutsideUntouched();
  return 0;
}
