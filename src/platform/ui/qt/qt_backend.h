// The Qt 6 Widgets backend. Its header carries no Qt type, so start-up can
// choose it without including Qt.
#pragma once

#include <filesystem>
#include <functional>
#include <memory>

#include "platform/ui/backend.h"

namespace w95::ui {

struct QtBackendOptions {
  // When set, every dialog is rendered to "<directory>/<template id>.png" as
  // soon as it is initialised, and a modal run then ends with -1 at once.
  std::filesystem::path snapshotDirectory;
  // No user: every modal page, once shown and drawn, ends as a console page
  // ends at the end of its input (platform/ui/unattended.h), so a run ends at
  // its first page.
  bool unattended = false;
  // Called once the application object exists, before the first font is
  // looked up (start-up reads the font configuration meanwhile).
  std::function<void()> beforeFirstFont;
};

std::unique_ptr<Backend> MakeQtBackend(QtBackendOptions options = {});

// The program loads the backend as the module kQtModuleFileName (next to it)
// and makes it through its entry point, extern "C" kMakeQtBackendSymbol: a
// backend the caller owns.
using MakeQtBackendFunction = Backend* (*)(const QtBackendOptions* options);
inline constexpr const char* kQtModuleFileName = "dxlq7trs-qt.so";
inline constexpr const char* kMakeQtBackendSymbol = "dxlq7trs_qt_make_backend";

// How many times the backend has brought a page to the front for a second
// copy of the program.
int QtForegroundRaises();

}  // namespace w95::ui
