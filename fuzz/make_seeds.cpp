// fuzz_seeds DIR: writes a seed corpus for each harness into DIR/<harness>/,
// made of the files of a demo machine built by the machine builder.
#include <unistd.h>

#include <cstdio>
#include <exception>
#include <filesystem>
#include <fstream>
#include <string>

#include "machine_builder/demo_machine.h"
#include "machine_builder/executables.h"
#include "machine_builder/help_file.h"
#include "machine_builder/machine_builder.h"

namespace fs = std::filesystem;
using dxl::tools::MachineBuilder;

namespace {

// The strings a harness takes before its file, each ended as the fuzz data
// provider expects ("\" and any other character).
std::string Names(std::initializer_list<std::string_view> names) {
  std::string out;
  for (std::string_view name : names) out.append(name).append("\\x");
  return out;
}

class Corpus {
 public:
  explicit Corpus(fs::path dir) : dir_(std::move(dir)) {}

  void Add(std::string_view harness, std::string_view bytes) {
    fs::create_directories(dir_ / harness);
    std::ofstream(dir_ / harness / std::to_string(++count_), std::ios::binary) << bytes;
  }

 private:
  fs::path dir_;
  int count_ = 0;
};

void AddIniSeeds(Corpus& corpus, const MachineBuilder& machine) {
  for (std::string_view file :
       {"C:\\WINDOWS\\SYSTEM.INI", "C:\\WINDOWS\\WIN.INI", "C:\\MACHINE.INI", "C:\\WINDOWS\\SYSTEM\\DXLQ7CST.INF"}) {
    const std::string bytes = machine.Read(file);
    corpus.Add("fuzz_ini_text", Names({"windows", "device", "DXLQ7,LPT1:"}) + bytes + "\x01");
    corpus.Add("fuzz_profile", Names({"Ports", "LPT1:", "x"}) + bytes + "\x40\x01");
    corpus.Add("fuzz_msdos_sys", bytes);
  }
  corpus.Add("fuzz_msdos_sys", machine.Read("C:\\MSDOS.SYS"));
}

void AddRegistrySeeds(Corpus& corpus, const MachineBuilder& machine) {
  for (std::string_view file : {"C:\\WINDOWS\\SYSTEM.REG", "C:\\WINDOWS\\USER.REG"})
    corpus.Add("fuzz_regedit4", Names({"System\\Printers\\X", "Port", "LPT1:"}) + machine.Read(file) + "\x01");
}

void AddVersionSeeds(Corpus& corpus) {
  using dxl::tools::ImageFormat;
  for (ImageFormat format : {ImageFormat::Ne, ImageFormat::Le, ImageFormat::Pe})
    corpus.Add("fuzz_version", Names({"\\StringFileInfo\\080403A8\\CompanyName"}) +
                                   dxl::tools::MakeExecutable(format, "4.10.0.950", "driver") + "\x01");
  corpus.Add("fuzz_version", Names({"\\"}) + dxl::tools::VersionBlock16("1.2.3.4", "sixteen") + "\x00");
  corpus.Add("fuzz_version",
             Names({"\\"}) + dxl::tools::VersionBlock32("1.2.3.4", "thirty-two") + std::string(1, '\0'));
}

void AddListSeeds(Corpus& corpus, const MachineBuilder& machine) {
  const std::string inf = machine.Read("C:\\WINDOWS\\SYSTEM\\DXLQ7SET.INF");
  for (std::size_t at = inf.find('['); at != std::string::npos; at = inf.find('[', at + 1)) {
    const std::size_t end = inf.find('[', at + 1);
    corpus.Add("fuzz_file_list", inf.substr(at + 1, end == std::string::npos ? end : end - at - 1));
  }
}

void AddOtherSeeds(Corpus& corpus) {
  const std::string help = dxl::tools::StandardHelpFile();
  corpus.Add("fuzz_help", help + std::string("\x00\x00\x00\x01", 4));
  for (std::string_view path : {"C:\\WINDOWS\\SYSTEM.INI", "\\\\SERVER\\DXL\\X.TXT", "LPT1:", "c:/windows/../x",
                                "C:\\TRAP\\WITNESS.TXT", "system\\..\\..\\x", "C:\\WINDOWS\\SYSTEM\\ "})
    corpus.Add("fuzz_paths", path);
  corpus.Add("fuzz_wininit",
             "[Rename]\r\nNUL=C:\\SCRATCH\\A.TXT\r\nC:\\SCRATCH\\B.BAK=C:\\SCRATCH\\B.TXT\r\n"
             "C:\\SCRATCH\\SUB\\D.TXT=C:\\SCRATCH\\SUB\\C.TXT\r\nNUL=C:\\TRAP\\WITNESS.TXT\r\n");
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s DIR\n  writes a seed corpus for each fuzz harness into DIR/<harness>/\n", argv[0]);
    return 2;
  }
  const fs::path machineRoot = fs::temp_directory_path() / ("dxl-seeds-" + std::to_string(getpid()));
  try {
    MachineBuilder machine(machineRoot);
    machine.InstallPrintingSystem();
    dxl::tools::AddDemoProblems(machine);
    Corpus corpus(argv[1]);
    AddIniSeeds(corpus, machine);
    AddRegistrySeeds(corpus, machine);
    AddVersionSeeds(corpus);
    AddListSeeds(corpus, machine);
    AddOtherSeeds(corpus);
  } catch (const std::exception& error) {
    std::fprintf(stderr, "%s: %s\n", argv[0], error.what());
    fs::remove_all(machineRoot);
    return 1;
  }
  fs::remove_all(machineRoot);
  return 0;
}
