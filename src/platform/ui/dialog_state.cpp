#include "platform/ui/dialog_state.h"

#include <algorithm>

#include "platform/base/case_rules.h"
#include "platform/base/cp936.h"
#include "platform/base/text.h"

namespace w95::ui {

namespace {

bool LessNoCase(std::string_view a, std::string_view b) { return CompareNoCase(a, b) < 0; }

}  // namespace

size_t SortedInsertPosition(const std::vector<std::string>& items, std::string_view text) {
  auto at = std::upper_bound(items.begin(), items.end(), text,
                             [](std::string_view value, const std::string& item) { return LessNoCase(value, item); });
  return static_cast<size_t>(at - items.begin());
}

DialogState::DialogState(const DialogTemplate& dialog) : dialog_(dialog) {
  controls_.reserve(dialog.controls.size());
  for (const auto& control : dialog.controls) {
    ControlState state;
    state.text = Utf8ToCp936(control.text).value_or(std::string(control.text));
    state.enabled = (control.style & kDisabled) == 0;
    controls_.push_back(std::move(state));
  }
}

std::optional<size_t> DialogState::IndexOf(int id) const {
  if (id < 0) return std::nullopt;
  for (size_t i = 0; i < dialog_.controls.size(); ++i)
    if (dialog_.controls[i].id == id) return i;
  return std::nullopt;
}

ControlState* DialogState::Find(int id) {
  auto index = IndexOf(id);
  return index ? &controls_[*index] : nullptr;
}

const ControlState* DialogState::Find(int id) const {
  auto index = IndexOf(id);
  return index ? &controls_[*index] : nullptr;
}

void DialogState::SetItemText(int id, std::string_view text) {
  if (auto* control = Find(id)) control->text = text;
}

std::string DialogState::GetItemText(int id) const {
  const auto* control = Find(id);
  if (!control) return {};
  // A drop-down list's window text is its selected entry.
  if (dialog_.controls[*IndexOf(id)].kind == ControlKind::Combo)
    return control->selection == CB_ERR ? std::string() : control->items[static_cast<size_t>(control->selection)];
  return control->text;
}

void DialogState::EnableItem(int id, bool enable) {
  if (auto* control = Find(id)) control->enabled = enable;
}

bool DialogState::IsItemEnabled(int id) const {
  const auto* control = Find(id);
  return control && control->enabled;
}

void DialogState::CheckButton(int id, bool checked) {
  if (auto* control = Find(id)) control->checked = checked;
}

bool DialogState::IsButtonChecked(int id) const {
  const auto* control = Find(id);
  return control && control->checked;
}

void DialogState::ResetContent(int id) {
  if (auto* control = Find(id)) {
    control->items.clear();
    control->selection = CB_ERR;
  }
}

int DialogState::AddString(int id, std::string_view text) {
  auto index = IndexOf(id);
  if (!index) return CB_ERR;
  auto& control = controls_[*index];
  size_t at = control.items.size();
  if (dialog_.controls[*index].style & kSorted) at = SortedInsertPosition(control.items, text);
  control.items.insert(control.items.begin() + static_cast<std::ptrdiff_t>(at), std::string(text));
  if (control.selection != CB_ERR && static_cast<size_t>(control.selection) >= at) ++control.selection;
  return static_cast<int>(at);
}

int DialogState::SetCurSel(int id, int index) {
  auto* control = Find(id);
  if (!control) return CB_ERR;
  if (index < 0 || static_cast<size_t>(index) >= control->items.size()) {
    control->selection = CB_ERR;
    return CB_ERR;
  }
  control->selection = index;
  return index;
}

int DialogState::GetCurSel(int id) const {
  const auto* control = Find(id);
  return control ? control->selection : CB_ERR;
}

std::string DialogState::GetLBText(int id, int index) const {
  const auto* control = Find(id);
  if (!control || index < 0 || static_cast<size_t>(index) >= control->items.size()) return {};
  return control->items[static_cast<size_t>(index)];
}

int DialogState::GetCount(int id) const {
  const auto* control = Find(id);
  return control ? static_cast<int>(control->items.size()) : CB_ERR;
}

}  // namespace w95::ui
