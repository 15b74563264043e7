#include "app/ui_choice.h"

#include <iostream>

#include "platform/ui/backend.h"
#include "platform/ui/backend_choice.h"
#include "platform/ui/console_backend.h"
#ifdef DXL_HAVE_QT
#include "platform/ui/qt/display_probe.h"
#include "platform/ui/qt/qt_backend.h"
#endif

namespace dxl {

namespace {

#ifdef DXL_HAVE_QT
// Qt aborts the process when its display does not answer (a DISPLAY left over
// from an ssh session, say); the console is used instead, and said so.
bool QtCanStart() {
  std::string problem = w95::ui::QtDisplayProblem();
  if (problem.empty()) return true;
  std::cerr << "dxlq7trs: " << problem << "; the pages are shown on the console instead.\n";
  return false;
}
#endif

}  // namespace

void InstallUiBackend() {
#ifdef DXL_HAVE_QT
  if (w95::ui::ChooseBackendKindFromEnvironment(true) == w95::ui::BackendKind::Qt && QtCanStart()) {
    w95::ui::SetBackend(w95::ui::MakeQtBackend());
    return;
  }
#endif
  w95::ui::SetBackend(std::make_unique<w95::ui::ConsoleBackend>(std::cin, std::cout));
}

}  // namespace dxl
