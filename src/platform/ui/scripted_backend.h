// The backend of tests: answers dialogs from a queue of scripted user actions
// and records what was shown. Everything below the dialogs stays real.
#pragma once

#include <deque>
#include <map>
#include <string>
#include <vector>

#include "platform/ui/backend.h"
#include "platform/ui/dialog_state.h"

namespace w95::ui {

struct ScriptedAction {
  enum class Kind { Press, Cancel, Help, Select, SaveAs, CancelSaveAs, FocusEdit };
  explicit ScriptedAction(Kind what, int control = 0, int entry = 0, std::string path = {})
      : kind(what), id(control), index(entry), text(std::move(path)) {}
  Kind kind;
  int id = 0;        // Press, Select, FocusEdit
  int index = 0;     // Select
  std::string text;  // SaveAs: the chosen Windows path
};

// One modal run or modeless notice, as the user saw it.
struct ShownDialog {
  int templateId = 0;
  bool modeless = false;
  // Control texts (code page 936) after the dialog's initialisation, by id,
  // and the state of its controls then.
  std::map<int, std::string> texts;
  std::map<int, bool> enabled;
  std::map<int, bool> checked;
  std::map<int, std::vector<std::string>> items;
  // The text of every control, in template order (labels included).
  std::vector<std::string> controlTexts;
  int endCode = 0;
  const char* const* windowIcon = nullptr;  // set by the dialog's initialisation (XPM)
  bool destroyed = false;                   // modeless: its object is gone
  bool ranOutOfScript = false;              // ended because the script had no more actions
};

class ScriptedBackend : public Backend {
 public:
  // Queueing user actions for the dialogs to come.
  ScriptedBackend& Press(int id);
  ScriptedBackend& Cancel();  // Esc or the close box
  ScriptedBackend& Help();    // F1
  ScriptedBackend& Select(int comboId, int index);
  ScriptedBackend& FocusEdit(int id);
  ScriptedBackend& SaveAs(std::string windowsPath);
  ScriptedBackend& CancelSaveAs();

  // What happened.
  const std::vector<ShownDialog>& Shown() const { return shown_; }
  const std::vector<HelpTopic>& HelpShown() const { return help_; }
  const std::vector<std::string>& Messages() const { return messages_; }
  const std::vector<SaveFileRequest>& SaveRequests() const { return saveRequests_; }
  size_t PendingActions() const { return actions_.size(); }

  int RunModal(const DialogTemplate& dialog, DialogEvents& events) override;
  std::unique_ptr<ModelessDialog> CreateModeless(const DialogTemplate& dialog) override;
  void ShowHelp(const HelpTopic& topic) override { help_.push_back(topic); }
  void MessageBox(std::string_view text, std::string_view, MessageIcon) override { messages_.emplace_back(text); }
  std::optional<std::string> GetSaveFileName(const SaveFileRequest& request) override;

 private:
  void Apply(const ScriptedAction& action, DialogState& state, DialogEvents& events);
  void Snapshot(const DialogState& state, ShownDialog& shown) const;

  std::deque<ScriptedAction> actions_;
  std::vector<ShownDialog> shown_;
  std::vector<HelpTopic> help_;
  std::vector<std::string> messages_;
  std::vector<SaveFileRequest> saveRequests_;
};

}  // namespace w95::ui
