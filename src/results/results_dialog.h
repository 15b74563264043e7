// The results dialog (142): the verdict, the report, and the report kept as a
// dated log file or discarded.
#pragma once

#include "wizard/pages/wizard_page.h"

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
  void OnEditFocus(w95::ui::DialogView& view, int id) override;
};

}  // namespace dxl
