#include "platform/ui/unattended.h"

namespace w95::ui {

namespace {
constexpr int IDOK = 1;
constexpr int IDCANCEL = 2;
}  // namespace

void PressControl(DialogState& state, DialogEvents& events, int id) {
  auto index = state.IndexOf(id);
  if (!index) {
    if (id == IDOK) events.OnCommand(state, id);
    return;
  }
  const ControlTemplate& control = state.Template().controls[*index];
  ControlState& current = state.At(*index);
  if (!current.enabled) return;
  switch (control.kind) {
    case ControlKind::CheckBox: current.checked = !current.checked; [[fallthrough]];
    case ControlKind::Button:
    case ControlKind::DefaultButton: events.OnCommand(state, id); break;
    default: break;
  }
}

void EndUnattended(DialogState& state, DialogEvents& events) {
  if (!state.Ended()) events.OnCancel(state);
  int command = state.Template().unattendedCommand;
  if (!state.Ended() && command != 0) PressControl(state, events, command);
  if (!state.Ended()) state.EndDialog(IDCANCEL);
}

}  // namespace w95::ui
