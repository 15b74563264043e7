// The state of a dialog's controls kept in memory: texts, enabled and check
// states, drop-down lists. The view of the backends that draw no window of
// their own (console, scripted); texts are code page 936.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/ui/backend.h"

namespace w95::ui {

struct ControlState {
  std::string text;
  bool enabled = true;
  bool checked = false;
  std::vector<std::string> items;  // drop-down list entries
  int selection = CB_ERR;
};

class DialogState : public DialogView {
 public:
  explicit DialogState(const DialogTemplate& dialog);

  const DialogTemplate& Template() const override { return dialog_; }
  void SetItemText(int id, std::string_view text) override;
  std::string GetItemText(int id) const override;
  void EnableItem(int id, bool enable) override;
  bool IsItemEnabled(int id) const override;
  void CheckButton(int id, bool checked) override;
  bool IsButtonChecked(int id) const override;
  void ResetContent(int id) override;
  int AddString(int id, std::string_view text) override;
  int SetCurSel(int id, int index) override;
  int GetCurSel(int id) const override;
  std::string GetLBText(int id, int index) const override;
  int GetCount(int id) const override;
  void SetSel(int, int, int) override {}
  void SetWindowIcon(const char* const* xpm) override { windowIcon_ = xpm; }
  const char* const* WindowIcon() const { return windowIcon_; }
  void ScrollCaret(int) override {}
  void EndDialog(int code) override { endCode_ = code; }

  bool Ended() const { return endCode_.has_value(); }
  int EndCode() const { return endCode_.value_or(0); }
  // The state of the control of template index `index`.
  const ControlState& At(size_t index) const { return controls_[index]; }
  ControlState& At(size_t index) { return controls_[index]; }
  // The template index of the control `id`, or nullopt.
  std::optional<size_t> IndexOf(int id) const;

 private:
  ControlState* Find(int id);
  const ControlState* Find(int id) const;

  const DialogTemplate& dialog_;
  std::vector<ControlState> controls_;
  std::optional<int> endCode_;
  const char* const* windowIcon_ = nullptr;
};

// Where a sorted drop-down list puts `text`: before the first entry that is
// greater, comparing without regard to the case of ASCII letters.
size_t SortedInsertPosition(const std::vector<std::string>& items, std::string_view text);

}  // namespace w95::ui
