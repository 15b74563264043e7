#include "pages/wizard_page.h"

#include <stdexcept>

#include "app_state/troubleshooter_app.h"
#include "platform/help/help.h"
#include "resources/dialog_templates.h"
#include "resources/string_table.h"

namespace dxl {

namespace {

const w95::ui::DialogTemplate& TemplateOf(int templateId) {
  const auto* dialog = FindDialogTemplate(templateId);
  if (!dialog) throw std::invalid_argument("no dialog template " + std::to_string(templateId));
  return *dialog;
}

// The framework's message boxes carry the program's module name.
constexpr std::string_view kMessageCaption = "dxlq7trs";

}  // namespace

WizardPage::WizardPage(int templateId) : dialog_(TemplateOf(templateId)) {}

PageEndCode WizardPage::DoModal() { return w95::ui::CurrentBackend().RunModal(dialog_, *this); }

void WizardPage::OnCommand(w95::ui::DialogView&, int id) {
  if (id == ctl::kHelp) OpenHelp();
}

void WizardPage::OnCancel(w95::ui::DialogView& view) { view.EndDialog(page_end::Cancel); }

void WizardPage::OnHelp(w95::ui::DialogView&) {
  if (dialog_.helpContext != 0) OpenHelp();
}

void WizardPage::OpenHelp() const {
  if (dialog_.helpContext == 0) return;
  if (w95::WinHelpA(theApp().helpFilePath, w95::HELP_CONTEXT, static_cast<w95::DWORD>(dialog_.helpContext))) return;
  w95::ui::CurrentBackend().MessageBox(LoadMessage(msg::kFailedToLaunchHelp), kMessageCaption,
                                       w95::ui::MessageIcon::Exclamation);
}

}  // namespace dxl
