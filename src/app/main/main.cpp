#include <cstdio>
#include <iostream>
#include <string_view>

#include "app/answer_policy.h"
#include "app/installation_check.h"
#include "app/machine_choice.h"
#include "app/state/troubleshooter_app.h"
#include "app/ui_choice.h"
#include "app/undo_command.h"
#include "platform/machine/host_open.h"
#include "platform/machine/machine.h"

namespace {

constexpr const char* kUsage =
    "usage: dxlq7trs [--fresh-demo | --undo [--force]]\n"
    "  runs the wizard on the machine TSHOOTER_ROOT names, else on the demo machine\n"
    "  --fresh-demo: start the demo machine afresh (its repairs are kept between runs)\n"
    "  --undo: put back the files the last run changed, when each is still as it left it\n"
    "  --force: with --undo, put them back even when some changed since\n";

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
  if (auto problem = dxl::InstallationProblem(root)) {
    std::fprintf(stderr, "dxlq7trs: %s\n", problem->c_str());
    return 2;
  }
  w95::Machine::Use(root);
  if (undo) return dxl::UndoLastRun(force, std::cout, std::cerr);
  return dxl::theApp().InitInstance();
}
