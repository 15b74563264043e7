// Which user-interface backend the program uses: TSHOOTER_UI "qt" or
// "console"; unset or anything else: qt when a display is available
// (DISPLAY, WAYLAND_DISPLAY or QT_QPA_PLATFORM set), else console. Qt is
// never chosen in a program built without it.
#pragma once

namespace w95::ui {

enum class BackendKind { Qt, Console };

BackendKind ChooseBackendKind(const char* tshooterUi, bool displayAvailable, bool haveQt);
BackendKind ChooseBackendKindFromEnvironment(bool haveQt);

}  // namespace w95::ui
