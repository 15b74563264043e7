// The per-user runtime directory Qt asks for (XDG_RUNTIME_DIR). A session
// without one (a console login, a container, Xvfb) would have Qt warn on
// standard error at every run and fall back to /tmp/runtime-<user>.
#pragma once

namespace w95::ui::qt {

// Whether XDG_RUNTIME_DIR is set (not empty).
bool RuntimeDirectorySet();

// When XDG_RUNTIME_DIR is unset or empty, sets it to a directory of this user
// alone (mode 0700): /tmp/runtime-<uid> when it is one, else a new private
// one. A directory given by the session is left as it is. Call before the
// QApplication exists, while no other thread reads the environment.
void EnsureRuntimeDirectory();

}  // namespace w95::ui::qt
