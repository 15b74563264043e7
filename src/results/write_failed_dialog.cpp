#include "results/write_failed_dialog.h"

#include "pages/standard_page.h"
#include "resources/dialog_templates.h"

namespace dxl {

namespace {}  // namespace

PageEndCode WriteFailedDialog() { return ShowPage(tmpl::kWriteFailedDialog); }

}  // namespace dxl
