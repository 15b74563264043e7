// The start page (dialog 102): system information, the choice of port, and
// the start of a new report on Yes.
#pragma once

#include <cstdint>

#include "pages/wizard_page.h"

namespace dxl {

class StartPage : public WizardPage {
 public:
  StartPage();

  // The port the selected entry names, and whether it is not a local port.
  std::int32_t selectedPortNumber = 0;
  bool selectedPortNotLocal = false;

 protected:
  void OnInitDialog(w95::ui::DialogView& view) override;  // FillPortList
  void OnCommand(w95::ui::DialogView& view, int id) override;
  void OnCancel(w95::ui::DialogView& view) override;
  void OnHelp(w95::ui::DialogView& view) override;
  bool CancelActs() const override { return false; }
  bool HelpActs() const override { return false; }
  void OnSelChange(w95::ui::DialogView& view, int id) override;  // OnPortSelected
};

}  // namespace dxl
