// fuzz_seeds DIR: writes a seed corpus for each harness into DIR/<harness>/,
// made of the files of a demo machine built by the machine builder.
#include <unistd.h>

#include <cstdio>
#include <exception>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "machine_builder/binary_hives.h"
#include "machine_builder/demo_machine.h"
#include "machine_builder/executables.h"
#include "machine_builder/help_file.h"
#include "machine_builder/machine_builder.h"
#include "machine_builder/used_hive.h"

namespace fs = std::filesystem;
using dxl::tools::MachineBuilder;

namespace {

// The strings a harness takes before its file, each ended as the fuzz data
// provider expects ("\" and any other character; "\\" is a backslash).
std::string Names(std::initializer_list<std::string_view> names) {
  std::string out;
  for (std::string_view name : names) {
    for (char c : name) out.append(c == '\\' ? 2 : 1, c);  // a backslash stands doubled
    out.append("\\x");
  }
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
  corpus.Add("fuzz_version", Names({"\\"}) + dxl::tools::VersionBlock16("1.2.3.4", "sixteen") + std::string(1, '\0'));
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
  corpus.Add("fuzz_help", help + std::string("\x00\x00\x27\x10", 4));
  // A help compiler's file, with phrase compression.
  std::ifstream sample(DXL_HELP_SAMPLE, std::ios::binary);
  std::stringstream sampleBytes;
  sampleBytes << sample.rdbuf();
  corpus.Add("fuzz_help", sampleBytes.str() + std::string("\x00\x00\x00\x64", 4));
  for (std::string_view path : {"C:\\WINDOWS\\SYSTEM.INI", "\\\\SERVER\\DXL\\X.TXT", "LPT1:", "c:/windows/../x",
                                "C:\\TRAP\\WITNESS.TXT", "system\\..\\..\\x", "C:\\WINDOWS\\SYSTEM\\ "})
    corpus.Add("fuzz_paths", path);
  corpus.Add("fuzz_wininit",
             "[Rename]\r\nNUL=C:\\SCRATCH\\A.TXT\r\nC:\\SCRATCH\\B.BAK=C:\\SCRATCH\\B.TXT\r\n"
             "C:\\SCRATCH\\SUB\\D.TXT=C:\\SCRATCH\\SUB\\C.TXT\r\nNUL=C:\\TRAP\\WITNESS.TXT\r\n");
}

void AddCheckSeeds(Corpus& corpus, const MachineBuilder& machine) {
  const std::string systemIni = machine.Read("C:\\WINDOWS\\SYSTEM.INI");
  corpus.Add("fuzz_system_ini_devices", systemIni + "\x01\x02\x07");
  corpus.Add("fuzz_system_ini_devices", systemIni + std::string("\x00\x01\x00", 3));
  corpus.Add("fuzz_system_ini_devices", dxl::tools::StandardSystemIni() + std::string("\x00\x02\x00", 3));
  corpus.Add("fuzz_setup_sections", machine.Read("C:\\WINDOWS\\SYSTEM\\DXLQ7SET.INF"));
  for (const std::string& winIni : {machine.Read("C:\\WINDOWS\\WIN.INI"), dxl::tools::StandardWinIni()}) {
    corpus.Add("fuzz_win_ini_load", winIni + "\x01");
    corpus.Add("fuzz_win_ini_load", winIni + std::string(1, '\0'));
  }
  const std::string systemReg = machine.Read("C:\\WINDOWS\\SYSTEM.REG");
  corpus.Add("fuzz_registry_entries", systemReg + std::string("\x00\x00", 2));
  corpus.Add("fuzz_printer_discovery", systemReg + "\x40\x01");
  corpus.Add("fuzz_printer_discovery", systemReg + "\x0a\x02");
}

void AddPlatformSeeds(Corpus& corpus, const MachineBuilder& machine) {
  std::string systemIni = machine.Read("C:\\WINDOWS\\SYSTEM.INI");
  corpus.Add("fuzz_port_mode", Names({"LPT1:", "120", "16384"}) + systemIni);
  const std::size_t enh = systemIni.find("[386Enh]\r\n");
  if (enh != std::string::npos) systemIni.insert(enh + 10, "LPT1CECP=2\r\nLPT1CIRQ=7\r\nLPT1CDMA=3\r\n");
  corpus.Add("fuzz_port_mode", Names({"LPT1:", "120", "16384"}) + systemIni);
  const std::string machineIni = machine.Read("C:\\MACHINE.INI");
  corpus.Add("fuzz_machine_ini", machineIni);
  corpus.Add("fuzz_machine_ini", machineIni +
                                     "\r\n[Clock]\r\nBias=-480\r\nNow=1998/02/28 23:59:59\r\n[System]\r\n"
                                     "FreeDiskMB=512\r\nTotalDiskMB=100\r\nDiskReady=1\r\n"
                                     "[Connections]\r\nLPT3:=\\\\PRINTSRV\\LASER\r\n");
  const std::string userReg = machine.Read("C:\\WINDOWS\\USER.REG");
  const std::string persistent =
      "\r\n[HKEY_CURRENT_USER\\Network\\Persistent\\lpt1:]\r\n"
      "\"RemotePath\"=\"\\\\\\\\PRINTSRV\\\\KRT310\"\r\n";
  corpus.Add("fuzz_persistent_connections", Names({"PRINTSRV\\LASER"}) + userReg + std::string("\x01\x00", 2));
  corpus.Add("fuzz_persistent_connections", Names({"PRINTSRV\\LASER"}) + userReg + persistent + std::string(2, '\0'));
  corpus.Add("fuzz_console_answers", Names({"LPT1:", "LPT2:", "C:\\WINDOWS\\TEMP\\x.log"}) + "p 2\ny\n#1\nesc\n\n" +
                                         std::string("\x01\x00\x01\x02\x00", 5));
  corpus.Add("fuzz_console_answers",
             Names({"LPT1:", "C:\\NOWHERE\\x.log"}) + "f1\nx\n#1011\n" + std::string("\x01\x01\x00\x01\x05", 5));
}

// The binary writer: changes of the machine's own SYSTEM.DAT, and changes of a
// file of any bytes made from it (the back half of the input).
void AddBinaryHiveSeeds(Corpus& corpus, const fs::path& root) {
  MachineBuilder binary(root);
  binary.InstallPrintingSystem();
  binary.UseBinaryRegistry();
  const std::string hive = binary.Read("C:\\WINDOWS\\SYSTEM.DAT");
  std::string changes;
  for (std::size_t i = 0; i < hive.size(); ++i) changes += static_cast<char>("DXLQ7\x01\x05\x20"[i % 8]);
  // The last byte chooses the hive: the machine's own, long-used in Windows 95's or 98's style, any bytes.
  for (char kind : {'\x00', '\x01', '\x02'}) corpus.Add("fuzz_creg_write", changes.substr(0, 512) + '\x03' + kind);
  corpus.Add("fuzz_creg_write", changes + hive + "\x04\x03");
  // The check: the machine's hives, and small hives laid out as after years of use.
  corpus.Add("fuzz_creg_check", "\x03" + hive);
  corpus.Add("fuzz_creg_check", "\x01" + binary.Read("C:\\WINDOWS\\USER.DAT"));
  const w95::RegHive tree = dxl::tools::ReadBinaryHive(binary, false);
  for (bool win98 : {false, true}) {
    const std::string used = dxl::tools::UsedCregHive(tree.Root(), {.seed = 1, .win98 = win98});
    corpus.Add("fuzz_creg_check", std::string(1, '\0') + used);
    corpus.Add("fuzz_creg_read", std::string(1, '\0') + used);
  }
  // The reader: the machine's hives.
  corpus.Add("fuzz_creg_read", std::string(1, '\0') + hive);
  corpus.Add("fuzz_creg_read", "\x03" + binary.Read("C:\\WINDOWS\\USER.DAT"));
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
    AddCheckSeeds(corpus, machine);
    AddPlatformSeeds(corpus, machine);
    AddBinaryHiveSeeds(corpus, machineRoot / "binary");
  } catch (const std::exception& error) {
    std::fprintf(stderr, "%s: %s\n", argv[0], error.what());
    fs::remove_all(machineRoot);
    return 1;
  }
  fs::remove_all(machineRoot);
  return 0;
}
