// The program's dialog templates (ids 102, 131 to 158), as data.
#pragma once

#include <span>

#include "platform/ui/dialog_template.h"

namespace dxl {

// The template `id`, or nullptr.
const w95::ui::DialogTemplate* FindDialogTemplate(int id);
// Every template, by ascending id.
std::span<const w95::ui::DialogTemplate* const> AllDialogTemplates();

// Template ids, by the names of the pages and dialogs.
namespace tmpl {
constexpr int kStartPage = 102, kPrinterPortPage = 131, kPortUnavailablePage = 132, kSystemIniPage = 133,
              kWinIniPage = 134, kVirtualMemoryPage = 135, kBidiSupportPage = 136, kDosSpoolingPage = 137,
              kRegistryEntriesPage = 138, kCheckingFilesDialog = 139, kDeleteFilePage = 140, kFilesMissingPage = 141,
              kResultsDialog = 142, kWriteFailedDialog = 143, kFinishPage = 145, kRegistryReadErrorPage = 148,
              kOtherPrinterPage = 149, kCheckingNetworkDialog = 150, kServerUnreachablePage = 151,
              kNetworkPrinterUnreachablePage = 152, kServerDirectoryPage = 153, kServerDriverFilePage = 154,
              kServerDataFilePage = 155, kServerFileVersionPage = 156, kNoNetworkConnectionPage = 157,
              kConnectionNotPersistentPage = 158;
}  // namespace tmpl

// Control ids that keep their meaning across the pages.
namespace ctl {
constexpr int kOk = 1;
constexpr int kStartYes = 6;
constexpr int kStartNo = 7;
constexpr int kFreeDisk = 1007;
constexpr int kFreeMemory = 1008;
constexpr int kPortList = 1009;
constexpr int kBack = 1011;
constexpr int kContinue = 1012;
constexpr int kHelp = 1013;
constexpr int kExit = 1014;
constexpr int kYes = 1018;
constexpr int kNo = 1019;
constexpr int kLogFileName = 1020;
constexpr int kVerdict = 1022;
constexpr int kSaveResults = 1025;
constexpr int kRetry = 1026;
constexpr int kCancelWrite = 1027;
constexpr int kReport = 1031;
constexpr int kWriteFailedLine = 1032;
// The lines a page fills in.
constexpr int kSelectedPortLine = 1015, kPrinterPortsLine = 1016, kUnavailablePortLine = 1017, kOtherPrinterLine = 1029,
              kNoNetworkLine = 1033, kNotPersistentLine = 1034, kServerLine = 1035, kNetworkPrinterLine = 1036,
              kServerDirectoryLine = 1037, kServerDriverFileLine = 1038, kServerDataFileLine = 1039,
              kServerFileVersionLine = 1040;
// The results dialog's change-file-name button and the finish page's restart
// and return buttons reuse 1011 and 1012.
constexpr int kChangeFileName = 1011;
constexpr int kRestart = 1011;
constexpr int kReturn = 1012;
}  // namespace ctl

}  // namespace dxl
