#include "results/write_failed_dialog.h"

#include "wizard/pages/standard_page.h"

namespace dxl {

namespace {
constexpr int kTemplate = 143;
}  // namespace

PageEndCode WriteFailedDialog() { return ShowPage(kTemplate); }

}  // namespace dxl
