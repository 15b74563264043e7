#include <cstdio>

#include "app/installation_check.h"
#include "app/machine_choice.h"
#include "app/state/troubleshooter_app.h"
#include "platform/machine/machine.h"

int main() {
  auto root = dxl::ChooseMachineRoot();
  if (root.empty()) {
    std::fprintf(stderr, "dxlq7trs: no machine: set TSHOOTER_ROOT to the directory of a Windows 95 installation\n");
    return 2;
  }
  if (auto problem = dxl::InstallationProblem(root)) {
    std::fprintf(stderr, "dxlq7trs: %s\n", problem->c_str());
    return 2;
  }
  w95::Machine::Use(root);
  return dxl::theApp().InitInstance();
}
