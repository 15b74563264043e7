#include "platform/ui/console_layout.h"

#include <algorithm>

#include "platform/base/cp936.h"
#include "platform/ui/console_backend.h"

namespace w95::ui {

namespace {

// A label that only names the list or edit after it is shown with that control.
bool IsCaptionOfNext(const DialogTemplate& dialog, size_t index) {
  if (index + 1 >= dialog.controls.size() || dialog.controls[index].kind != ControlKind::Static) return false;
  ControlKind next = dialog.controls[index + 1].kind;
  return (next == ControlKind::Combo || next == ControlKind::Edit) && AcceleratorOf(dialog.controls[index].text);
}

std::string Indented(const std::string& text, const char* prefix) {
  std::string out = prefix;
  for (char c : text) {
    if (c == '\r') continue;
    out += c;
    if (c == '\n') out += prefix;
  }
  return out;
}

}  // namespace

ConsoleLayout::ConsoleLayout(const DialogState& state, bool escActs, bool f1Acts)
    : state_(state), escActs_(escActs), f1Acts_(f1Acts) {
  const auto& controls = state.Template().controls;
  std::vector<size_t> order(controls.size());
  for (size_t i = 0; i < order.size(); ++i) order[i] = i;
  std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) { return controls[a].y < controls[b].y; });
  int rowBottom = -1;
  for (size_t index : order) {
    const ControlTemplate& control = controls[index];
    if (IsCaptionOfNext(state.Template(), index)) continue;
    bool ownRow =
        control.kind == ControlKind::GroupBox || (control.kind == ControlKind::Edit && (control.style & kMultiLine));
    if (rows_.empty() || ownRow || control.y >= rowBottom) {
      rows_.push_back({index});
      // A drop-down list's height includes its list; on screen it is one row.
      int height = control.kind == ControlKind::Combo ? 12 : std::max(control.h, 9);
      rowBottom = ownRow ? control.y + 1 : control.y + height;
      continue;
    }
    rows_.back().push_back(index);
  }
  for (auto& row : rows_)
    std::stable_sort(row.begin(), row.end(), [&](size_t a, size_t b) { return controls[a].x < controls[b].x; });
}

std::string ConsoleLayout::RenderControl(size_t index) const {
  const DialogTemplate& dialog = state_.Template();
  const ControlTemplate& control = dialog.controls[index];
  const ControlState& current = state_.At(index);
  std::string text = WithoutAcceleratorMarks(Cp936ToUtf8Lossy(current.text));
  std::string key = ConsoleKey(dialog, index);
  std::string shown;
  switch (control.kind) {
    case ControlKind::Static: shown = text; break;
    case ControlKind::GroupBox: return "-- " + text + " --";
    case ControlKind::Button:
    case ControlKind::DefaultButton:
      shown = "[" + key + "] " + text + (control.kind == ControlKind::DefaultButton ? " (Enter)" : "");
      break;
    case ControlKind::CheckBox: shown = "[" + key + "] " + (current.checked ? "[x] " : "[ ] ") + text; break;
    case ControlKind::Combo:
    case ControlKind::Edit: {
      std::string caption;
      if (index > 0 && IsCaptionOfNext(dialog, index - 1))
        caption = WithoutAcceleratorMarks(Cp936ToUtf8Lossy(state_.At(index - 1).text)) + " ";
      std::string value = Cp936ToUtf8Lossy(state_.GetItemText(control.id));
      if (control.style & kMultiLine) return "[" + key + "] " + caption + "\n" + Indented(value, "  | ");
      shown = "[" + key + "] " + caption + value;
      break;
    }
  }
  if (!current.enabled && !shown.empty()) shown += " (disabled)";
  return shown;
}

std::string ConsoleLayout::RenderLists() const {
  std::string out;
  const auto& controls = state_.Template().controls;
  for (size_t i = 0; i < controls.size(); ++i) {
    if (controls[i].kind != ControlKind::Combo) continue;
    const ControlState& current = state_.At(i);
    for (size_t item = 0; item < current.items.size(); ++item) {
      bool selected = current.selection == static_cast<int>(item);
      out += "    " + ConsoleKey(state_.Template(), i) + " " + std::to_string(item + 1) + (selected ? " * " : "   ") +
             Cp936ToUtf8Lossy(current.items[item]) + "\n";
    }
  }
  return out;
}

std::string ConsoleLayout::Legend() const {
  const DialogTemplate& dialog = state_.Template();
  if (dialog.modeless) return {};
  std::string keys;
  for (size_t i = 0; i < dialog.controls.size(); ++i) {
    std::string key = ConsoleKey(dialog, i);
    if (key.empty() || !state_.At(i).enabled) continue;
    keys += key + (dialog.controls[i].kind == ControlKind::Combo ? " <n>" : "") + ", ";
  }
  if (escActs_) keys += "esc, ";
  if (f1Acts_) keys += "f1, ";
  if (!keys.empty()) keys.resize(keys.size() - 2);
  return "Answer: " + keys + "\n";
}

std::string ConsoleLayout::Render() const {
  const DialogTemplate& dialog = state_.Template();
  std::string out = "\n=== " + std::string(dialog.caption) + " [" + std::to_string(dialog.id) + "] ===\n";
  for (const auto& row : rows_) {
    std::string line;
    for (size_t index : row) {
      std::string part = RenderControl(index);
      if (part.empty()) continue;
      line += (line.empty() ? "" : "  ") + part;
    }
    if (!line.empty()) out += line + "\n";
  }
  return out + RenderLists() + Legend();
}

}  // namespace w95::ui
