#include "platform/ui/scripted_backend.h"

#include "platform/ui/unattended.h"

namespace w95::ui {

namespace {

class ScriptedNotice : public ModelessDialog {
 public:
  ScriptedNotice(int templateId, std::vector<ShownDialog>& shown, size_t slot)
      : ModelessDialog(templateId), shown_(shown), slot_(slot) {}
  ~ScriptedNotice() override { shown_[slot_].destroyed = true; }

 private:
  std::vector<ShownDialog>& shown_;
  size_t slot_;
};

}  // namespace

ScriptedBackend& ScriptedBackend::Press(int id) {
  actions_.emplace_back(ScriptedAction::Kind::Press, id);
  return *this;
}

ScriptedBackend& ScriptedBackend::Cancel() {
  actions_.emplace_back(ScriptedAction::Kind::Cancel);
  return *this;
}

ScriptedBackend& ScriptedBackend::Help() {
  actions_.emplace_back(ScriptedAction::Kind::Help);
  return *this;
}

ScriptedBackend& ScriptedBackend::Select(int comboId, int index) {
  actions_.emplace_back(ScriptedAction::Kind::Select, comboId, index);
  return *this;
}

ScriptedBackend& ScriptedBackend::FocusEdit(int id) {
  actions_.emplace_back(ScriptedAction::Kind::FocusEdit, id);
  return *this;
}

ScriptedBackend& ScriptedBackend::SaveAs(std::string windowsPath) {
  actions_.emplace_back(ScriptedAction::Kind::SaveAs, 0, 0, std::move(windowsPath));
  return *this;
}

ScriptedBackend& ScriptedBackend::CancelSaveAs() {
  actions_.emplace_back(ScriptedAction::Kind::CancelSaveAs);
  return *this;
}

void ScriptedBackend::Snapshot(const DialogState& state, ShownDialog& shown) const {
  shown.windowIcon = state.WindowIcon();
  const auto& controls = state.Template().controls;
  for (size_t i = 0; i < controls.size(); ++i) {
    const ControlState& control = state.At(i);
    shown.controlTexts.push_back(control.text);
    int id = controls[i].id;
    if (id < 0) continue;
    shown.texts[id] = state.GetItemText(id);
    shown.enabled[id] = control.enabled;
    shown.checked[id] = control.checked;
    if (controls[i].kind == ControlKind::Combo) shown.items[id] = control.items;
  }
}

void ScriptedBackend::Apply(const ScriptedAction& action, DialogState& state, DialogEvents& events) {
  switch (action.kind) {
    case ScriptedAction::Kind::Press: PressControl(state, events, action.id); break;
    case ScriptedAction::Kind::Cancel: events.OnCancel(state); break;
    case ScriptedAction::Kind::Help: events.OnHelp(state); break;
    case ScriptedAction::Kind::Select:
      if (state.IsItemEnabled(action.id) && state.SetCurSel(action.id, action.index) != CB_ERR)
        events.OnSelChange(state, action.id);
      break;
    case ScriptedAction::Kind::FocusEdit:
      if (state.IsItemEnabled(action.id)) events.OnEditFocus(state, action.id);
      break;
    case ScriptedAction::Kind::SaveAs:
    case ScriptedAction::Kind::CancelSaveAs: break;  // meant for a Save-As dialog that never came: dropped
  }
}

int ScriptedBackend::RunModal(const DialogTemplate& dialog, DialogEvents& events) {
  size_t slot = shown_.size();
  shown_.emplace_back().templateId = dialog.id;
  DialogState state(dialog);
  events.OnInitDialog(state);
  Snapshot(state, shown_[slot]);
  while (!state.Ended()) {
    if (actions_.empty()) {
      shown_[slot].ranOutOfScript = true;
      EndUnattended(state, events);
      break;
    }
    ScriptedAction action = std::move(actions_.front());
    actions_.pop_front();
    Apply(action, state, events);
  }
  shown_[slot].endCode = state.EndCode();
  return state.EndCode();
}

std::unique_ptr<ModelessDialog> ScriptedBackend::CreateModeless(const DialogTemplate& dialog) {
  size_t slot = shown_.size();
  shown_.emplace_back().templateId = dialog.id;
  shown_[slot].modeless = true;
  Snapshot(DialogState(dialog), shown_[slot]);
  return std::make_unique<ScriptedNotice>(dialog.id, shown_, slot);
}

std::optional<std::string> ScriptedBackend::GetSaveFileName(const SaveFileRequest& request) {
  saveRequests_.push_back(request);
  if (actions_.empty()) return std::nullopt;
  const ScriptedAction& front = actions_.front();
  if (front.kind != ScriptedAction::Kind::SaveAs && front.kind != ScriptedAction::Kind::CancelSaveAs)
    return std::nullopt;
  ScriptedAction action = std::move(actions_.front());
  actions_.pop_front();
  if (action.kind == ScriptedAction::Kind::CancelSaveAs) return std::nullopt;
  return action.text;
}

}  // namespace w95::ui
