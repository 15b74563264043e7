// Start-up's choice of the user-interface backend (platform/ui/backend_choice.h).
#pragma once

#include <functional>
#include <memory>

#include "platform/ui/backend.h"

namespace dxl {

// Makes the Qt backend, or nullptr when it cannot be had (having said why on
// standard error).
using QtBackendMaker = std::function<std::unique_ptr<w95::ui::Backend>(bool unattended)>;

// The Qt backend of the module next to the program (dxlq7trs-qt.so), loaded
// on the first call; a console run never maps Qt.
std::unique_ptr<w95::ui::Backend> LoadQtBackend(bool unattended);

// Makes the backend that TSHOOTER_UI and the display choose the current one;
// the Qt backend comes from `makeQt` (a program that links Qt passes its own),
// and when it cannot be had the console is used. TSHOOTER_UNATTENDED=1: no
// user, every Qt page ends once drawn (the console's end at the end of input).
void InstallUiBackend(const QtBackendMaker& makeQt = LoadQtBackend);

}  // namespace dxl
