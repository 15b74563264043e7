// dxlq7trs-pages: shows the program's dialogs outside a run of the wizard.
//
//   dxlq7trs-pages DIR       renders every dialog offscreen to DIR/<id>.png
//   dxlq7trs-pages --show ID shows one page on the backend TSHOOTER_UI chooses
//                            and prints its end code, nextStep and statusFlags
//
// The start page and the results dialog are the program's own; the other
// pages are rows of the page table. They read a sample machine (built in a
// temporary directory unless TSHOOTER_ROOT names one) and sample findings, so
// that every filled line has a value.
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <random>
#include <string>

#include "app/ui_choice.h"
#include "app_state/troubleshooter_app.h"
#include "machine_builder/machine_builder.h"
#include "outcome/step_outcome.h"
#include "pages/standard_page.h"
#include "pages/wait_notices.h"
#include "platform/base/cp936.h"
#include "platform/files/files.h"
#include "platform/machine/machine.h"
#include "platform/ui/qt/qt_backend.h"
#include "ports/report_header.h"
#include "ports/start_page.h"
#include "resources/dialog_templates.h"
#include "results/results_dialog.h"

namespace fs = std::filesystem;

namespace {

// A sample machine that lives as long as the tool runs.
class SampleMachine {
 public:
  SampleMachine() {
    if (!w95::RootFromEnvironment().empty()) {
      w95::Machine::Use(w95::RootFromEnvironment());
      return;
    }
    std::random_device random;
    root_ = fs::temp_directory_path() / ("dxlq7trs-pages-" + std::to_string(getpid()) + "-" + std::to_string(random()));
    dxl::tools::MachineBuilder builder(root_);
    builder.InstallPrintingSystem();
    builder.MachineIni("Connections", "LPT1", "\\\\PRTSERVER\\KRT310");
    w95::Machine::Use(root_);
  }
  // Whether the tool built the machine itself (and may write sample files to it).
  bool Own() const { return !root_.empty(); }
  ~SampleMachine() {
    std::error_code ec;
    if (!root_.empty()) fs::remove_all(root_, ec);
  }

 private:
  fs::path root_;
};

void SetSampleFindings(const SampleMachine& machine) {
  auto& app = dxl::theApp();
  app.reportPath = w95::GetTempPathA() + "tshooter.tmp";
  app.helpFilePath = w95::Machine::Current().WindowsDirectory() + "\\DXLQ7IN.HLP";
  app.portNumber = 1;
  app.printerPorts = "LPT2:,LPT3:";
  app.logPath = w95::Machine::Current().WindowsDirectory() + "\\DXL\\25010100.LOG";
  dxl::otherPrinterNames = {"Generic / Text Only"};
  dxl::otherPrinterCursor = 0;
  dxl::currentFileName = w95::Machine::Current().SystemDirectory() + "\\DXLQ7RES.DLL";
  // The results dialog shows the report of a walk: on the tool's own machine a
  // sample one, started as the start page starts it.
  app.SetPortDescription(w95::Utf8ToCp936("LPT1:[本地]").value());
  if (machine.Own()) dxl::StartReport(app.reportPath, {app.GetPortDescription(), "512", "16384"});
}

// The start page and the results dialog are their own pages; every other
// dialog is a row of the page table.
int RunPage(int id) {
  if (id == dxl::tmpl::kStartPage) {
    dxl::StartPage page;
    int code = page.DoModal();
    if (code == dxl::page_end::StartYes)
      std::printf("selectedPortNumber %d, selectedPortNotLocal %d\n", page.selectedPortNumber,
                  page.selectedPortNotLocal);
    return code;
  }
  if (id == dxl::tmpl::kResultsDialog) return dxl::ResultsDialog().DoModal();
  return dxl::ShowPage(id);
}

void ShowOne(int id) {
  if (id == dxl::tmpl::kCheckingFilesDialog || id == dxl::tmpl::kCheckingNetworkDialog) {
    auto notice =
        id == dxl::tmpl::kCheckingFilesDialog ? dxl::CreateCheckingFilesDialog() : dxl::CreateCheckingNetworkDialog();
    return;
  }
  RunPage(id);
}

int Render(const fs::path& directory) {
  w95::ui::QtBackendOptions options;
  options.snapshotDirectory = directory;
  w95::ui::SetBackend(w95::ui::MakeQtBackend(options));
  for (const auto* dialog : dxl::AllDialogTemplates()) ShowOne(dialog->id);
  int written = 0;
  for (const auto* dialog : dxl::AllDialogTemplates())
    written += fs::exists(directory / (std::to_string(dialog->id) + ".png"));
  std::printf("%d dialogs rendered to %s\n", written, directory.string().c_str());
  return written == static_cast<int>(dxl::AllDialogTemplates().size()) ? 0 : 1;
}

int Show(int id) {
  if (!dxl::FindDialogTemplate(id)) {
    std::fprintf(stderr, "dxlq7trs-pages: no dialog %d\n", id);
    return 2;
  }
  // This tool links the Qt backend itself: no module to load.
  dxl::InstallUiBackend([](bool unattended) {
    w95::ui::QtBackendOptions options;
    options.unattended = unattended;
    return w95::ui::MakeQtBackend(options);
  });
  dxl::StepOutcome.nextStep = 0;
  if (id == dxl::tmpl::kCheckingFilesDialog || id == dxl::tmpl::kCheckingNetworkDialog) {
    ShowOne(id);
    return 0;
  }
  int code = RunPage(id);
  std::printf("end code %d, nextStep %d, statusFlags %d\n", code, dxl::StepOutcome.nextStep,
              static_cast<int>(dxl::theApp().statusFlags));
  return 0;
}

void PrintUsage(std::FILE* to) {
  std::fprintf(to,
               "usage: dxlq7trs-pages DIR | dxlq7trs-pages --show ID | dxlq7trs-pages --help\n"
               "  DIR: renders every dialog offscreen to DIR/<id>.png\n"
               "  --show ID: shows one page on the backend TSHOOTER_UI chooses\n");
}

}  // namespace

int main(int argc, char** argv) {
  std::string first = argc > 1 ? argv[1] : "";
  if (argc == 2 && (first == "--help" || first == "-h")) {
    PrintUsage(stdout);
    return 0;
  }
  if (argc == 3 && first == "--show") {
    SampleMachine machine;
    SetSampleFindings(machine);
    return Show(std::atoi(argv[2]));
  }
  if (argc != 2 || first.empty() || first[0] == '-') {
    PrintUsage(stderr);
    return 2;
  }
  if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
  SampleMachine machine;
  SetSampleFindings(machine);
  return Render(argv[1]);
}
