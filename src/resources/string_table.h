// The program's numbered messages (ids 102 to 177, and the framework's 61703),
// handed out in code page 936 as Windows' LoadStringA gives them.
#pragma once

#include <string>
#include <string_view>

namespace dxl {

// The message in code page 936; empty when the id has no message.
const std::string& LoadMessage(unsigned id);

// The same message as UTF-8 (for tests and the UI backends).
std::string_view MessageUtf8(unsigned id);

namespace msg {
constexpr unsigned kPrinterOnPorts = 102;
constexpr unsigned kYouSelected = 103;
constexpr unsigned kPortUnavailable = 104;
constexpr unsigned kWrongVersion = 105;
constexpr unsigned kPrinterOnPort = 106;
constexpr unsigned kSummaryCorrect = 108;
constexpr unsigned kSummaryIncorrect = 109;
constexpr unsigned kSummaryStopped = 110;
constexpr unsigned kSummaryNetworkIncorrect = 111;
constexpr unsigned kHeaderTitle = 112;
constexpr unsigned kFreeDiskSpace = 113;
constexpr unsigned kFreeMemory = 114;
constexpr unsigned kConnectedTo = 115;
constexpr unsigned kPortDriverOk = 116;
constexpr unsigned kPortDriverFault = 117;
constexpr unsigned kNoOtherPrinter = 118;
constexpr unsigned kOtherPrinterOnPort = 119;
constexpr unsigned kSystemIniCorrect = 120;
constexpr unsigned kSystemIniMissing = 121;
constexpr unsigned kWinIniCorrect = 122;
constexpr unsigned kWinIniMissing = 123;
constexpr unsigned kPagingOn = 124;
constexpr unsigned kPagingOff = 125;
constexpr unsigned kBidiOn = 126;
constexpr unsigned kBidiOff = 127;
constexpr unsigned kDosSpoolOn = 128;
constexpr unsigned kDosSpoolOff = 129;
constexpr unsigned kRegistryCorrect = 130;
constexpr unsigned kRegistryIncorrect = 131;
constexpr unsigned kAllFilesCorrect = 132;
constexpr unsigned kNotFound = 133;
constexpr unsigned kWillBeRenamed = 134;
constexpr unsigned kTimeStampLabel = 137;
constexpr unsigned kSizeLabel = 138;
constexpr unsigned kNetworkCorrect = 139;
constexpr unsigned kRunCompleted = 145;
constexpr unsigned kRunStopped = 146;
constexpr unsigned kRestartWindows = 147;
constexpr unsigned kReturnToWindows = 148;
constexpr unsigned kErrorPrefix = 150;
constexpr unsigned kNetworkErrorPrefix = 151;
constexpr unsigned kFixedSuffix = 152;
constexpr unsigned kNotFixedSuffix = 153;
constexpr unsigned kMegabytes = 154;
constexpr unsigned kKilobytes = 155;
constexpr unsigned kRunSetup = 156;
constexpr unsigned kCannotWrite = 160;
constexpr unsigned kNotConnectedToNetwork = 161;
constexpr unsigned kNotConnectedTo = 162;
constexpr unsigned kCannotAccessServer = 163;
constexpr unsigned kCannotAccessPrinter = 164;
constexpr unsigned kCannotAccessDirectory = 165;
constexpr unsigned kServerFileMissing = 166;
constexpr unsigned kServerFileVersion = 167;
constexpr unsigned kStandardPort = 168;
constexpr unsigned kEcpWithoutDma = 169;
constexpr unsigned kEcpWithDma = 170;
constexpr unsigned kNotPresent = 171;
constexpr unsigned kLocal = 172;
constexpr unsigned kCaption = 173;
constexpr unsigned kCurrentVersion = 174;
constexpr unsigned kRequiredVersion = 175;
constexpr unsigned kCurrentTimeStamp = 176;
constexpr unsigned kRequiredTimeStamp = 177;
constexpr unsigned kFailedToLaunchHelp = 61703;
}  // namespace msg

}  // namespace dxl
