#include "app/state/troubleshooter_app.h"

namespace dxl {

int TroubleshooterApp::WizardDriver() { return 0; }

}  // namespace dxl
