#include "app/ui_choice.h"

#include <cstdlib>
#include <iostream>
#include <string_view>

#include "platform/base/backend_module.h"
#include "platform/ui/backend_choice.h"
#include "platform/ui/console_backend.h"
#ifdef DXL_HAVE_QT
#include "platform/ui/qt/display_probe.h"
#include "platform/ui/qt/qt_backend.h"
#endif

namespace dxl {

namespace {

#ifdef DXL_HAVE_QT
void SayConsoleInstead(const std::string& problem) {
  std::cerr << "dxlq7trs: " << problem << "; the pages are shown on the console instead.\n";
}

// Qt aborts the process when its display does not answer (a DISPLAY left over
// from an ssh session, say); the console is used instead, and said so.
bool QtCanStart() {
  std::string problem = w95::ui::QtDisplayProblem();
  if (problem.empty()) return true;
  SayConsoleInstead(problem);
  return false;
}

bool Unattended() {
  const char* value = std::getenv("TSHOOTER_UNATTENDED");
  return value && std::string_view(value) == "1";
}
#endif

}  // namespace

std::unique_ptr<w95::ui::Backend> LoadQtBackend(bool unattended) {
#ifdef DXL_HAVE_QT
  static w95::BackendModule module = w95::BackendModule::Open(w95::ui::kQtModuleFileName);
  auto make = reinterpret_cast<w95::ui::MakeQtBackendFunction>(module.Symbol(w95::ui::kMakeQtBackendSymbol));
  if (!make) {
    SayConsoleInstead("the Qt backend cannot be loaded (" + module.Error() + ")");
    return nullptr;
  }
  w95::ui::QtBackendOptions options;
  options.unattended = unattended;
  return std::unique_ptr<w95::ui::Backend>(make(&options));
#else
  (void)unattended;
  return nullptr;
#endif
}

void InstallUiBackend(const QtBackendMaker& makeQt) {
#ifdef DXL_HAVE_QT
  if (w95::ui::ChooseBackendKindFromEnvironment(true) == w95::ui::BackendKind::Qt && QtCanStart()) {
    if (auto backend = makeQt(Unattended())) {
      w95::ui::SetBackend(std::move(backend));
      return;
    }
  }
#else
  (void)makeQt;
#endif
  w95::ui::SetBackend(std::make_unique<w95::ui::ConsoleBackend>(std::cin, std::cout));
}

}  // namespace dxl
