// The program's dialog templates (ids 102, 131 to 158), as data.
#pragma once

#include <span>

#include "platform/ui/dialog_template.h"

namespace dxl {

// The template `id`, or nullptr.
const w95::ui::DialogTemplate* FindDialogTemplate(int id);
// Every template, by ascending id.
std::span<const w95::ui::DialogTemplate* const> AllDialogTemplates();

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
// The restart and return buttons of the finish page reuse 1011 and 1012.
constexpr int kRestart = 1011;
constexpr int kReturn = 1012;
}  // namespace ctl

}  // namespace dxl
