// The write-failed dialog (143): the log file could not be written; the user
// retries, goes back to choose another name, or keeps nothing. It names the
// file of theApp().logPath.
#pragma once

#include "pages/page_end_code.h"

namespace dxl {

constexpr PageEndCode WriteRetry = 0;
constexpr PageEndCode WriteBack = 1;    // also the framework's OK command (Enter)
constexpr PageEndCode WriteCancel = 2;  // also Esc and the close box

// Shows the dialog modally; WriteRetry, WriteBack or WriteCancel.
PageEndCode WriteFailedDialog();

}  // namespace dxl
