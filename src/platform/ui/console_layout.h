// The text form of a dialog for the console: its controls in rows, top to
// bottom, each row left to right, every control that takes an answer with its
// key in brackets.
#pragma once

#include <string>
#include <vector>

#include "platform/ui/dialog_state.h"

namespace w95::ui {

class ConsoleLayout {
 public:
  // `escActs`, `f1Acts`: whether the answers esc and f1 are offered.
  explicit ConsoleLayout(const DialogState& state, bool escActs = true, bool f1Acts = true);
  std::string Render() const;

 private:
  std::string RenderControl(size_t index) const;
  std::string RenderLists() const;
  std::string Legend() const;

  const DialogState& state_;
  bool escActs_;
  bool f1Acts_;
  std::vector<std::vector<size_t>> rows_;  // template indexes
};

}  // namespace w95::ui
