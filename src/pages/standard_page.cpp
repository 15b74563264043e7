#include "pages/standard_page.h"

#include <stdexcept>

#include "app_state/troubleshooter_app.h"
#include "outcome/step_outcome.h"
#include "resources/format.h"
#include "resources/string_table.h"

namespace dxl {

namespace {

const PageRow& RowOf(int templateId) {
  const PageRow* row = FindPageRow(templateId);
  if (!row) throw std::invalid_argument("no page row for template " + std::to_string(templateId));
  return *row;
}

}  // namespace

std::string FormatLine(const LineFill& line) {
  const std::string& message = LoadMessage(line.messageId);
  std::string first = InsertValue(line.first);
  if (line.formatting == Formatting::Printf) return FormatPrintf(message, {first});
  std::string second = InsertValue(line.second);
  return FormatPositional(message, {first, second});
}

StandardPage::StandardPage(int templateId) : WizardPage(templateId), row_(RowOf(templateId)) {}

void StandardPage::OnInitDialog(w95::ui::DialogView& view) {
  for (const LineFill& line : row_.lines)
    if (line.controlId != 0) view.SetItemText(line.controlId, FormatLine(line));
}

void StandardPage::OnCommand(w95::ui::DialogView& view, int id) {
  for (const ButtonAction& button : row_.buttons) {
    if (button.controlId == 0 || button.controlId != id) continue;
    if (button.nextStep != kKeepNextStep) StepOutcome.nextStep = button.nextStep;
    auto& flags = theApp().statusFlags;
    flags = static_cast<std::uint8_t>((flags & ~button.clearFlags) | button.setFlags);
    view.EndDialog(button.endCode);
    return;
  }
  WizardPage::OnCommand(view, id);
}

void StandardPage::OnCancel(w95::ui::DialogView& view) {
  if (!row_.ignoresCancel) WizardPage::OnCancel(view);
}

bool StandardPage::CancelActs() const { return !row_.ignoresCancel; }

PageEndCode ShowPage(int templateId) { return StandardPage(templateId).DoModal(); }

}  // namespace dxl
