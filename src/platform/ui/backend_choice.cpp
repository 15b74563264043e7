#include "platform/ui/backend_choice.h"

#include <cstdlib>
#include <string_view>

namespace w95::ui {

namespace {

bool Set(const char* name) {
  const char* value = std::getenv(name);
  return value && *value;
}

}  // namespace

BackendKind ChooseBackendKind(const char* tshooterUi, bool displayAvailable, bool haveQt) {
  std::string_view wanted = tshooterUi ? tshooterUi : "";
  if (wanted == "console" || !haveQt) return BackendKind::Console;
  if (wanted == "qt") return BackendKind::Qt;
  return displayAvailable ? BackendKind::Qt : BackendKind::Console;
}

BackendKind ChooseBackendKindFromEnvironment(bool haveQt) {
  bool display = Set("DISPLAY") || Set("WAYLAND_DISPLAY") || Set("QT_QPA_PLATFORM");
  return ChooseBackendKind(std::getenv("TSHOOTER_UI"), display, haveQt);
}

}  // namespace w95::ui
