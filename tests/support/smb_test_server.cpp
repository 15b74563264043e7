#include "support/smb_test_server.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <signal.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <sstream>
#include <thread>

#include "platform/network/smb/tcp_probe.h"

extern char** environ;

namespace fs = std::filesystem;
using namespace std::chrono_literals;

namespace dxl::testing {

namespace {

constexpr auto kStartTimeout = 15s;
constexpr auto kStopTimeout = 5s;

// A port of 127.0.0.1 that nothing listens on right now.
std::uint16_t FreeLoopbackPort() {
  int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return 0;
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof address;
  std::uint16_t port = 0;
  if (bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
      getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) == 0)
    port = ntohs(address.sin_port);
  close(fd);
  return port;
}

std::optional<fs::path> FindSmbd() {
  for (const char* candidate : {"/usr/sbin/smbd", "/usr/local/sbin/smbd", "/sbin/smbd"})
    if (access(candidate, X_OK) == 0) return fs::path(candidate);
  return std::nullopt;
}

std::string ReadText(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

bool IsGone(int pid) {
  int status = 0;
  waitpid(pid, &status, WNOHANG);  // reaps it when it is our descendant
  std::string stat = ReadText("/proc/" + std::to_string(pid) + "/stat");
  if (stat.empty()) return true;
  auto close = stat.rfind(')');
  return close != std::string::npos && close + 2 < stat.size() && stat[close + 2] == 'Z';
}

bool WaitUntilGone(const std::vector<int>& pids, std::chrono::steady_clock::duration timeout) {
  auto deadline = std::chrono::steady_clock::now() + timeout;
  for (;;) {
    bool all = true;
    for (int pid : pids) all = all && IsGone(pid);
    if (all) return true;
    if (std::chrono::steady_clock::now() >= deadline) return false;
    std::this_thread::sleep_for(20ms);
  }
}

}  // namespace

SmbTestServer::SmbTestServer() {
  std::string templ = (fs::temp_directory_path() / "dxl-smbd-XXXXXX").string();
  if (!mkdtemp(templ.data())) {
    ADD_FAILURE() << "cannot make a directory for the test server";
    return;
  }
  dir_ = templ;
  // smbd serves the shares as the guest account: the tree must be readable.
  fs::permissions(dir_, fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec | fs::perms::others_read |
                            fs::perms::others_exec);
  for (const char* sub : {"private", "state", "pid", "log", "shares", "spool"}) fs::create_directory(dir_ / sub);
  fs::permissions(dir_ / "spool", fs::perms::all | fs::perms::sticky_bit);
}

SmbTestServer::~SmbTestServer() {
  Stop();
  std::error_code ec;
  if (!dir_.empty()) fs::remove_all(dir_, ec);
}

void SmbTestServer::AddDiskShare(std::string_view share) {
  fs::create_directories(ShareDirectory(share));
  diskShares_.emplace_back(share);
}

void SmbTestServer::AddPrintShare(std::string_view share) { printShares_.emplace_back(share); }

void SmbTestServer::AddFile(std::string_view share, std::string_view path, std::string_view bytes,
                            std::optional<std::int64_t> modified) {
  fs::path file = ShareDirectory(share) / std::string(path);
  fs::create_directories(file.parent_path());
  std::ofstream(file, std::ios::binary) << bytes;
  if (!modified) return;
  timespec times[2] = {{static_cast<time_t>(*modified), 0}, {static_cast<time_t>(*modified), 0}};
  utimensat(AT_FDCWD, file.c_str(), times, 0);
}

std::string SmbTestServer::Configuration() const {
  std::string d = dir_.string();
  std::string text =
      "[global]\n  server role = standalone server\n  interfaces = lo 127.0.0.1\n"
      "  bind interfaces only = yes\n  disable netbios = yes\n";
  text += "  smb ports = " + std::to_string(port_) + "\n";
  for (const char* key : {"private dir", "lock directory", "state directory", "cache directory", "ncalrpc dir"})
    text += std::string("  ") + key + " = " + d + "/state\n";
  text += "  pid directory = " + d + "/pid\n  passdb backend = tdbsam:" + d + "/private/passdb.tdb\n";
  text += "  log file = " + d + "/log/log.%m\n  log level = 0\n";
  text += "  map to guest = Bad User\n  guest account = nobody\n";
  text += "  load printers = no\n  printing = bsd\n  printcap name = /dev/null\n";
  for (const char* key : {"print command", "lpq command", "lprm command", "lppause command", "lpresume command",
                          "queuepause command", "queueresume command"})
    text += std::string("  ") + key + " = /bin/true\n";
  for (const auto& share : diskShares_)
    text += "[" + share + "]\n  path = " + ShareDirectory(share).string() + "\n  guest ok = yes\n  read only = yes\n";
  for (const auto& share : printShares_)
    text += "[" + share + "]\n  path = " + d + "/spool\n  printable = yes\n  guest ok = yes\n";
  return text;
}

bool SmbTestServer::Start() {
  auto smbd = FindSmbd();
  if (!smbd) {
    ADD_FAILURE() << "smbd is not installed (scripts/install-deps installs samba)";
    return false;
  }
  std::error_code ec;
  for (const auto& entry : fs::recursive_directory_iterator(dir_ / "shares", ec))
    fs::permissions(entry.path(),
                    fs::perms::others_read | fs::perms::group_read |
                        (entry.is_directory() ? fs::perms::others_exec | fs::perms::group_exec : fs::perms::none),
                    fs::perm_options::add, ec);
  port_ = FreeLoopbackPort();
  fs::path conf = dir_ / "smb.conf";
  std::ofstream(conf, std::ios::binary) << Configuration();
  std::string configArg = conf.string();
  std::string logArg = (dir_ / "log").string();
  std::vector<char*> argv = {const_cast<char*>(smbd->c_str()),
                             const_cast<char*>("-D"),
                             const_cast<char*>("-s"),
                             configArg.data(),
                             const_cast<char*>("-l"),
                             logArg.data(),
                             nullptr};
  // The daemons detach from us; as their subreaper this process collects
  // them when they end, whatever the container's first process does.
  prctl(PR_SET_CHILD_SUBREAPER, 1);
  pid_t pid = 0;
  if (posix_spawn(&pid, smbd->c_str(), nullptr, nullptr, argv.data(), environ) != 0) {
    ADD_FAILURE() << "cannot run " << *smbd;
    return false;
  }
  started_ = true;
  // smbd -D forks its daemon and the first process ends.
  auto deadline = std::chrono::steady_clock::now() + kStartTimeout;
  int status = 0;
  while (waitpid(pid, &status, WNOHANG) == 0) {
    if (std::chrono::steady_clock::now() >= deadline) {
      kill(pid, SIGKILL);
      waitpid(pid, &status, 0);
      ADD_FAILURE() << "smbd did not detach";
      return false;
    }
    std::this_thread::sleep_for(10ms);
  }
  while (!w95::AcceptsConnections("127.0.0.1", port_, 200ms)) {
    if (std::chrono::steady_clock::now() >= deadline) {
      ADD_FAILURE() << "smbd does not accept connections on port " << port_ << ":\n"
                    << ReadText(dir_ / "log" / "log.smbd");
      return false;
    }
    std::this_thread::sleep_for(20ms);
  }
  return true;
}

// The processes of this server: those whose command line names its
// configuration (smbd, samba-dcerpcd and the workers carry it).
std::vector<int> SmbTestServer::OwnProcesses() const {
  std::vector<int> pids;
  std::string conf = (dir_ / "smb.conf").string();
  std::error_code ec;
  for (const auto& entry : fs::directory_iterator("/proc", ec)) {
    std::string name = entry.path().filename().string();
    if (name.empty() || name.find_first_not_of("0123456789") != std::string::npos) continue;
    std::string cmdline = ReadText(entry.path() / "cmdline");
    if (cmdline.find(conf) != std::string::npos) pids.push_back(std::stoi(name));
  }
  return pids;
}

void SmbTestServer::Stop() {
  if (!started_) return;
  started_ = false;
  // First the daemons named in the pid files, so they end their workers...
  std::vector<int> daemons;
  std::error_code ec;
  auto own = OwnProcesses();
  for (const auto& entry : fs::directory_iterator(dir_ / "pid", ec)) {
    int pid = std::atoi(ReadText(entry.path()).c_str());
    if (pid > 0 && std::find(own.begin(), own.end(), pid) != own.end()) daemons.push_back(pid);
  }
  for (int pid : daemons) kill(pid, SIGTERM);
  WaitUntilGone(daemons, kStopTimeout);
  // ...then whatever of this server is left.
  auto rest = OwnProcesses();
  for (int pid : rest) kill(pid, SIGKILL);
  if (!WaitUntilGone(rest, kStopTimeout)) ADD_FAILURE() << "processes of the test smbd are still running";
}

void SmbTestServer::Declare(tools::MachineBuilder& builder, std::string_view name) const {
  std::string section = "Server " + std::string(name);
  builder.MachineIni(section, "Backend", "smb");
  builder.MachineIni(section, "Address", "127.0.0.1");
  builder.MachineIni(section, "Port", std::to_string(port_));
}

}  // namespace dxl::testing
