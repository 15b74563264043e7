#include "platform/machine/disk_image_machine.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <system_error>

#include "platform/base/text.h"
#include "platform/machine/disk_image.h"
#include "platform/machine/host_open.h"
#include "platform/machine/tool_process.h"

namespace fs = std::filesystem;

namespace w95 {

namespace {

// mtools print and take names in the locale's character set: UTF-8, the host's.
const std::vector<std::string> kToolEnvironment = {"LC_ALL=C.UTF-8"};

ToolRun Mtool(std::vector<std::string> arguments) { return RunTool(arguments, kToolEnvironment); }

std::int64_t Nanoseconds(const timespec& time) { return std::int64_t{time.tv_sec} * 1000000000 + time.tv_nsec; }

bool ReadOnlyMode(const struct stat& st) { return !(st.st_mode & S_IWUSR); }

std::string ImageName(const std::string& relative) { return "::/" + relative; }

// Another process holding the image open: a virtual machine, a FUSE mount.
std::string OtherHolder(const struct stat& image) {
  std::error_code ec;
  const std::string self = std::to_string(getpid());
  for (fs::directory_iterator process("/proc", ec), end; !ec && process != end; process.increment(ec)) {
    const std::string pid = process->path().filename().string();
    if (pid.empty() || pid.find_first_not_of("0123456789") != std::string::npos || pid == self) continue;
    std::error_code fdError;
    for (fs::directory_iterator fd(process->path() / "fd", fdError), fdEnd; !fdError && fd != fdEnd;
         fd.increment(fdError)) {
      struct stat st;
      if (stat(fd->path().c_str(), &st) != 0 || st.st_dev != image.st_dev || st.st_ino != image.st_ino) continue;
      std::string name;
      if (auto comm = ReadRegularHostFile(process->path() / "comm", 256)) name = Trim(*comm, "\n");
      return "process " + pid + (name.empty() ? "" : " (" + name + ")");
    }
  }
  return {};
}

// A loop device of the kernel over the image (its mount, or one set up for it).
std::string LoopDevice(const fs::path& image) {
  std::error_code ec;
  const fs::path canonical = fs::canonical(image, ec);
  for (fs::directory_iterator block("/sys/block", ec), end; !ec && block != end; block.increment(ec)) {
    auto backing = ReadRegularHostFile(block->path() / "loop" / "backing_file", 4096);
    if (backing && Trim(*backing, "\n") == canonical.string()) return "/dev/" + block->path().filename().string();
  }
  return {};
}

// Why the image cannot be written now; empty when it can. `fd` is open for
// reading and writing.
std::string LockProblem(int fd, const fs::path& image) {
  if (flock(fd, LOCK_EX | LOCK_NB) != 0) return "another copy of this program is working on it";
  struct flock lock {};
  lock.l_type = F_WRLCK;
  lock.l_whence = SEEK_SET;
  if (fcntl(fd, F_OFD_GETLK, &lock) == 0 && lock.l_type != F_UNLCK)
    return "another program holds a lock on it (a virtual machine that uses it?)";
  struct stat st;
  if (fstat(fd, &st) != 0) return "it cannot be examined";
  if (auto holder = OtherHolder(st); !holder.empty())
    return "another program has it open (" + holder + "): end it, or unmount the image, first";
  if (auto loop = LoopDevice(image); !loop.empty())
    return "it is attached to the loop device " + loop + ": unmount it and detach that first";
  return {};
}

}  // namespace

DiskImageMachine::DiskImageMachine(fs::path image, std::uint64_t offset, int lockFd)
    : image_(std::move(image)), offset_(offset), lockFd_(lockFd) {}

DiskImageMachine::~DiskImageMachine() {
  std::error_code ec;
  if (!staging_.empty() && !keepStaging_) fs::remove_all(staging_, ec);
  if (lockFd_ >= 0) close(lockFd_);
}

std::string DiskImageMachine::Drive() const { return image_.string() + "@@" + std::to_string(offset_); }

std::unique_ptr<DiskImageMachine> DiskImageMachine::Open(const fs::path& image, std::string& problem) {
  // A file without write bits is read-only for root too, as the read-only attribute is.
  struct stat st;
  const int fd = stat(image.c_str(), &st) == 0 && !(st.st_mode & S_IWUSR)
                     ? (errno = EACCES, -1)
                     : open(image.c_str(), O_RDWR | O_CLOEXEC | O_NOFOLLOW);
  if (fd < 0) {
    problem = errno == EACCES || errno == EROFS || errno == EPERM
                  ? "the image file is read-only, so no fix could be kept: make it writable or work on a copy"
                  : std::string("the image file cannot be opened: ") + std::strerror(errno);
    return nullptr;
  }
  UniqueFd lock(fd);
  if (problem = LockProblem(fd, image); !problem.empty()) return nullptr;
  auto offset = FatVolumeOffset(image, problem);
  if (!offset) return nullptr;
  std::unique_ptr<DiskImageMachine> machine(new DiskImageMachine(image, *offset, lock.release()));
  const char* tmp = std::getenv("TMPDIR");
  std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/dxlq7trs-image-XXXXXX";
  if (!mkdtemp(pattern.data())) {
    problem = "no staging directory can be made in " + fs::path(pattern).parent_path().string();
    return nullptr;
  }
  machine->staging_ = pattern;
  if (!machine->CopyOut(problem) || !machine->ReadAttributes(problem)) return nullptr;
  return machine;
}

bool DiskImageMachine::CopyOut(std::string& problem) {
  ToolRun copy = Mtool({"mcopy", "-s", "-m", "-n", "-Q", "-i", Drive(), "::*", staging_.string() + "/"});
  if (!copy.Succeeded()) {
    problem = "its files cannot be read with mtools: " + copy.Problem();
    return false;
  }
  return true;
}

bool DiskImageMachine::ReadAttributes(std::string& problem) {
  ToolRun list = Mtool({"mattrib", "-/", "-i", Drive(), "::"});
  if (!list.Succeeded()) {
    problem = "its attributes cannot be read with mtools: " + list.Problem();
    return false;
  }
  std::map<std::string, std::string> attributes;
  for (std::size_t at = 0; at < list.output.size();) {
    std::size_t end = list.output.find('\n', at);
    if (end == std::string::npos) end = list.output.size();
    const std::string line = list.output.substr(at, end - at);
    at = end + 1;
    const std::size_t name = line.find("::/");
    if (name == std::string::npos || name + 3 >= line.size()) continue;
    std::string flags;
    for (char c : line.substr(0, name))
      if (c == 'A' || c == 'H' || c == 'S' || c == 'R') flags += c;
    attributes[line.substr(name + 3)] = flags;
  }
  std::error_code ec;
  for (fs::recursive_directory_iterator it(staging_, ec), end; !ec && it != end; it.increment(ec)) {
    const std::string relative = it->path().lexically_relative(staging_).generic_string();
    struct stat st;
    if (lstat(it->path().c_str(), &st) != 0) continue;
    if (S_ISDIR(st.st_mode)) {
      directories_.insert(relative);
      continue;
    }
    if (!S_ISREG(st.st_mode)) continue;
    const std::string& flags = attributes[relative];
    Entry entry;
    entry.readOnly = flags.find('R') != std::string::npos;
    for (char c : flags)
      if (c != 'R') entry.attributes += c;
    if (entry.readOnly) chmod(it->path().c_str(), st.st_mode & ~0222);
    entry.inode = st.st_ino;
    entry.size = st.st_size;
    entry.modified = Nanoseconds(st.st_mtim);
    files_[relative] = entry;
  }
  if (ec) problem = "its files cannot be listed in " + staging_.string();
  return !ec;
}

bool DiskImageMachine::PutFile(const std::string& relative, const Entry* old, std::vector<std::string>& problems) {
  const fs::path host = staging_ / relative;
  const std::string directory = fs::path(relative).parent_path().generic_string();
  std::string temporary;
  do {
    char name[16];
    std::snprintf(name, sizeof name, "~DXL%04u.TMP", ++temporaryNumber_ % 10000);
    temporary = directory.empty() ? name : directory + "/" + name;
  } while (files_.contains(temporary));
  auto fail = [&](const std::string& what) {
    problems.push_back(ImageName(relative) + ": " + what);
    Mtool({"mdel", "-i", Drive(), ImageName(temporary)});
    return false;
  };
  ToolRun copy = Mtool({"mcopy", "-m", "-D", "o", "-i", Drive(), host.string(), ImageName(temporary)});
  if (!copy.Succeeded()) return fail("cannot be written: " + copy.Problem());
  ToolRun back = Mtool({"mtype", "-i", Drive(), ImageName(temporary)});
  auto bytes = ReadRegularHostFile(host);
  if (!back.Succeeded() || !bytes || back.output != *bytes) return fail("does not read back as written");
  if (old) Mtool({"mattrib", "-r", "-h", "-s", "-i", Drive(), ImageName(relative)});
  ToolRun rename = Mtool({"mren", "-D", "o", "-i", Drive(), ImageName(temporary), ImageName(relative)});
  if (!rename.Succeeded()) return fail("cannot be renamed over the old file: " + rename.Problem());
  struct stat st;
  const bool readOnly = stat(host.c_str(), &st) == 0 && ReadOnlyMode(st);
  std::vector<std::string> attributes = {"mattrib", "+a", readOnly ? "+r" : "-r"};
  if (old && old->attributes.find('H') != std::string::npos) attributes.push_back("+h");
  if (old && old->attributes.find('S') != std::string::npos) attributes.push_back("+s");
  attributes.insert(attributes.end(), {"-i", Drive(), ImageName(relative)});
  ToolRun set = Mtool(attributes);
  if (!set.Succeeded()) {
    problems.push_back(ImageName(relative) + ": its attributes cannot be set: " + set.Problem());
    return false;
  }
  return true;
}

std::vector<std::string> DiskImageMachine::WriteBack() {
  std::vector<std::string> problems;
  std::set<std::string> seen;
  std::error_code ec;
  for (fs::recursive_directory_iterator it(staging_, ec), end; !ec && it != end; it.increment(ec)) {
    const std::string relative = it->path().lexically_relative(staging_).generic_string();
    // Host dot files are no Windows files (a replace's temporary a killed run left).
    if (it->path().filename().string().starts_with(".")) {
      if (it->is_directory(ec)) it.disable_recursion_pending();
      continue;
    }
    struct stat st;
    if (lstat(it->path().c_str(), &st) != 0) continue;
    if (S_ISDIR(st.st_mode)) {
      if (directories_.contains(relative)) continue;
      ToolRun made = Mtool({"mmd", "-i", Drive(), ImageName(relative)});
      if (made.Succeeded()) {
        directories_.insert(relative);
      } else {
        problems.push_back(ImageName(relative) + ": the directory cannot be made: " + made.Problem());
        it.disable_recursion_pending();
      }
      continue;
    }
    if (!S_ISREG(st.st_mode)) continue;
    seen.insert(relative);
    auto found = files_.find(relative);
    const Entry* old = found == files_.end() ? nullptr : &found->second;
    if (!old || old->inode != st.st_ino || old->size != st.st_size || old->modified != Nanoseconds(st.st_mtim)) {
      PutFile(relative, old, problems);
    } else if (old->readOnly != ReadOnlyMode(st)) {
      ToolRun set = Mtool({"mattrib", ReadOnlyMode(st) ? "+r" : "-r", "-i", Drive(), ImageName(relative)});
      if (!set.Succeeded()) problems.push_back(ImageName(relative) + ": the read-only attribute cannot be set");
    }
  }
  if (ec) problems.push_back(staging_.string() + ": cannot be listed");
  for (const auto& [relative, entry] : files_) {
    if (seen.contains(relative)) continue;
    Mtool({"mattrib", "-r", "-h", "-s", "-i", Drive(), ImageName(relative)});
    ToolRun removed = Mtool({"mdel", "-i", Drive(), ImageName(relative)});
    if (!removed.Succeeded()) problems.push_back(ImageName(relative) + ": cannot be deleted: " + removed.Problem());
  }
  if (!problems.empty()) {
    keepStaging_ = true;
    problems.push_back("the run's files are kept in " + staging_.string());
    return problems;
  }
  // The process may end without destructors (ExitProcess): the copy goes now.
  fs::remove_all(staging_, ec);
  staging_.clear();
  return problems;
}

}  // namespace w95
