// The start page: FillPortList when it opens, OnPortSelected on every change
// of the selection, the new report on Yes.
#include "ports/start_page.h"

#include "app_state/troubleshooter_app.h"
#include "pages/standard_page.h"
#include "platform/system/system.h"
#include "ports/port_list.h"
#include "ports/report_header.h"
#include "ports/system_figures.h"
#include "resources/dialog_templates.h"
#include "resources/format.h"
#include "resources/icons.h"

namespace dxl {

namespace {

constexpr w95::UINT kRegistryErrorExitCode = 1;
constexpr std::size_t kEntryBufferSize = 256;

}  // namespace

StartPage::StartPage() : WizardPage(tmpl::kStartPage) {}

void StartPage::OnInitDialog(w95::ui::DialogView& view) {
  view.SetWindowIcon(IconXpm(kProgramIcon));
  view.SetItemText(ctl::kFreeDisk, FormatPrintf("%ld", {std::int64_t{FreeDiskMegabytes()}}));
  view.SetItemText(ctl::kFreeMemory, FormatPrintf("%ld", {std::int64_t{FreeMemoryKilobytes()}}));

  view.ResetContent(ctl::kPortList);
  const std::vector<w95::PortInfo2> ports = SpoolerPortRecords();
  for (const auto& entry : SpoolerPortEntries(ports)) view.AddString(ctl::kPortList, entry);
  if (!CanReadClassesRoot()) {
    ShowPage(tmpl::kRegistryReadErrorPage);
    w95::ExitProcess(kRegistryErrorExitCode);
  }
  for (const auto& entry : MissingRemotePortEntries(ports)) view.AddString(ctl::kPortList, entry);

  view.SetCurSel(ctl::kPortList, 0);
  OnSelChange(view, ctl::kPortList);
}

void StartPage::OnSelChange(w95::ui::DialogView& view, int id) {
  if (id != ctl::kPortList) return;
  std::string entry;
  int selected = view.GetCurSel(ctl::kPortList);
  if (selected != w95::ui::CB_ERR) entry = view.GetLBText(ctl::kPortList, selected).substr(0, kEntryBufferSize - 1);
  PortChoice choice = ChoosePort(entry, SpoolerPortRecords());
  selectedPortNumber = choice.portNumber;
  selectedPortNotLocal = choice.portNotLocal;
  // Without a parallel port to check there is nothing to start.
  view.EnableItem(ctl::kStartYes, choice.checkable);
}

void StartPage::OnCommand(w95::ui::DialogView& view, int id) {
  if (id == ctl::kStartNo) {
    view.EndDialog(page_end::StartNo);
    return;
  }
  if (id != ctl::kStartYes) return;
  ReportHeaderFields fields{view.GetItemText(ctl::kPortList), view.GetItemText(ctl::kFreeDisk),
                            view.GetItemText(ctl::kFreeMemory)};
  theApp().SetPortDescription(fields.entryText);
  StartReport(theApp().GetReportPath(), fields);
  view.EndDialog(page_end::StartYes);
}

// Esc and the close command do nothing; the page has no help topic.
void StartPage::OnCancel(w95::ui::DialogView&) {}
void StartPage::OnHelp(w95::ui::DialogView&) {}

}  // namespace dxl
