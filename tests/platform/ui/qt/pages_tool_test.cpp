// dxlq7trs-pages as a person or a script uses it: one PNG per dialog, and a
// page driven through standard input by the console backend.
#include <gtest/gtest.h>

#include <QImage>
#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "resources/dialog_templates.h"
#include "support/temp_machine.h"

namespace {

namespace fs = std::filesystem;

fs::path PagesToolPath() {
  const char* binary = std::getenv("DXLQ7TRS_BINARY");
#ifdef DXLQ7TRS_BINARY
  if (!binary) binary = DXLQ7TRS_BINARY;
#endif
  if (!binary) return {};
  return fs::path(binary).parent_path().parent_path() / "tools" / "dxlq7trs-pages";
}

// Runs a shell command and returns what it printed on standard output.
std::string Output(const std::string& command) {
  std::string out;
  FILE* pipe = popen(command.c_str(), "r");
  if (!pipe) return out;
  char buffer[4096];
  size_t n;
  while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0) out.append(buffer, n);
  pclose(pipe);
  return out;
}

class PagesToolRun : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!fs::exists(PagesToolPath())) GTEST_SKIP() << "dxlq7trs-pages not built";
    machine_.Builder().InstallPrintingSystem();
  }
  std::string Show(int page, const std::string& input) {
    return Output("printf '" + input + "' | TSHOOTER_UI=console TSHOOTER_ROOT='" + machine_.Root().string() + "' '" +
                  PagesToolPath().string() + "' --show " + std::to_string(page) + " 2>&1");
  }
  dxl::testing::TempMachine machine_;
};

TEST_F(PagesToolRun, RendersEveryDialogToAPng) {
  fs::path directory = machine_.Root() / "png";
  std::string out = Output("QT_QPA_PLATFORM=offscreen '" + PagesToolPath().string() + "' '" + directory.string() + "'");
  EXPECT_NE(out.find("26 dialogs rendered"), std::string::npos) << out;
  for (const auto* dialog : dxl::AllDialogTemplates()) {
    QImage image(QString::fromStdString((directory / (std::to_string(dialog->id) + ".png")).string()));
    ASSERT_FALSE(image.isNull()) << dialog->id;
    EXPECT_GT(image.width(), dialog->width);
    EXPECT_GT(image.height(), dialog->height);
  }
}

TEST_F(PagesToolRun, ConsolePageAnsweredThroughAPipe) {
  std::string out = Show(133, "f1\\ny\\n");
  EXPECT_NE(out.find("=== Tavix KRT-310 故障排除程序 [133] ===\nSYSTEM.INI 不正确。\n想修正此问题吗？\n"
                     "[y] 是(Y)  修正此问题。\n[n] 否(N)  不修正此问题。\n[x] 退出(X)  退出故障排除。\n"
                     "Answer: y, n, x, esc\n> "),
            std::string::npos)
      << out;
  // F1 on a page without help is refused, saying why, and the prompt comes again.
  EXPECT_EQ(out.find("--- Help"), std::string::npos);
  EXPECT_NE(out.find("> \n? This page has no help topic.\n> "), std::string::npos) << out;
  EXPECT_NE(out.find("end code 22, nextStep 4, statusFlags 0"), std::string::npos) << out;
}

TEST_F(PagesToolRun, ConsoleHelpAndEndOfInput) {
  std::string out = Show(131, "f1\\n");
  EXPECT_NE(out.find("--- Help: 打印机端口 ---\n"), std::string::npos) << out;
  EXPECT_NE(out.find("(end of input)"), std::string::npos);
  EXPECT_NE(out.find("end code 2, nextStep 0"), std::string::npos) << out;
  EXPECT_NE(Show(145, "").find("end code 24"), std::string::npos);
  EXPECT_NE(Show(102, "").find("end code 7"), std::string::npos);
}

TEST_F(PagesToolRun, StartPageIsTheRealOne) {
  std::string out = Show(102, "p LPT2\\ny\\n");
  EXPECT_NE(out.find("    p 2 * LPT2:[本地]"), std::string::npos) << out;
  EXPECT_NE(out.find("selectedPortNumber 2, selectedPortNotLocal 0\nend code 6"), std::string::npos) << out;
  const std::string report = machine_.Read("C:\\WINDOWS\\TEMP\\tshooter.tmp");
  EXPECT_EQ(report.rfind("Tavix KRT-310 on LPT2:", 0), 0u) << report;
}

TEST_F(PagesToolRun, ResultsDialogIsTheRealOne) {
  machine_.Builder().File("C:\\WINDOWS\\TEMP\\tshooter.tmp", "first line of the report\r\n");
  std::string out = Show(142, "\\n");
  EXPECT_NE(out.find("  | first line of the report"), std::string::npos) << out;
  EXPECT_NE(out.find("end code 26"), std::string::npos) << out;  // kept as the log file
  EXPECT_FALSE(machine_.Exists("C:\\WINDOWS\\TEMP\\tshooter.tmp"));
}

// An ordinary Qt run, in a session without XDG_RUNTIME_DIR (a console login,
// a container): nothing on standard error, Qt's warnings included.
TEST_F(PagesToolRun, AQtRunPrintsNothingOnStandardError) {
  const fs::path program = PagesToolPath().parent_path().parent_path() / "src" / "dxlq7trs";
  std::string errors = Output(
      "env -u XDG_RUNTIME_DIR -u DISPLAY -u WAYLAND_DISPLAY QT_QPA_PLATFORM=offscreen "
      "TSHOOTER_UI=qt TSHOOTER_UNATTENDED=1 TSHOOTER_ROOT='" +
      machine_.Root().string() + "' '" + program.string() + "' 2>&1 >/dev/null");
  EXPECT_EQ(errors, "");
}

}  // namespace
