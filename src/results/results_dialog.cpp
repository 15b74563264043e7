#include "results/results_dialog.h"

#include "app_state/troubleshooter_app.h"
#include "outcome/run_record.h"
#include "platform/files/files.h"
#include "platform/ui/common_dialogs.h"
#include "resources/dialog_templates.h"
#include "results/buffer_text.h"
#include "results/log_file.h"
#include "results/verdict.h"
#include "results/write_failed_dialog.h"

namespace dxl {

namespace {

constexpr std::size_t kLogPathBuffer = w95::kMaxPath;  // logPath holds at most 259 bytes
constexpr std::size_t kFileNameRead = 256;             // the Save-As buffer starts with at most 255
const std::string kFilter("*.*\0*.*\0", 8);

}  // namespace

ResultsDialog::ResultsDialog() : WizardPage(tmpl::kResultsDialog) {}

void ResultsDialog::OnInitDialog(w95::ui::DialogView& view) {
  const TroubleshooterApp& app = theApp();
  view.SetItemText(ctl::kVerdict, FormatVerdict(app.statusFlags, app.GetPortDescription()));
  view.SetItemText(ctl::kReport, ReadReportText(app.GetReportPath()));
  view.SetItemText(ctl::kLogFileName, ProposeLogFileName());
  view.CheckButton(ctl::kSaveResults, true);
}

void ResultsDialog::OnCommand(w95::ui::DialogView& view, int id) {
  switch (id) {
    case ctl::kOk: SaveResults(view); break;
    case ctl::kChangeFileName: ChooseLogFileName(view); break;
    case ctl::kSaveResults: OnSaveToggled(view); break;
    default: break;
  }
}

// The dialog can only be left with OK.
void ResultsDialog::OnCancel(w95::ui::DialogView&) {}

void ResultsDialog::OnHelp(w95::ui::DialogView&) {}

// A focused edit would otherwise show its whole text selected.
void ResultsDialog::OnEditFocus(w95::ui::DialogView& view, int id) {
  if (id != ctl::kReport) return;
  view.SetSel(ctl::kReport, 0, 0);
  view.ScrollCaret(ctl::kReport);
}

void ResultsDialog::ChooseLogFileName(w95::ui::DialogView& view) {
  std::string initialDir = LogDirectory();
  initialDir.pop_back();  // no trailing backslash
  w95::OpenFileNameA request;
  request.filter = kFilter;
  request.file = FitBuffer(view.GetItemText(ctl::kLogFileName), kFileNameRead);
  request.maxFile = w95::kMaxPath;
  request.initialDir = initialDir;
  request.flags = w95::OFN_OVERWRITEPROMPT | w95::OFN_HIDEREADONLY | w95::OFN_PATHMUSTEXIST;
  if (w95::GetSaveFileNameA(request)) view.SetItemText(ctl::kLogFileName, request.file);
}

void ResultsDialog::SaveResults(w95::ui::DialogView& view) {
  TroubleshooterApp& app = theApp();
  app.logPath = FitBuffer(view.GetItemText(ctl::kLogFileName), kLogPathBuffer);
  if (!view.IsButtonChecked(ctl::kSaveResults)) {
    TheRunRecord().logWriteFailed = false;  // no log wanted
    w95::DeleteFileA(app.reportPath);
    view.EndDialog(ResultDiscarded);
    return;
  }
  for (;;) {
    const bool saved = SaveReportAs(app.reportPath, app.logPath);
    TheRunRecord().logWriteFailed = !saved;
    if (saved) {
      view.EndDialog(ResultSaved);
      return;
    }
    PageEndCode answer = WriteFailedDialog();
    if (answer == WriteRetry) continue;
    if (answer == WriteBack) return;
    w95::DeleteFileA(app.reportPath);
    view.EndDialog(ResultDiscarded);
    return;
  }
}

void ResultsDialog::OnSaveToggled(w95::ui::DialogView& view) {
  bool save = view.IsButtonChecked(ctl::kSaveResults);
  view.EnableItem(ctl::kLogFileName, save);
  view.EnableItem(ctl::kChangeFileName, save);
}

}  // namespace dxl
