// The real program on machines that hold something odd where a file belongs,
// or whose files may not grow: it reaches its end with its pages, every time.
// The program runs in a child with an alarm as a guard, so a hang shows as a
// kill by SIGALRM rather than a stuck test.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>

#include "machine_builder/machine_builder.h"
#include "platform/base/cp936.h"
#include "support/program_run.h"

namespace dxl {
namespace {

namespace fs = std::filesystem;

constexpr const char* kLog = "C:\\WINDOWS\\DXL\\98031500.LOG";

using Exit = testing::ProgramExit;

class HostileMachine : public testing::ProgramRunTest {
 protected:
  Exit Run(std::string_view answers, std::optional<rlim_t> fileSizeLimit = std::nullopt) {
    return RunProgram(answers, fileSizeLimit);
  }
  fs::path Host(std::string_view windowsPath) { return machine_.Builder().HostPath(windowsPath); }
};

enum class Node { Fifo, ZeroDevice };

// A FIFO, or a character device that reads zeros without end (a link to
// /dev/zero where no device node can be made).
void PlaceNode(const fs::path& path, Node node) {
  std::error_code ec;
  fs::remove(path, ec);
  if (node == Node::Fifo) {
    ASSERT_EQ(mkfifo(path.c_str(), 0644), 0) << path;
    return;
  }
  if (mknod(path.c_str(), S_IFCHR | 0644, makedev(1, 5)) != 0) fs::create_symlink("/dev/zero", path);
}

TEST_F(HostileMachine, NoFileAtAFilesNameStillReachesTheEnd) {
  // Without WIN.INI no printer is found: the start page offers only No.
  // Without SYSTEM.INI the directory is no installation: said before any page.
  struct Case {
    const char* name;
    const char* lastPage;
    int code = 0;
  } cases[] = {
      {"C:\\WINDOWS\\SYSTEM.INI", "no Windows installation", 2},
      {"C:\\WINDOWS\\WIN.INI", "[102]"},
      // Each of these leaves a problem (3); a report that cannot be written is 4.
      {"C:\\WINDOWS\\SYSTEM\\DXLQ7SET.INF", "[142]", 3},
      {"C:\\MSDOS.SYS", "[142]", 3},
      {"C:\\MACHINE.INI", "[142]", 3},
      {"C:\\WINDOWS\\SYSTEM\\DXLQ7EM.386", "[142]", 3},
      {"C:\\WINDOWS\\TEMP\\tshooter.tmp", "[142]", 4},
  };
  for (Node node : {Node::Fifo, Node::ZeroDevice}) {
    for (const auto& c : cases) {
      SCOPED_TRACE(std::string(c.name) + (node == Node::Fifo ? " as a FIFO" : " as a device"));
      fs::path host = Host(c.name);
      std::string before = fs::exists(host) ? machine_.Read(c.name) : std::string();
      PlaceNode(host, node);
      Exit exit = Run("#6\n#1\n");
      EXPECT_TRUE(exit.exited) << "signal " << exit.signal << "\n" << Output();
      EXPECT_EQ(exit.code, c.code) << Output();
      EXPECT_NE(Output().find(c.lastPage), std::string::npos) << Output();
      fs::remove(host);
      if (!before.empty()) machine_.Builder().File(c.name, before);
      for (const auto& entry : fs::directory_iterator(Host("C:\\WINDOWS\\DXL"))) fs::remove(entry.path());
    }
  }
}

// A fix whose file cannot be written because of the file-size limit: the file
// stays whole, no temporary file is left, and the program ends with its
// results page.
TEST_F(HostileMachine, AFixBeyondTheFileSizeLimitIsNotMadeAndTheRunEnds) {
  std::string systemIni = tools::StandardSystemIni();
  systemIni.erase(systemIni.find("device=DXLCPEPY.386\r\n"), 21);
  systemIni += "[padding]\r\n" + std::string(8192, ';') + "\r\n";  // longer than the limit; the report is not
  machine_.Builder().SystemIni(systemIni);
  constexpr rlim_t kLimit = 4096;

  Exit exit = Run("#6\n#1018\n#1\n", kLimit);
  ASSERT_TRUE(exit.exited) << "signal " << exit.signal << "\n" << Output();
  EXPECT_EQ(exit.code, 4) << Output();  // the fix could not be written
  EXPECT_NE(Output().find("[142]"), std::string::npos) << "no results page\n" << Output();
  EXPECT_EQ(machine_.Read("C:\\WINDOWS\\SYSTEM.INI"), systemIni);
  for (const auto& entry : fs::directory_iterator(Host("C:\\WINDOWS")))
    EXPECT_FALSE(entry.path().filename().string().starts_with(".")) << entry.path();
  std::string log = w95::Cp936ToUtf8Lossy(machine_.Read(kLog));
  EXPECT_NE(log.find("错误: SYSTEM.INI 中遗漏 device=DXLCPEPY.386"), std::string::npos) << log;
}

}  // namespace
}  // namespace dxl
