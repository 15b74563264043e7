// The two "please wait" notices, modeless: on screen from their creation
// until their owner releases the object.
#pragma once

#include <memory>

#include "platform/ui/modeless_dialog.h"

namespace dxl {

std::unique_ptr<w95::ui::ModelessDialog> CreateCheckingFilesDialog();
std::unique_ptr<w95::ui::ModelessDialog> CreateCheckingNetworkDialog();

}  // namespace dxl
