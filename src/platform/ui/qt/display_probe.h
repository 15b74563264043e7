// Whether the display Qt would open answers. Qt aborts the process when its
// platform plugin cannot connect, so start-up asks first and falls back to the
// console when it does not.
#pragma once

#include <string>

namespace w95::ui {

// Empty when the display answers (or a platform without a display, such as
// offscreen, is asked for); otherwise why not, in a few words.
std::string QtDisplayProblem();

}  // namespace w95::ui
