// The integer with which every page ends.
#pragma once

namespace dxl {

using PageEndCode = int;

namespace page_end {
constexpr PageEndCode Continue = 0;  // also No, and Retry on the write-failed dialog
constexpr PageEndCode WriteBack = 1;
constexpr PageEndCode Cancel = 2;  // Esc, the close box, Cancel on the write-failed dialog
constexpr PageEndCode StartYes = 6;
constexpr PageEndCode StartNo = 7;
constexpr PageEndCode Exit = 20;
constexpr PageEndCode ContinueAnyway = 21;  // printer-port page, server data-file page
constexpr PageEndCode Fix = 22;
constexpr PageEndCode ExitRegistryError = 23;
constexpr PageEndCode ReturnToWindows = 24;
constexpr PageEndCode RestartWindows = 25;
constexpr PageEndCode DeleteFile = 26;
}  // namespace page_end

}  // namespace dxl
