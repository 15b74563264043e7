#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <system_error>

#include "app/installation_check.h"
#include "app/machine_choice.h"
#include "app/state/troubleshooter_app.h"
#include "app/ui_choice.h"
#include "platform/machine/disk_image_machine.h"
#include "platform/machine/exit_work.h"
#include "platform/machine/host_open.h"
#include "platform/machine/machine.h"
#include "platform/machine/mount_kind.h"
#include "platform/system/system.h"

namespace {

constexpr const char* kUsage =
    "usage: dxlq7trs [--fresh-demo]\n"
    "  runs the wizard on the machine TSHOOTER_ROOT names, else on the demo machine\n"
    "  (TSHOOTER_ROOT: the directory of a C: drive, or a disk image file of a FAT drive)\n"
    "  --fresh-demo: start the demo machine afresh (its repairs are kept between runs)\n";
constexpr unsigned kImageNotWrittenExitCode = 3;

// Writes the run's changes into the disk image; every one that did not land is
// said on standard error, and the run then ends with exit code 3.
unsigned WriteImageBack(w95::DiskImageMachine& image, const std::filesystem::path& imagePath, unsigned exitCode) {
  const auto problems = image.WriteBack();
  for (const auto& problem : problems) std::fprintf(stderr, "dxlq7trs: %s: %s\n", imagePath.c_str(), problem.c_str());
  return problems.empty() ? exitCode : kImageNotWrittenExitCode;
}

}  // namespace

int main(int argc, char** argv) {
  w95::IgnoreFileSizeSignal();
  bool freshDemo = false;
  for (int i = 1; i < argc; ++i) {
    std::string_view argument = argv[i];
    if (argument == "--help" || argument == "-h") {
      std::fputs(kUsage, stdout);
      return 0;
    }
    if (argument != "--fresh-demo") {
      std::fprintf(stderr, "dxlq7trs: unknown argument %s\n%s", argv[i], kUsage);
      return 2;
    }
    freshDemo = true;
  }
  if (freshDemo && !w95::RootFromEnvironment().empty()) {
    std::fprintf(stderr, "dxlq7trs: --fresh-demo starts the demo machine afresh; TSHOOTER_ROOT names another one\n");
    return 2;
  }
  dxl::StartLoadingQtBackend();
  auto root = dxl::ChooseMachineRoot(freshDemo);
  if (root.empty()) {
    std::fprintf(stderr, "dxlq7trs: no machine: set TSHOOTER_ROOT to the directory of a Windows 95 installation\n");
    return 2;
  }
  // An image file of a FAT drive: the run works on a staging copy of its
  // files, and what it changed goes back into the image as the process ends.
  static std::unique_ptr<w95::DiskImageMachine> image;
  if (std::error_code ec; std::filesystem::is_regular_file(root, ec)) {
    std::string problem;
    image = w95::DiskImageMachine::Open(root, problem);
    if (!image) {
      std::fprintf(stderr,
                   "dxlq7trs: TSHOOTER_ROOT=%s names a file, not a directory; as a disk image it cannot be used: %s\n",
                   root.c_str(), problem.c_str());
      return 2;
    }
    w95::SetExitWork([imagePath = root](unsigned exitCode) { return WriteImageBack(*image, imagePath, exitCode); });
    root = image->Root();
  }
  if (auto problem = dxl::InstallationProblem(root)) {
    std::fprintf(stderr, "dxlq7trs: %s\n", problem->c_str());
    return 2;
  }
  if (auto warning = w95::FileSystemWarning(root); !warning.empty())
    std::fprintf(stderr, "dxlq7trs: %s\n", warning.c_str());
  w95::Machine::Use(root);
  const int exitCode = dxl::theApp().InitInstance();
  // What the run writes is written, synced and closed by now; what is left
  // is memory and descriptors, which the end of the process frees at once
  // (Qt's and the machine's objects freed one by one took milliseconds).
  w95::ExitProcess(static_cast<w95::UINT>(exitCode));
}
