// WizardPage: one showing of a dialog template, run modally through the
// user-interface backend; the pages' common protocol. Esc and the close box
// end a page with 2; F1 opens the page's help topic when it has one.
// Subclasses (the start page, the results dialog, the standard pages) add
// their initialisation and button handlers.
#pragma once

#include "pages/page_end_code.h"
#include "platform/ui/backend.h"

namespace dxl {

class WizardPage : public w95::ui::DialogEvents {
 public:
  // The template must exist (ids 102, 131 to 158).
  explicit WizardPage(int templateId);

  // Shows the page modally; the end code of the button pressed.
  PageEndCode DoModal();

  int TemplateId() const { return dialog_.id; }
  const w95::ui::DialogTemplate& Template() const { return dialog_; }

 protected:
  void OnCommand(w95::ui::DialogView& view, int id) override;
  void OnCancel(w95::ui::DialogView& view) override;
  void OnHelp(w95::ui::DialogView& view) override;
  bool HelpActs() const override { return dialog_.helpContext != 0; }

  // WinHelpA with the page's help context; when the help cannot be shown, the
  // framework's message "Failed to launch help." The page stays up either way.
  void OpenHelp() const;

 private:
  const w95::ui::DialogTemplate& dialog_;
};

}  // namespace dxl
