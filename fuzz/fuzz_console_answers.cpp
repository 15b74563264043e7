// Answer lines of any bytes typed at the console backend, on any of the
// program's dialog templates with lists of any entries, then at its Save-As
// question. A run ends; only enabled buttons and check boxes of the page (or
// Enter's IDOK) send commands; a list changes only to one of its entries; the
// dialog ends with a command it was sent or with IDCANCEL; a Save-As answer is
// a full Windows path whose folder exists when it must.
#include <fuzzer/FuzzedDataProvider.h>

#include <set>
#include <sstream>

#include "fuzz_machine.h"
#include "fuzz_require.h"
#include "platform/files/files.h"
#include "platform/ui/console_backend.h"
#include "resources/dialog_templates.h"

using dxl::fuzz::Require;
using w95::ui::ControlKind;

namespace {

constexpr int kIdOk = 1;
constexpr int kIdCancel = 2;

class Events : public w95::ui::DialogEvents {
 public:
  Events(std::vector<std::string> entries, bool cancelEnds, int endEvery)
      : entries_(std::move(entries)), cancelEnds_(cancelEnds), endEvery_(endEvery) {}

  void OnInitDialog(w95::ui::DialogView& view) override {
    for (const auto& control : view.Template().controls) {
      if (control.kind != ControlKind::Combo) continue;
      for (const auto& entry : entries_) view.AddString(control.id, entry);
    }
  }
  void OnCommand(w95::ui::DialogView& view, int id) override {
    const auto* control = view.Template().Find(id);
    Require(control ? view.IsItemEnabled(id) &&
                          (control->kind == ControlKind::Button || control->kind == ControlKind::DefaultButton ||
                           control->kind == ControlKind::CheckBox)
                    : id == kIdOk,
            "a command comes from an enabled button of the page, or is Enter's IDOK");
    sent_.insert(id);
    if (++commands_ % endEvery_ == 0) view.EndDialog(id);
  }
  void OnCancel(w95::ui::DialogView& view) override {
    if (cancelEnds_) view.EndDialog(kIdCancel);
  }
  void OnSelChange(w95::ui::DialogView& view, int id) override {
    const auto* control = view.Template().Find(id);
    Require(control && control->kind == ControlKind::Combo, "a selection changes a list");
    const int selected = view.GetCurSel(id);
    Require(selected >= 0 && selected < view.GetCount(id), "a list selects one of its entries");
  }
  bool CancelActs() const override { return cancelEnds_; }

  const std::set<int>& Sent() const { return sent_; }

 private:
  std::vector<std::string> entries_;
  bool cancelEnds_;
  int endEvery_;
  int commands_ = 0;
  std::set<int> sent_;
};

void CheckSaveAnswer(std::string_view lines, bool mustExist) {
  std::istringstream in{std::string(lines)};
  std::ostringstream out;
  w95::ui::ConsoleBackend console(in, out);
  w95::ui::SaveFileRequest request;
  request.initialDirectory = "C:\\WINDOWS\\TEMP";
  request.fileName = "tshooter.log";
  request.pathMustExist = mustExist;
  request.overwritePrompt = true;
  const auto name = console.GetSaveFileName(request);
  if (!name) return;
  const bool full = name->starts_with("\\\\") || (name->size() >= 3 && (*name)[1] == ':' && (*name)[2] == '\\');
  Require(full, "a Save-As answer is a full Windows path");
  if (!mustExist || name->starts_with("\\\\")) return;
  const std::string folder = name->substr(0, name->find_last_of('\\'));
  if (folder.size() <= 3 && folder[1] == ':') return;  // the root of a drive ("C:" or "C:\"), which is no entry
  const w95::DWORD attributes = w95::GetFileAttributesA(folder);
  Require(attributes != 0xFFFFFFFFu && (attributes & w95::FILE_ATTRIBUTE_DIRECTORY), "the folder of the answer exists");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzedDataProvider input(data, size);
  const auto templates = dxl::AllDialogTemplates();
  const auto& dialog = *templates[input.ConsumeIntegralInRange<size_t>(0, templates.size() - 1)];
  std::vector<std::string> entries(input.ConsumeIntegralInRange(0, 4));
  for (auto& entry : entries) entry = input.ConsumeRandomLengthString(12);
  const bool cancelEnds = input.ConsumeBool();
  const int endEvery = input.ConsumeIntegralInRange(1, 4);
  const bool mustExist = input.ConsumeBool();
  const std::string save = input.ConsumeRandomLengthString(200);
  const std::string answers = input.ConsumeRemainingBytesAsString();
  dxl::fuzz::FuzzMachine::Get();

  std::istringstream in(answers);
  std::ostringstream out;
  w95::ui::ConsoleBackend console(in, out);
  Events events(std::move(entries), cancelEnds, endEvery);
  const int code = console.RunModal(dialog, events);
  Require(code == kIdCancel || events.Sent().contains(code), "a dialog ends with a command it was sent or IDCANCEL");
  CheckSaveAnswer(save, mustExist);
  return 0;
}
