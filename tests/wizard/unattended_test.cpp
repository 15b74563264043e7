// The real program without a user: the answering policies (TSHOOTER_ANSWERS),
// the exit codes, the summary for scripts and the undo of a run, on the demo
// machine and on machines made to fail.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "support/demo_fixture.h"
#include "support/slurp.h"
#include "support/temp_machine.h"

namespace dxl {
namespace {

namespace fs = std::filesystem;

struct Outcome {
  int code = -1;  // the exit code; -1 when the program did not exit
  std::string out;
  std::string err;
};

using testing::Slurp;

// Every file of a tree by its path below the root, with its bytes; `skip`: a
// directory below the root left out.
std::map<std::string, std::string> Tree(const fs::path& root, const std::string& skip = {}) {
  std::map<std::string, std::string> files;
  for (const auto& entry : fs::recursive_directory_iterator(root)) {
    const std::string relative = entry.path().lexically_relative(root).string();
    if (!skip.empty() && relative.starts_with(skip)) continue;
    if (entry.is_regular_file()) files[relative] = Slurp(entry.path());
  }
  return files;
}

class Unattended : public testing::DemoMachineTest {
 protected:
  void TearDown() override {
    std::error_code ec;
    for (const char* suffix : {".out", ".err", ".report", ".json", ".outside"}) fs::remove(Side(suffix), ec);
  }

