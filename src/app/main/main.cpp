#include <cstdio>
#include <filesystem>
#include <iostream>
#include <memory>
#include <string>
#include <string_view>
#include <system_error>

#include "app/answer_policy.h"
#include "app/exit_code.h"
#include "app/installation_check.h"
#include "app/machine_choice.h"
#include "app/ui_choice.h"
#include "app/undo_command.h"
#include "app_state/troubleshooter_app.h"
#include "platform/machine/disk_image_machine.h"
#include "platform/machine/exit_work.h"
#include "platform/machine/host_open.h"
#include "platform/machine/machine.h"
#include "platform/machine/mount_kind.h"

namespace {

constexpr const char* kUsage =
    "usage: dxlq7trs [--fresh-demo | --undo [--force]]\n"
    "  runs the wizard on the machine TSHOOTER_ROOT names, else on the demo machine\n"
    "  (TSHOOTER_ROOT: the directory of a C: drive, or a disk image file of a FAT drive)\n"
    "  --fresh-demo: start the demo machine afresh (its repairs are kept between runs)\n"
    "  --undo: put back the files the last run changed, when each is still as it left it\n"
    "  --force: with --undo, put them back even when some changed since\n";

// Writes the run's changes into the disk image; every one that did not land is
// said on standard error, and the run then ends as one whose changes could not
// all be written.
unsigned WriteImageBack(w95::DiskImageMachine& image, const std::filesystem::path& imagePath, unsigned exitCode) {
  const auto problems = image.WriteBack();
  for (const auto& problem : problems) std::fprintf(stderr, "dxlq7trs: %s: %s\n", imagePath.c_str(), problem.c_str());
  return problems.empty() ? exitCode : static_cast<unsigned>(dxl::exit_code::kWriteFailed);
}

}  // namespace

int main(int argc, char** argv) {
  w95::IgnoreFileSizeSignal();
  bool freshDemo = false;
  bool undo = false;
  bool force = false;
  for (int i = 1; i < argc; ++i) {
    std::string_view argument = argv[i];
    if (argument == "--help" || argument == "-h") {
      std::fputs(kUsage, stdout);
      return 0;
    }
    if (argument == "--undo" || argument == "--force") {
      (argument == "--undo" ? undo : force) = true;
      continue;
    }
    if (argument != "--fresh-demo") {
      std::fprintf(stderr, "dxlq7trs: unknown argument %s\n%s", argv[i], kUsage);
      return 2;
    }
    freshDemo = true;
  }
  if (force && !undo) {
    std::fprintf(stderr, "dxlq7trs: --force goes with --undo\n%s", kUsage);
    return 2;
  }
  if (freshDemo && !w95::RootFromEnvironment().empty()) {
    std::fprintf(stderr, "dxlq7trs: --fresh-demo starts the demo machine afresh; TSHOOTER_ROOT names another one\n");
    return 2;
  }
  const dxl::PolicyChoice answers = dxl::AnswerPolicyFromEnvironment();
  if (!answers.problem.empty()) {
    std::fprintf(stderr, "dxlq7trs: %s\n", answers.problem.c_str());
    return 2;
  }
  if (!answers.policy && !undo) dxl::StartLoadingQtBackend();
  auto root = dxl::ChooseMachineRoot(freshDemo && !undo);
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
  const int exitCode = undo ? dxl::UndoLastRun(force, std::cout, std::cerr) : dxl::theApp().InitInstance();
  return static_cast<int>(w95::RunExitWork(static_cast<unsigned>(exitCode)));
}
