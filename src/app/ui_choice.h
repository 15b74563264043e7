// Start-up's choice of the user-interface backend (platform/ui/backend_choice.h).
#pragma once

#include <functional>
#include <memory>

#include "platform/ui/backend.h"

namespace dxl {

// Makes the Qt backend, or nullptr when it cannot be had (having said why on
// standard error).
using QtBackendMaker = std::function<std::unique_ptr<w95::ui::Backend>(bool unattended)>;

// When TSHOOTER_UI and the display choose Qt pages: starts asking the display
// and loading the Qt backend's module (dxlq7trs-qt.so, next to the program)
// in the background, so that Qt's libraries are mapped while the program
// checks its machine. A console run never maps Qt.
void StartLoadingQtBackend();

// The Qt backend of that module (loaded now when it was not started), or
// nullptr when its display does not answer or it cannot be loaded, said on
// standard error.
std::unique_ptr<w95::ui::Backend> LoadQtBackend(bool unattended);

// Makes the backend that TSHOOTER_UI and the display choose the current one;
// the Qt backend comes from `makeQt` (a program that links Qt passes its own),
// and when it cannot be had the console is used. TSHOOTER_UNATTENDED=1: no
// user, every Qt page ends once drawn (the console's end at the end of input).
void InstallUiBackend(const QtBackendMaker& makeQt = LoadQtBackend);

}  // namespace dxl