  // The program with `environment` added ("NAME=value") and `arguments`.
  Outcome Start(std::vector<std::string> environment, std::vector<std::string> arguments = {}) {
    pid_t child = fork();
    if (child == 0) {
      FILE* out = std::freopen(Side(".out").c_str(), "w", stdout);
      FILE* err = std::freopen(Side(".err").c_str(), "w", stderr);
      FILE* in = std::freopen("/dev/null", "r", stdin);
      if (!out || !err || !in) _exit(120);
      unsetenv("DISPLAY");
      unsetenv("WAYLAND_DISPLAY");
      setenv("TSHOOTER_ROOT", machine_.Root().c_str(), 1);
      for (auto& setting : environment) putenv(setting.data());
      std::vector<char*> argv{const_cast<char*>(DXLQ7TRS_BINARY)};
      for (auto& argument : arguments) argv.push_back(argument.data());
      argv.push_back(nullptr);
      alarm(60);
      execv(DXLQ7TRS_BINARY, argv.data());
      _exit(123);
    }
    int status = 0;
    waitpid(child, &status, 0);
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, Slurp(Side(".out")), Slurp(Side(".err"))};
  }
  Outcome Check(std::vector<std::string> more = {}) {
    more.push_back("TSHOOTER_ANSWERS=check");
    return Start(std::move(more));
  }
  Outcome Fix(std::vector<std::string> more = {}) {
    more.push_back("TSHOOTER_ANSWERS=fix");
    return Start(std::move(more));
  }
  fs::path Host(std::string_view relative) const { return machine_.Root() / relative; }
};

TEST_F(Unattended, CheckChangesNothingAndPrintsTheWholeReport) {
  const auto before = Tree(machine_.Root());
  for (const char* port : {"LPT1", "LPT2"}) {
    Outcome run = Check({std::string("TSHOOTER_PORT=") + port});
    EXPECT_EQ(run.code, 3) << port << run.err;
    EXPECT_TRUE(run.out.starts_with("Tavix KRT-310 on " + std::string(port) + ":")) << run.out;
    EXPECT_NE(run.out.find("错误: 虚拟内存被取消 - 未修正\n"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("设定不正确。\n"), std::string::npos) << run.out;
  }
  EXPECT_EQ(Tree(machine_.Root()), before);

  Outcome toFile = Check({"TSHOOTER_REPORT=" + Side(".report").string()});
  EXPECT_EQ(toFile.out, "");
  EXPECT_NE(Slurp(Side(".report")).find("错误: 本打印机的双向支持被取消 - 未修正\n"), std::string::npos);
  EXPECT_EQ(Tree(machine_.Root()), before);
}

TEST_F(Unattended, FixMendsBothPortsAndExitsZero) {
  EXPECT_EQ(Fix().code, 0);
  EXPECT_TRUE(machine_.Exists("C:\\WINDOWS\\DXL\\98031500.LOG"));
  EXPECT_EQ(Fix({"TSHOOTER_PORT=lpt2"}).code, 0);
  const auto mended = Tree(machine_.Root());
  for (const char* port : {"LPT1", "LPT2"}) {
    Outcome again = Check({std::string("TSHOOTER_PORT=") + port});
    EXPECT_EQ(again.code, 0) << port << again.out;
    EXPECT_NE(again.out.find("设定正确。\n"), std::string::npos) << again.out;
  }
  EXPECT_EQ(Tree(machine_.Root()), mended);
}

// Each cause of a code: a fix that cannot write, a log that cannot be
// written, a port that is not there, a policy that does not exist.
TEST_F(Unattended, ExitCodesSayWhatWentWrong) {
  fs::permissions(Host("WINDOWS/SYSTEM.INI"), fs::perms::owner_write, fs::perm_options::remove);
  Outcome fixFailed = Fix();
  EXPECT_EQ(fixFailed.code, 4) << fixFailed.err;
  fs::permissions(Host("WINDOWS/SYSTEM.INI"), fs::perms::owner_write, fs::perm_options::add);

  EXPECT_EQ(Check({"TSHOOTER_PORT=LPT7"}).code, 2);
  EXPECT_EQ(Start({"TSHOOTER_ANSWERS=maybe"}).code, 2);
  EXPECT_EQ(Check({"TSHOOTER_REPORT=" + (machine_.Root() / "no" / "such" / "dir").string()}).code, 4);

  // All mended, then no DXL directory to keep the log in: only the log fails.
  EXPECT_EQ(Fix().code, 0);
  fs::remove_all(Host("WINDOWS/DXL/"));
  std::ofstream(Host("WINDOWS/DXL/")) << "not a directory";
  Outcome logFailed = Fix();
  EXPECT_EQ(logFailed.code, 4) << logFailed.out << logFailed.err;
}

TEST_F(Unattended, SummaryValidatesAgainstTheSchemaAndNamesTheChanges) {
  Outcome run = Fix({"TSHOOTER_SUMMARY=" + Side(".json").string()});
  ASSERT_EQ(run.code, 0) << run.err;
  const std::string summary = Slurp(Side(".json"));
  // Valid by the schema, and a SYSTEM.INI it names as changed has the digest and size of the file on disk.
  const std::string validate =
      "python3 -c 'import hashlib,json,sys,jsonschema; a=sys.argv; s=json.load(open(a[1])); "
      "jsonschema.validate(s, json.load(open(a[2]))); d=open(a[3], \"rb\").read(); "
      "sys.exit(len([c for c in s[\"changedFiles\"] if c[\"path\"].endswith(\"SYSTEM.INI\") and "
      "(c[\"after\"][\"sha256\"], c[\"after\"][\"size\"]) != (hashlib.sha256(d).hexdigest(), len(d))]))' '" +
      Side(".json").string() + "' '" DXL_SOURCE_DIR "/docs/summary.schema.json' '" +
      (machine_.Root() / "WINDOWS" / "SYSTEM.INI").string() + "'";
  EXPECT_EQ(std::system(validate.c_str()), 0) << summary;
  EXPECT_NE(summary.find("\"outcome\": \"fixed\""), std::string::npos) << summary;
  EXPECT_NE(summary.find("错误: 虚拟内存被取消 - 已修正"), std::string::npos) << summary;
  EXPECT_NE(summary.find("\"path\": \"C:\\\\WINDOWS\\\\SYSTEM.INI\""), std::string::npos) << summary;
  EXPECT_NE(summary.find("\"exitCode\": 0"), std::string::npos) << summary;

  // LPT2:'s connection is still not persistent: declined.
  Outcome declined = Check({"TSHOOTER_PORT=LPT2", "TSHOOTER_SUMMARY=" + Side(".json").string()});
  EXPECT_EQ(declined.code, 3);
  EXPECT_EQ(std::system(validate.c_str()), 0) << Slurp(Side(".json"));
  const std::string declinedSummary = Slurp(Side(".json"));
  EXPECT_NE(declinedSummary.find("\"outcome\": \"declined\""), std::string::npos) << declinedSummary;
  EXPECT_NE(declinedSummary.find("\"changedFiles\": []"), std::string::npos) << declinedSummary;
  EXPECT_NE(declinedSummary.find("\"exitCode\": 3"), std::string::npos) << declinedSummary;
}

TEST_F(Unattended, UndoPutsBackEveryFileOfEachRunInTurn) {
  const auto original = Tree(machine_.Root(), "WINDOWS/DXL/");
  ASSERT_EQ(Fix().code, 0);
  const auto afterFirst = Tree(machine_.Root(), "WINDOWS/DXL/");
  ASSERT_EQ(Fix({"TSHOOTER_PORT=LPT2"}).code, 0);
  ASSERT_NE(Tree(machine_.Root(), "WINDOWS/DXL/"), afterFirst);

  Outcome second = Start({}, {"--undo"});
  EXPECT_EQ(second.code, 0) << second.err;
  EXPECT_EQ(Tree(machine_.Root(), "WINDOWS/DXL/"), afterFirst);
  Outcome first = Start({}, {"--undo"});
  EXPECT_EQ(first.code, 0) << first.err;
  EXPECT_NE(first.out.find("restored C:\\WINDOWS\\SYSTEM.INI"), std::string::npos) << first.out;
  EXPECT_EQ(Tree(machine_.Root(), "WINDOWS/DXL/"), original);
  EXPECT_EQ(Start({}, {"--undo"}).code, 2);
}

TEST_F(Unattended, UndoRefusesWhenAFileChangedSinceAndNamesIt) {
  const auto original = Tree(machine_.Root(), "WINDOWS/DXL/");
  ASSERT_EQ(Fix().code, 0);
  std::ofstream(Host("WINDOWS/SYSTEM.INI"), std::ios::app) << "; edited by hand\r\n";
  const auto edited = Tree(machine_.Root(), "WINDOWS/DXL/");

  Outcome refused = Start({}, {"--undo"});
  EXPECT_EQ(refused.code, 3);
  EXPECT_NE(refused.err.find("C:\\WINDOWS\\SYSTEM.INI: its contents changed since the run"), std::string::npos)
      << refused.err;
  EXPECT_EQ(Tree(machine_.Root(), "WINDOWS/DXL/"), edited);

  Outcome forced = Start({}, {"--undo", "--force"});
  EXPECT_EQ(forced.code, 0) << forced.err;
  EXPECT_EQ(Tree(machine_.Root(), "WINDOWS/DXL/"), original);
}

// A record whose path leads out of the machine (edited, or from elsewhere)
// restores nothing there: the file beside the machine stays as it is.
TEST_F(Unattended, UndoOfARecordNamingAPathOutsideTheMachineWritesNothingThere) {
  ASSERT_EQ(Fix().code, 0);
  const fs::path record = Host("WINDOWS/DXL/UNDO0001.JSN");
  const std::string genuine = Slurp(record);
  const std::string systemIni = "\"path\": \"C:\\\\WINDOWS\\\\SYSTEM.INI\"";
  ASSERT_NE(genuine.find(systemIni), std::string::npos) << genuine;
  const std::string outside = machine_.Root().filename().string() + ".outside";
  std::ofstream(Side(".outside")) << "host file\n";
  for (const std::string& path : {"C:\\\\..\\\\" + outside, "C:\\\\WINDOWS\\\\..\\\\..\\\\" + outside,
                                  "\\\\\\\\PRINTSRV\\\\KRT310\\\\..\\\\..\\\\" + outside}) {
    std::string hostile = genuine;
    hostile.replace(hostile.find(systemIni), systemIni.size(), "\"path\": \"" + path + "\"");
    std::ofstream(record, std::ios::binary | std::ios::trunc) << hostile;
    Outcome undo = Start({}, {"--undo", "--force"});
    EXPECT_EQ(undo.code, 4) << path << undo.err;
    EXPECT_EQ(Slurp(Side(".outside")), "host file\n") << path;
  }
}

}  // namespace
}  // namespace dxl
