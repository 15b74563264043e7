#include "wizard/pages/page_rows.h"

#include "app/state/troubleshooter_app.h"
#include "resources/string_table.h"

namespace dxl {

namespace {

using F = Formatting;
using I = Insert;
namespace end = page_end;

constexpr ButtonAction Press(int id, PageEndCode code, int next = kKeepNextStep) { return {id, next, 0, 0, code}; }
constexpr ButtonAction kExit = Press(1014, end::Exit);
constexpr LineFill kNoLine{};

constexpr std::array<ButtonAction, 4> Fix(int next) {
  return {Press(1018, end::Fix, next), Press(1019, end::Continue, next), kExit, {}};
}
constexpr std::array<ButtonAction, 4> Inform(PageEndCode code = end::Continue, int next = kKeepNextStep) {
  return {Press(1012, code, next), kExit, {}, {}};
}
constexpr std::array<LineFill, 2> One(int id, unsigned message, I insert) {
  return {LineFill{id, message, F::Printf, insert}, kNoLine};
}
constexpr std::array<LineFill, 2> Two(int id, unsigned message, I first, I second) {
  return {LineFill{id, message, F::Positional, first, second}, kNoLine};
}
constexpr std::array<LineFill, 2> kFixed{};

constexpr PageRow kRows[] = {
    {102, "StartPage", kFixed, {Press(6, end::StartYes), Press(7, end::StartNo), {}, {}}, true},
    {131,
     "PrinterPortPage",
     {LineFill{1016, msg::kPrinterOnPorts, F::Printf, I::PrinterPorts},
      LineFill{1015, msg::kYouSelected, F::Printf, I::PortName}},
     {ButtonAction{1011, kKeepNextStep, ErrorRecorded, 0, end::Continue},
      Press(1012, end::ContinueAnyway, 1),
      kExit,
      {}}},
    {132, "PortUnavailablePage", One(1017, msg::kPortUnavailable, I::PortName), Inform(end::Continue, 2)},
    {133, "SystemIniPage", kFixed, Fix(4)},
    {134, "WinIniPage", kFixed, Fix(5)},
    {135, "VirtualMemoryPage", kFixed, Fix(6)},
    {136, "BidiSupportPage", kFixed, Fix(7)},
    {137, "DosSpoolingPage", kFixed, Fix(8)},
    {138, "RegistryEntriesPage", kFixed, Inform(end::Continue, 9)},
    {140,
     "DeleteFilePage",
     One(1020, msg::kWrongVersion, I::CurrentFileName),
     {Press(1018, end::DeleteFile), Press(1019, end::Continue), kExit, {}}},
    {141, "FilesMissingPage", kFixed, Inform(end::Continue, 10)},
    {142, "ResultsDialog", kFixed, {}, true},
    // The framework's OK command (Enter) means Back here.
    {143,
     "WriteFailedDialog",
     One(1032, msg::kCannotWrite, I::LogPath),
     {Press(1026, end::Continue), Press(1011, end::WriteBack), Press(1027, end::Cancel), Press(1, end::WriteBack)}},
    {145, "FinishPage", kFixed, {Press(1011, end::RestartWindows), Press(1012, end::ReturnToWindows), {}, {}}, true},
    {148, "RegistryReadErrorPage", kFixed, {Press(1014, end::ExitRegistryError), {}, {}, {}}},
    {149, "OtherPrinterPage", Two(1029, msg::kPrinterOnPort, I::OtherPrinter, I::PortName), Fix(3)},
    {151, "ServerUnreachablePage", One(1035, msg::kCannotAccessServer, I::ServerName), Inform()},
    {152, "NetworkPrinterUnreachablePage", One(1036, msg::kCannotAccessPrinter, I::RemoteName), Inform()},
    {153, "ServerDirectoryPage", One(1037, msg::kCannotAccessDirectory, I::ServerDirectory), Inform()},
    {154, "ServerDriverFilePage", Two(1038, msg::kServerFileMissing, I::DriverFile, I::ServerName), Inform()},
    {155, "ServerDataFilePage", Two(1039, msg::kServerFileMissing, I::DataFile, I::ServerName),
     Inform(end::ContinueAnyway, 17)},
    {156, "ServerFileVersionPage", Two(1040, msg::kServerFileVersion, I::DriverFile, I::ServerName), Inform()},
    {157, "NoNetworkConnectionPage", One(1033, msg::kNotConnectedToNetwork, I::PortName), Inform()},
    {158, "ConnectionNotPersistentPage", Two(1034, msg::kNotConnectedTo, I::PortName, I::RemoteName), Fix(14)},
};

}  // namespace

const PageRow* FindPageRow(int templateId) {
  for (const auto& row : kRows)
    if (row.templateId == templateId) return &row;
  return nullptr;
}

std::span<const PageRow> AllPageRows() { return kRows; }

}  // namespace dxl
