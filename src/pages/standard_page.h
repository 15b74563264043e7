// A page driven by its row of the page table: fills its lines at
// initialisation, and on a button sets nextStep, changes statusFlags and
// ends with the row's end code.
#pragma once

#include "pages/page_rows.h"
#include "pages/wizard_page.h"

namespace dxl {

class StandardPage : public WizardPage {
 public:
  // The template must have a row in the page table.
  explicit StandardPage(int templateId);

 protected:
  void OnInitDialog(w95::ui::DialogView& view) override;
  void OnCommand(w95::ui::DialogView& view, int id) override;
  void OnCancel(w95::ui::DialogView& view) override;
  bool CancelActs() const override;

 private:
  const PageRow& row_;
};

// The text of a filled line now (code page 936).
std::string FormatLine(const LineFill& line);

// Builds the page of `templateId`, shows it modally and returns its end code.
PageEndCode ShowPage(int templateId);

}  // namespace dxl
