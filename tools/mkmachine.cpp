// dxlq7-mkmachine [--demo] [--binary-registry | --used-hives | --used-hives-98] DIR:
// writes a Windows 95 installation with the printing system set up into DIR,
// to try the wizard on (TSHOOTER_ROOT=DIR). With --demo the installation has
// the problems of the demo machine; the --used-hives options lay SYSTEM.DAT
// and USER.DAT out as after years of use.
#include <cstdio>
#include <exception>
#include <string_view>

#include "machine_builder/demo_machine.h"
#include "machine_builder/machine_builder.h"

namespace {

struct Options {
  bool demo = false;
  bool binary = false;
  int used = 0;  // 95 or 98: hives laid out as after years of use, free records in that Windows' style
  const char* directory = nullptr;
};

// One row per option: its name, its line of the usage, what it sets.
struct OptionRow {
  std::string_view name;
  const char* help;
  void (*apply)(Options&);
};

constexpr OptionRow kOptions[] = {
    {"--demo", "with the few problems of the demo machine", [](Options& o) { o.demo = true; }},
    {"--binary-registry", "registry in SYSTEM.DAT and USER.DAT, as a real installation",
     [](Options& o) { o.binary = true; }},
    {"--used-hives", "binary registry laid out as after years of use (Windows 95 free records)",
     [](Options& o) {
       o.binary = true;
       o.used = 95;
     }},
    {"--used-hives-98", "the same with free records among the entries, as Windows 98 leaves them",
     [](Options& o) {
       o.binary = true;
       o.used = 98;
     }},
};

void PrintUsage(std::FILE* to, const char* program) {
  std::fprintf(to, "usage: %s [--help]", program);
  for (const auto& option : kOptions)
    std::fprintf(to, " [%.*s]", static_cast<int>(option.name.size()), option.name.data());
  std::fprintf(to, " DIR\n  writes a Windows 95 machine with the printing system into DIR\n");
  std::fprintf(to, "  --help: this text\n");
  for (const auto& option : kOptions)
    std::fprintf(to, "  %.*s: %s\n", static_cast<int>(option.name.size()), option.name.data(), option.help);
}

// 0 when the arguments name a directory; otherwise the exit code (0 after --help).
int Parse(int argc, char** argv, Options& options) {
  bool ok = true;
  for (int i = 1; i < argc; ++i) {
    std::string_view argument = argv[i];
    if (argument == "--help" || argument == "-h") {
      PrintUsage(stdout, argv[0]);
      return -1;
    }
    if (argument == "--") {
      ok = ok && i + 2 == argc && !options.directory;
      if (i + 1 < argc) options.directory = argv[i + 1];
      break;
    }
    if (argument.starts_with("-")) {
      const OptionRow* row = nullptr;
      for (const auto& option : kOptions)
        if (option.name == argument) row = &option;
      if (row) row->apply(options);
      if (!row) std::fprintf(stderr, "%s: unknown option %s\n", argv[0], argv[i]);
      ok = ok && row;
      continue;
    }
    ok = ok && !options.directory;
    options.directory = argv[i];
  }
  if (ok && options.directory) return 0;
  PrintUsage(stderr, argv[0]);
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  Options options;
  if (int code = Parse(argc, argv, options)) return code < 0 ? 0 : code;
  try {
    dxl::tools::MachineBuilder builder(options.directory);
    if (options.binary) builder.UseBinaryRegistry();
    builder.InstallPrintingSystem();
    if (options.demo) dxl::tools::AddDemoProblems(builder);
    if (options.used) builder.UseUsedHives({.seed = 1, .win98 = options.used == 98, .installationKeys = 5000});
  } catch (const std::exception& error) {
    std::fprintf(stderr, "%s: %s\n", argv[0], error.what());
    return 1;
  }
  return 0;
}
