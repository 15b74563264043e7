// Helpers the backends without a window share: pressing a control as a user
// would, and ending a dialog that has no user left to answer it.
#pragma once

#include "platform/ui/dialog_state.h"

namespace w95::ui {

// A click on control `id`: nothing when it is missing (other than IDOK, which
// the dialog manager sends for Enter), disabled or not clickable; a check box
// changes its state first.
void PressControl(DialogState& state, DialogEvents& events, int id);

// End of input: the cancel request; when the dialog ignores it, its
// unattended command; when it is still up, the end with IDCANCEL (2), so that
// no run can wait forever.
void EndUnattended(DialogState& state, DialogEvents& events);

}  // namespace w95::ui
