// Steps 10 to 17: a port redirected to a shared printer. Each step builds its
// Port and NetworkResource afresh, so the driver can enter any of them.
#include <cstdint>
#include <cstdlib>

#include "checks/installed_files.h"
#include "engine/check_steps.h"
#include "outcome/report_file.h"
#include "outcome/step_outcome.h"
#include "pages/wait_notices.h"
#include "port_object/port.h"
#include "resources/format.h"
#include "resources/string_table.h"

namespace dxl::engine {

namespace {

constexpr std::string_view kServerDirectory = "DXL";
constexpr std::string_view kDriverFile = "DXLQ7APD.APD";
constexpr std::string_view kDataFile = "DXLHRC.BIN";

std::string ServerName(const TroubleshooterApp& app) { return Port(app.PortName()).GetServerName(); }

std::string ServerFilePath(const TroubleshooterApp& app, std::string_view fileName) {
  return FormatPrintf("%s\\DXL\\%s", {ServerName(app), fileName});
}

StepEnd CheckServerFile(TroubleshooterApp& app, std::string_view fileName, int failure) {
  const std::string path = ServerFilePath(app, fileName);
  if (FileExists(path)) return StepEnd::Passed;
  WriteStepLine(app, msg::kNetworkErrorPrefix, msg::kNotFound, path);
  return Stop(failure);
}

void Append(const TroubleshooterApp& app, std::string_view line) {
  if (!line.empty()) AppendReportLine(app.reportPath, line);
}

}  // namespace

StepEnd CheckConnection(TroubleshooterApp& app) {
  if (!app.portNotLocal) {
    StepOutcome.result = ChecksFinished;
    return StepEnd::Finished;
  }
  // On screen from here to the end of the wizard; the driver takes it down.
  app.networkWaitDialog = CreateCheckingNetworkDialog();
  if (app.networkWaitDialog) app.networkWaitShown = true;
  if (!Port(app.PortName()).GetRemoteName().empty()) return StepEnd::Passed;
  WriteStepLine(app, msg::kNetworkErrorPrefix, msg::kNotConnectedToNetwork, app.PortName());
  return Stop(NoNetworkConnection);
}

StepEnd CheckServer(TroubleshooterApp& app) {
  const std::string server = ServerName(app);
  if (NetworkResource(server).CanAccess()) return StepEnd::Passed;
  WriteStepLine(app, msg::kNetworkErrorPrefix, msg::kCannotAccessServer, server);
  return Stop(ServerUnreachable);
}

StepEnd CheckNetworkPrinter(TroubleshooterApp& app) {
  const Port port(app.PortName());
  if (NetworkResource(port.GetServerName()).CanAccessPrinters()) return StepEnd::Passed;
  WriteStepLine(app, msg::kNetworkErrorPrefix, msg::kCannotAccessPrinter, port.GetRemoteName());
  return Stop(NetworkPrinterUnreachable);
}

StepEnd CheckPersistence(TroubleshooterApp& app) {
  if (Port(app.PortName()).IsPersitentRedirected()) return StepEnd::Passed;
  return Stop(ConnectionNotPersistent);
}

StepEnd CheckServerDirectory(TroubleshooterApp& app) {
  const std::string server = ServerName(app);
  if (NetworkResource(server).HasDirectory(kServerDirectory)) return StepEnd::Passed;
  const std::string directory = server + "\\" + std::string(kServerDirectory);
  WriteStepLine(app, msg::kNetworkErrorPrefix, msg::kCannotAccessDirectory, directory);
  return Stop(ServerDirectoryUnreachable);
}

StepEnd CheckServerDriverFile(TroubleshooterApp& app) {
  return CheckServerFile(app, kDriverFile, ServerDriverFileMissing);
}

StepEnd CheckServerDataFile(TroubleshooterApp& app) { return CheckServerFile(app, kDataFile, ServerDataFileMissing); }

StepEnd CompareServerDriverFile(TroubleshooterApp& app) {
  const ApdRequirement& required = app.apdRequirement;
  const std::string path = ServerFilePath(app, kDriverFile);
  const std::string timeStamp = FormatPrintf("%s %s", {required.date, required.time});
  std::string currentLine;
  // Without a record of the file in the set-up information there is nothing
  // to compare the server's copy with.
  const int match =
      required.fileName.empty() ? 1 : CheckInstalledFile(path, required.size, required.version, timeStamp, currentLine);
  std::string requiredLine;
  const auto size = static_cast<std::int32_t>(std::strtoul(required.size.c_str(), nullptr, 10));
  FormatFileFactsLine(0, required.version, timeStamp, size, requiredLine);
  if (match == 0) {
    Append(app, ReportLine(msg::kNetworkErrorPrefix, path));
    Append(app, currentLine);
    Append(app, requiredLine);
    return Stop(ServerFileMismatch);
  }
  // A file that exists but cannot be opened counts as a match.
  if (!(app.statusFlags & NetworkErrorRecorded)) {
    WriteStepLine(app, 0, msg::kNetworkCorrect);
    StepOutcome.nextStep = 18;
  }
  StepOutcome.result = ChecksFinished;
  return StepEnd::Finished;
}

}  // namespace dxl::engine
