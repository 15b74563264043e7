#include "pages/page_rows.h"

#include "app_state/troubleshooter_app.h"
#include "resources/dialog_templates.h"
#include "resources/string_table.h"

namespace dxl {

namespace {

using F = Formatting;
using I = Insert;
namespace end = page_end;

constexpr ButtonAction Press(int id, PageEndCode code, int next = kKeepNextStep) { return {id, next, 0, 0, code}; }
constexpr ButtonAction kExit = Press(ctl::kExit, end::Exit);
constexpr LineFill kNoLine{};

constexpr std::array<ButtonAction, 4> Fix(int next) {
  return {Press(ctl::kYes, end::Fix, next), Press(ctl::kNo, end::Continue, next), kExit, {}};
}
constexpr std::array<ButtonAction, 4> Inform(PageEndCode code = end::Continue, int next = kKeepNextStep) {
  return {Press(ctl::kContinue, code, next), kExit, {}, {}};
}
constexpr std::array<LineFill, 2> One(int id, unsigned message, I insert) {
  return {LineFill{id, message, F::Printf, insert}, kNoLine};
}
constexpr std::array<LineFill, 2> Two(int id, unsigned message, I first, I second) {
  return {LineFill{id, message, F::Positional, first, second}, kNoLine};
}
constexpr std::array<LineFill, 2> kFixed{};

constexpr PageRow kRows[] = {
    {tmpl::kStartPage,
     "StartPage",
     kFixed,
     {Press(ctl::kStartYes, end::StartYes), Press(ctl::kStartNo, end::StartNo), {}, {}},
     true},
    {tmpl::kPrinterPortPage,
     "PrinterPortPage",
     {LineFill{ctl::kPrinterPortsLine, msg::kPrinterOnPorts, F::Printf, I::PrinterPorts},
      LineFill{ctl::kSelectedPortLine, msg::kYouSelected, F::Printf, I::PortName}},
     {ButtonAction{ctl::kBack, kKeepNextStep, ErrorRecorded, 0, end::Continue},
      Press(ctl::kContinue, end::ContinueAnyway, 1),
      kExit,
      {}}},
    {tmpl::kPortUnavailablePage, "PortUnavailablePage",
     One(ctl::kUnavailablePortLine, msg::kPortUnavailable, I::PortName), Inform(end::Continue, 2)},
    {tmpl::kSystemIniPage, "SystemIniPage", kFixed, Fix(4)},
    {tmpl::kWinIniPage, "WinIniPage", kFixed, Fix(5)},
    {tmpl::kVirtualMemoryPage, "VirtualMemoryPage", kFixed, Fix(6)},
    {tmpl::kBidiSupportPage, "BidiSupportPage", kFixed, Fix(7)},
    {tmpl::kDosSpoolingPage, "DosSpoolingPage", kFixed, Fix(8)},
    {tmpl::kRegistryEntriesPage, "RegistryEntriesPage", kFixed, Inform(end::Continue, 9)},
    {tmpl::kDeleteFilePage,
     "DeleteFilePage",
     One(ctl::kLogFileName, msg::kWrongVersion, I::CurrentFileName),
     {Press(ctl::kYes, end::DeleteFile), Press(ctl::kNo, end::Continue), kExit, {}}},
    {tmpl::kFilesMissingPage, "FilesMissingPage", kFixed, Inform(end::Continue, 10)},
    {tmpl::kResultsDialog, "ResultsDialog", kFixed, {}, true},
    // The framework's OK command (Enter) means Back here.
    {tmpl::kWriteFailedDialog,
     "WriteFailedDialog",
     One(ctl::kWriteFailedLine, msg::kCannotWrite, I::LogPath),
     {Press(ctl::kRetry, end::Continue), Press(ctl::kBack, end::WriteBack), Press(ctl::kCancelWrite, end::Cancel),
      Press(ctl::kOk, end::WriteBack)}},
    {tmpl::kFinishPage,
     "FinishPage",
     kFixed,
     {Press(ctl::kRestart, end::RestartWindows), Press(ctl::kReturn, end::ReturnToWindows), {}, {}},
     true},
    {tmpl::kRegistryReadErrorPage,
     "RegistryReadErrorPage",
     kFixed,
     {Press(ctl::kExit, end::ExitRegistryError), {}, {}, {}}},
    {tmpl::kOtherPrinterPage, "OtherPrinterPage",
     Two(ctl::kOtherPrinterLine, msg::kPrinterOnPort, I::OtherPrinter, I::PortName), Fix(3)},
    {tmpl::kServerUnreachablePage, "ServerUnreachablePage",
     One(ctl::kServerLine, msg::kCannotAccessServer, I::ServerName), Inform()},
    {tmpl::kNetworkPrinterUnreachablePage, "NetworkPrinterUnreachablePage",
     One(ctl::kNetworkPrinterLine, msg::kCannotAccessPrinter, I::RemoteName), Inform()},
    {tmpl::kServerDirectoryPage, "ServerDirectoryPage",
     One(ctl::kServerDirectoryLine, msg::kCannotAccessDirectory, I::ServerDirectory), Inform()},
    {tmpl::kServerDriverFilePage, "ServerDriverFilePage",
     Two(ctl::kServerDriverFileLine, msg::kServerFileMissing, I::DriverFile, I::ServerName), Inform()},
    {tmpl::kServerDataFilePage, "ServerDataFilePage",
     Two(ctl::kServerDataFileLine, msg::kServerFileMissing, I::DataFile, I::ServerName),
     Inform(end::ContinueAnyway, 17)},
    {tmpl::kServerFileVersionPage, "ServerFileVersionPage",
     Two(ctl::kServerFileVersionLine, msg::kServerFileVersion, I::DriverFile, I::ServerName), Inform()},
    {tmpl::kNoNetworkConnectionPage, "NoNetworkConnectionPage",
     One(ctl::kNoNetworkLine, msg::kNotConnectedToNetwork, I::PortName), Inform()},
    {tmpl::kConnectionNotPersistentPage, "ConnectionNotPersistentPage",
     Two(ctl::kNotPersistentLine, msg::kNotConnectedTo, I::PortName, I::RemoteName), Fix(14)},
};

}  // namespace

const PageRow* FindPageRow(int templateId) {
  for (const auto& row : kRows)
    if (row.templateId == templateId) return &row;
  return nullptr;
}

std::span<const PageRow> AllPageRows() { return kRows; }

}  // namespace dxl
