// The Qt 6 Widgets backend. Its header carries no Qt type, so start-up can
// choose it without including Qt.
#pragma once

#include <filesystem>
#include <memory>

#include "platform/ui/backend.h"

namespace w95::ui {

struct QtBackendOptions {
  // When set, every dialog is rendered to "<directory>/<template id>.png" as
  // soon as it is initialised, and a modal run then ends with -1 at once.
  std::filesystem::path snapshotDirectory;
};

std::unique_ptr<Backend> MakeQtBackend(QtBackendOptions options = {});

// How many times the backend has brought a page to the front for a second
// copy of the program.
int QtForegroundRaises();

}  // namespace w95::ui
