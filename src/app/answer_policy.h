// Answer policies for runs without a user, chosen by TSHOOTER_ANSWERS:
// "check" walks every step and changes nothing (every fix declined, every
// informing page continued, the results not kept as a log); "fix" accepts
// every fix and walks to the end (the log kept, Windows not restarted).
// The policy answers each dialog as a user would, from the controls it
// offers, so the pages' own logic runs unchanged.
#pragma once

#include <optional>
#include <string>

#include "platform/ui/backend.h"
#include "platform/ui/dialog_state.h"

namespace dxl {

enum class AnswerPolicy { Check, Fix };

struct PolicyChoice {
  std::optional<AnswerPolicy> policy;  // nullopt: the pages have a user (or a console script)
  std::string problem;                 // a value that names no policy, said to the user
};

// TSHOOTER_ANSWERS: unset or empty, "check" or "fix".
PolicyChoice AnswerPolicyFromEnvironment();

// What an answering run could not do, for the exit code.
struct PolicyTrouble {
  std::string missingPort;    // TSHOOTER_PORT named no entry of the start page's list
  bool reportFailed = false;  // the report could not be written where TSHOOTER_REPORT names
};

class AnsweringBackend : public w95::ui::Backend {
 public:
  // `port`: the start page's entry to choose (its text begins with it, any
  // case; empty: the proposed one). `reportFile`: where the report goes as
  // UTF-8 (empty: standard output).
  AnsweringBackend(AnswerPolicy policy, std::string port, std::string reportFile, PolicyTrouble& trouble);

  int RunModal(const w95::ui::DialogTemplate& dialog, w95::ui::DialogEvents& events) override;
  std::unique_ptr<w95::ui::ModelessDialog> CreateModeless(const w95::ui::DialogTemplate& dialog) override;
  void ShowHelp(const w95::ui::HelpTopic&) override {}
  void MessageBox(std::string_view text, std::string_view caption, w95::ui::MessageIcon icon) override;
  std::optional<std::string> GetSaveFileName(const w95::ui::SaveFileRequest&) override { return std::nullopt; }

 private:
  void Answer(w95::ui::DialogState& state, w95::ui::DialogEvents& events);
  void ChoosePort(w95::ui::DialogState& state, w95::ui::DialogEvents& events);
  void PutReport(const std::string& cp936);

  AnswerPolicy policy_;
  std::string port_;
  std::string reportFile_;
  PolicyTrouble& trouble_;
};

}  // namespace dxl
