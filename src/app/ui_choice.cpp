#include "app/ui_choice.h"

#include <iostream>

#include "platform/ui/backend.h"
#include "platform/ui/backend_choice.h"
#include "platform/ui/console_backend.h"
#ifdef DXL_HAVE_QT
#include "platform/ui/qt/qt_backend.h"
#endif

namespace dxl {

void InstallUiBackend() {
#ifdef DXL_HAVE_QT
  if (w95::ui::ChooseBackendKindFromEnvironment(true) == w95::ui::BackendKind::Qt) {
    w95::ui::SetBackend(w95::ui::MakeQtBackend());
    return;
  }
#endif
  w95::ui::SetBackend(std::make_unique<w95::ui::ConsoleBackend>(std::cin, std::cout));
}

}  // namespace dxl
