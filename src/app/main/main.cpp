#include <cstdio>

#include "app/machine_choice.h"
#include "app/state/troubleshooter_app.h"
#include "platform/machine/host_open.h"
#include "platform/machine/machine.h"

int main() {
  w95::IgnoreFileSizeSignal();
  auto root = dxl::ChooseMachineRoot();
  if (root.empty()) {
    std::fprintf(stderr, "dxlq7trs: no machine: set TSHOOTER_ROOT to the directory of a Windows 95 installation\n");
    return 2;
  }
  w95::Machine::Use(root);
  return dxl::theApp().InitInstance();
}
