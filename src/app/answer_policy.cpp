#include "app/answer_policy.h"

#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <string_view>

#include "platform/base/case_rules.h"
#include "platform/base/cp936.h"
#include "platform/base/text.h"
#include "platform/machine/paths.h"
#include "platform/ui/dialog_state.h"
#include "platform/ui/unattended.h"
#include "resources/dialog_templates.h"

namespace dxl {

namespace {

using w95::ui::DialogEvents;
using w95::ui::DialogState;

// A page answered more often than this without ending is ended as at the end of input.
constexpr int kMaxAnswers = 4;

bool Offers(const DialogState& state, int id) { return state.IndexOf(id) && state.IsItemEnabled(id); }

std::string WithLineFeeds(std::string text) {
  std::string out;
  out.reserve(text.size());
  for (char c : text)
    if (c != '\r') out += c;
  if (!out.empty() && !out.ends_with('\n')) out += '\n';
  return out;
}

}  // namespace

PolicyChoice AnswerPolicyFromEnvironment() {
  const char* value = std::getenv("TSHOOTER_ANSWERS");
  if (!value || !*value) return {};
  std::string_view name = value;
  if (name == "check") return {AnswerPolicy::Check, {}};
  if (name == "fix") return {AnswerPolicy::Fix, {}};
  return {std::nullopt, "TSHOOTER_ANSWERS=" + std::string(name) + ": answer with \"check\" or \"fix\""};
}

AnsweringBackend::AnsweringBackend(AnswerPolicy policy, std::string port, std::string reportFile,
                                   PolicyTrouble& trouble)
    : policy_(policy), port_(std::move(port)), reportFile_(std::move(reportFile)), trouble_(trouble) {}

int AnsweringBackend::RunModal(const w95::ui::DialogTemplate& dialog, DialogEvents& events) {
  DialogState state(dialog);
  events.OnInitDialog(state);
  if (state.IndexOf(ctl::kReport)) PutReport(state.GetItemText(ctl::kReport));
  for (int round = 0; round < kMaxAnswers && !state.Ended(); ++round) Answer(state, events);
  if (!state.Ended()) w95::ui::EndUnattended(state, events);
  return state.EndCode();
}

// The answer from the controls the dialog offers, first match.
void AnsweringBackend::Answer(DialogState& state, DialogEvents& events) {
  using w95::ui::PressControl;
  if (Offers(state, ctl::kStartYes)) {
    ChoosePort(state, events);
    PressControl(state, events, trouble_.missingPort.empty() ? ctl::kStartYes : ctl::kStartNo);
  } else if (Offers(state, ctl::kYes) && Offers(state, ctl::kNo)) {
    PressControl(state, events, policy_ == AnswerPolicy::Fix ? ctl::kYes : ctl::kNo);
  } else if (state.IndexOf(ctl::kSaveResults)) {
    const bool keep = policy_ == AnswerPolicy::Fix;
    if (state.IsButtonChecked(ctl::kSaveResults) != keep) PressControl(state, events, ctl::kSaveResults);
    PressControl(state, events, ctl::kOk);
  } else if (Offers(state, ctl::kCancelWrite)) {
    PressControl(state, events, ctl::kCancelWrite);
  } else if (Offers(state, ctl::kContinue)) {
    PressControl(state, events, ctl::kContinue);
  } else if (Offers(state, ctl::kExit)) {
    PressControl(state, events, ctl::kExit);
  } else {
    w95::ui::EndUnattended(state, events);
  }
}

void AnsweringBackend::ChoosePort(DialogState& state, DialogEvents& events) {
  if (port_.empty()) return;
  const int count = state.GetCount(ctl::kPortList);
  for (int index = 0; index < count; ++index) {
    const std::string entry = state.GetLBText(ctl::kPortList, index);
    if (w95::StartsWithNoCase(entry, port_)) {
      if (state.SetCurSel(ctl::kPortList, index) != w95::ui::CB_ERR) events.OnSelChange(state, ctl::kPortList);
      return;
    }
  }
  trouble_.missingPort = port_;
}

void AnsweringBackend::PutReport(const std::string& cp936) {
  const std::string text = WithLineFeeds(w95::Cp936ToUtf8Lossy(cp936));
  if (reportFile_.empty()) {
    std::cout << text << std::flush;
    trouble_.reportFailed = trouble_.reportFailed || !std::cout;
    return;
  }
  std::error_code ec;
  const std::filesystem::path target = std::filesystem::absolute(reportFile_, ec);
  if (ec || w95::ReplaceHostFile(target, text) != w95::ERROR_SUCCESS) trouble_.reportFailed = true;
}

std::unique_ptr<w95::ui::ModelessDialog> AnsweringBackend::CreateModeless(const w95::ui::DialogTemplate& dialog) {
  return std::make_unique<w95::ui::ModelessDialog>(dialog.id);
}

void AnsweringBackend::MessageBox(std::string_view text, std::string_view caption, w95::ui::MessageIcon) {
  std::cerr << "[" << w95::Cp936ToUtf8Lossy(caption) << "] " << w95::Cp936ToUtf8Lossy(text) << '\n';
}

}  // namespace dxl
