// Start-up's choice of the user-interface backend (platform/ui/backend_choice.h).
#pragma once

namespace dxl {

// Makes the backend that TSHOOTER_UI and the display choose the current one.
void InstallUiBackend();

}  // namespace dxl
