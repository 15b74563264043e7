// The results dialog (142): the verdict, the report, and the report kept as a
// dated log file or discarded.
#pragma once

#include "pages/wizard_page.h"

namespace dxl {

constexpr int ResultSaved = 26;      // the report was moved to logPath
constexpr int ResultDiscarded = 23;  // the report was deleted; no log file written

class ResultsDialog : public WizardPage {
 public:
  ResultsDialog();

 protected:
  void OnInitDialog(w95::ui::DialogView& view) override;
  void OnCommand(w95::ui::DialogView& view, int id) override;
  void OnCancel(w95::ui::DialogView& view) override;
  void OnHelp(w95::ui::DialogView& view) override;
  bool CancelActs() const override { return false; }
  bool HelpActs() const override { return false; }
  void OnEditFocus(w95::ui::DialogView& view, int id) override;

 private:
  // Button 1011: the Save-As dialog; a confirmed name replaces the log name.
  void ChooseLogFileName(w95::ui::DialogView& view);
  // OK: keeps the report as the log file or discards it, and ends the dialog
  // (26 or 23), except after Back on the write-failed dialog.
  void SaveResults(w95::ui::DialogView& view);
  // Check box 1025: the log name and its button follow the box.
  void OnSaveToggled(w95::ui::DialogView& view);
};

}  // namespace dxl
