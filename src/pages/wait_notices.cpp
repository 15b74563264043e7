#include "pages/wait_notices.h"

#include "platform/ui/backend.h"
#include "resources/dialog_templates.h"

namespace dxl {

std::unique_ptr<w95::ui::ModelessDialog> CreateCheckingFilesDialog() {
  return w95::ui::CurrentBackend().CreateModeless(*FindDialogTemplate(tmpl::kCheckingFilesDialog));
}

std::unique_ptr<w95::ui::ModelessDialog> CreateCheckingNetworkDialog() {
  return w95::ui::CurrentBackend().CreateModeless(*FindDialogTemplate(tmpl::kCheckingNetworkDialog));
}

}  // namespace dxl
