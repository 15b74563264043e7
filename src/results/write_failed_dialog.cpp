#include "results/write_failed_dialog.h"

#include "resources/dialog_templates.h"
#include "wizard/pages/standard_page.h"

namespace dxl {

namespace {}  // namespace

PageEndCode WriteFailedDialog() { return ShowPage(tmpl::kWriteFailedDialog); }

}  // namespace dxl
