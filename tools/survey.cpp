// dxlq7-survey: checks many installations in a row with the "check" answering
// policy, one dxlq7trs process per machine, as many at once as there are
// cores, and prints one line per machine, in the order given:
//   machine <TAB> port <TAB> verdict <TAB> number of findings <TAB> exit code
// with a progress count on standard error. Nothing on the machines changes.
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

namespace fs = std::filesystem;

namespace {

constexpr const char* kUsage =
    "usage: dxlq7-survey [--jobs N] DIR-OR-IMAGE...\n"
    "  checks each Windows 95 installation with TSHOOTER_ANSWERS=check (nothing is changed) and prints\n"
    "  machine, port, verdict, number of findings and exit code, one tab-separated line per machine\n"
    "  DXLQ7TRS names the program to run (default: the one built with this tool)\n";

struct Machine {
  std::string name;
  pid_t pid = -1;
  bool done = false;
  int exitCode = -1;
};

std::string Slurp(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

std::string Program() {
  const char* program = std::getenv("DXLQ7TRS");
  return program && *program ? program : DXLQ7TRS_BINARY;
}

// One run of the program on `machine`, its summary and standard error in `work`.
pid_t Start(const std::string& program, const Machine& machine, const fs::path& work, std::size_t index) {
  const std::string summary = (work / (std::to_string(index) + ".json")).string();
  const std::string errors = (work / (std::to_string(index) + ".err")).string();
  pid_t child = fork();
  if (child != 0) return child;
  int out = open("/dev/null", O_RDWR);
  int err = open(errors.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  if (out < 0 || err < 0 || dup2(out, 0) < 0 || dup2(out, 1) < 0 || dup2(err, 2) < 0) _exit(2);
  setenv("TSHOOTER_ROOT", machine.name.c_str(), 1);
  setenv("TSHOOTER_ANSWERS", "check", 1);
  setenv("TSHOOTER_SUMMARY", summary.c_str(), 1);
  unsetenv("TSHOOTER_REPORT");
  execl(program.c_str(), program.c_str(), static_cast<char*>(nullptr));
  _exit(2);
}

std::string FirstLine(std::string text) {
  text = text.substr(0, text.find('\n'));
  if (text.starts_with("dxlq7trs: ")) text.erase(0, 10);
  return text.empty() ? "not checked" : "not checked: " + text;
}

// The machine's line, from its summary, or from what it said when it left none.
std::string Line(const Machine& machine, const fs::path& work, std::size_t index) {
  std::string port = "-", verdict, findings = "-";
  try {
    const auto summary = nlohmann::json::parse(Slurp(work / (std::to_string(index) + ".json")));
    if (summary.at("port").is_object()) port = summary["port"].at("name").get<std::string>();
    verdict = summary.at("verdict").is_string() ? summary["verdict"].get<std::string>() : "the checks did not end";
    findings = std::to_string(summary.at("findings").size());
  } catch (const nlohmann::json::exception&) {
    verdict = FirstLine(Slurp(work / (std::to_string(index) + ".err")));
  }
  return machine.name + "\t" + port + "\t" + verdict + "\t" + findings + "\t" + std::to_string(machine.exitCode);
}

class WorkDirectory {
 public:
  WorkDirectory() {
    std::string pattern = (fs::temp_directory_path() / "dxlq7-survey-XXXXXX").string();
    if (mkdtemp(pattern.data())) path_ = pattern;
  }
  ~WorkDirectory() {
    std::error_code ec;
    if (!path_.empty()) fs::remove_all(path_, ec);
  }
  WorkDirectory(const WorkDirectory&) = delete;
  WorkDirectory& operator=(const WorkDirectory&) = delete;
  const fs::path& Path() const { return path_; }

 private:
  fs::path path_;
};

}  // namespace

int main(int argc, char** argv) {
  std::vector<Machine> machines;
  unsigned jobs = std::max(1u, std::thread::hardware_concurrency());
  for (int i = 1; i < argc; ++i) {
    std::string_view argument = argv[i];
    if (argument == "--help" || argument == "-h") {
      std::cout << kUsage;
      return 0;
    }
    if (argument == "--jobs" && i + 1 < argc) {
      jobs = static_cast<unsigned>(std::max(1, std::atoi(argv[++i])));
      continue;
    }
    machines.push_back({std::string(argument)});
  }
  if (machines.empty()) {
    std::cerr << kUsage;
    return 2;
  }
  WorkDirectory work;
  if (work.Path().empty()) {
    std::cerr << "dxlq7-survey: no temporary directory for the summaries\n";
    return 2;
  }
  const std::string program = Program();
  std::map<pid_t, std::size_t> running;
  std::size_t next = 0, printed = 0, finished = 0;
  int worst = 0;
  while (finished < machines.size()) {
    while (running.size() < jobs && next < machines.size()) {
      machines[next].pid = Start(program, machines[next], work.Path(), next);
      if (machines[next].pid > 0) {
        running[machines[next].pid] = next;
      } else {
        std::cerr << "dxlq7-survey: no process for " << machines[next].name << "\n";
        return 2;
      }
      ++next;
    }
    int status = 0;
    const pid_t pid = running.empty() ? -1 : waitpid(-1, &status, 0);
    if (pid <= 0) break;
    auto it = running.find(pid);
    if (it == running.end()) continue;
    Machine& machine = machines[it->second];
    running.erase(it);
    machine.done = true;
    machine.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    worst = std::max(worst, machine.exitCode);
    std::cerr << "[" << ++finished << "/" << machines.size() << "] " << machine.name << "\n";
    for (; printed < machines.size() && machines[printed].done; ++printed)
      std::cout << Line(machines[printed], work.Path(), printed) << "\n" << std::flush;
  }
  return worst;
}
