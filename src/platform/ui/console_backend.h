// The console backend: a dialog is printed as text (caption, template id, its
// rows of controls, the keys that answer it) and answered by one line of
// standard input. The protocol is described in docs/console.md.
#pragma once

#include <iosfwd>

#include "platform/ui/backend.h"
#include "platform/ui/dialog_state.h"

namespace w95::ui {

class ConsoleBackend : public Backend {
 public:
  ConsoleBackend(std::istream& in, std::ostream& out) : in_(in), out_(out) {}

  int RunModal(const DialogTemplate& dialog, DialogEvents& events) override;
  std::unique_ptr<ModelessDialog> CreateModeless(const DialogTemplate& dialog) override;
  void ShowHelp(const HelpTopic& topic) override;
  void MessageBox(std::string_view text, std::string_view caption, MessageIcon icon) override;
  std::optional<std::string> GetSaveFileName(const SaveFileRequest& request) override;
  void PlatformNote(std::string_view text) override;

 private:
  bool ReadAnswer(std::string& line);
  // False when the answer was refused (a line saying why has been printed).
  bool Answer(const std::string& line, DialogState& state, DialogEvents& events);
  bool Refuse(std::string_view why);
  bool Choose(size_t index, std::string_view argument, DialogState& state, DialogEvents& events);

  std::istream& in_;
  std::ostream& out_;
};

// The page as the console prints it (UTF-8), without the prompt; esc and f1
// are offered when they act.
std::string RenderConsolePage(const DialogState& state, bool escActs = true, bool f1Acts = true);

// The key that answers control `index` of the template on the console: its
// accelerator letter (of the label before it, for lists and edits) in lower
// case, else "#" and its id; empty for controls that take no answer.
std::string ConsoleKey(const DialogTemplate& dialog, size_t index);

}  // namespace w95::ui
