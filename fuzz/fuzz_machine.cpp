#include "fuzz_machine.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <random>

#include "platform/machine/machine.h"

namespace fs = std::filesystem;

namespace dxl::fuzz {

namespace {

constexpr std::string_view kWitnessName = "WITNESS.TXT";
constexpr std::string_view kWitnessText = "nothing may touch this file\r\n";

fs::path g_base;

void RemoveBase() {
  std::error_code ec;
  fs::remove_all(g_base, ec);
}

}  // namespace

FuzzMachine::FuzzMachine() {
  std::random_device random;
  base_ = fs::temp_directory_path() / ("dxl-fuzz-" + std::to_string(getpid()) + "-" + std::to_string(random()));
  root_ = base_ / "machine";
  outside_ = base_ / "outside";
  fs::create_directories(outside_);
  std::ofstream(outside_ / kWitnessName, std::ios::binary) << kWitnessText;
  builder_.emplace(root_);
  builder_->InstallPrintingSystem();
  // Links that lead out of the machine: nothing may follow them.
  fs::create_directory_symlink(outside_, root_ / "TRAP");
  fs::create_symlink(outside_ / kWitnessName, root_ / "TRAPFILE.TXT");
  g_base = base_;
  std::atexit(RemoveBase);
}

FuzzMachine& FuzzMachine::Get() {
  static FuzzMachine machine;
  w95::Machine::Use(machine.root_);
  return machine;
}

void FuzzMachine::Write(std::string_view windowsPath, std::string_view bytes) { builder_->File(windowsPath, bytes); }

void FuzzMachine::CheckOutsideUntouched() const {
  std::size_t entries = 0;
  for ([[maybe_unused]] const auto& entry : fs::directory_iterator(base_)) ++entries;
  std::size_t outsideEntries = 0;
  for ([[maybe_unused]] const auto& entry : fs::directory_iterator(outside_)) ++outsideEntries;
  std::ifstream in(outside_ / kWitnessName, std::ios::binary);
  std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (entries == 2 && outsideEntries == 1 && text == kWitnessText) return;
  std::fprintf(stderr, "a file outside the machine directory was touched\n");
  std::abort();
}

}  // namespace dxl::fuzz
