#include "platform/machine/disk_image_machine.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string_view>
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

// mtools take "*", "?" and "[" in a name they look up as wildcards: each is
// given as a class of itself alone.
std::string Escaped(std::string_view names) {
  std::string escaped;
  for (char c : names) {
    if (c == '*' || c == '?' || c == '[') {
      escaped += std::string("[") + c + "]";
    } else {
      escaped += c;
    }
  }
  return escaped;
}

// An existing file or directory, as a pattern that matches it alone.
std::string ImagePattern(const std::string& relative) { return "::/" + Escaped(relative); }

// A name to make: its directories are looked up, the name itself is taken as it is.
std::string ImageTarget(const std::string& relative) {
  const std::size_t cut = relative.rfind('/');
  if (cut == std::string::npos) return "::/" + relative;
  return "::/" + Escaped(std::string_view(relative).substr(0, cut + 1)) + relative.substr(cut + 1);
}

// A relative path of the image that stays below the staging directory.
bool IsPlainRelative(const std::string& relative) {
  if (relative.empty()) return false;
  for (const auto& part : fs::path(relative))
    if (part.empty() || part == "." || part == ".." || part == "/") return false;
  return relative.find("//") == std::string::npos;
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  for (std::size_t at = 0; at < text.size();) {
    std::size_t end = text.find('\n', at);
    if (end == std::string::npos) end = text.size();
    lines.push_back(text.substr(at, end - at));
    at = end + 1;
  }
  return lines;
}

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
  fetching_.reset();
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
  std::error_code ec;
  machine->staging_ = fs::absolute(pattern, ec);
  if (!machine->ListDrive(problem)) return nullptr;
  machine->fetching_ = std::make_unique<ScopedHostFetcher>(static_cast<HostFetcher&>(*machine));
  return machine;
}

// The drive's directories and files, from one recursive listing of their names
// ("::/WINDOWS/" for a directory) and one of their attributes; no file's content
// is read. A line that is no path of the drive (the rest of a name that holds a
// line break, which Windows never writes) is left out.
bool DiskImageMachine::ListDrive(std::string& problem) {
  ToolRun list = Mtool({"mdir", "-/", "-a", "-f", "-b", "-i", Drive(), "::"});
  if (!list.Succeeded()) {
    problem = "its files cannot be listed with mtools: " + list.Problem();
    return false;
  }
  auto attributes = ReadAttributes(problem);
  if (!attributes) return false;
  for (const std::string& line : Lines(list.output)) {
    if (!line.starts_with("::/")) continue;
    std::string relative = line.substr(3);
    const bool directory = relative.ends_with('/');
    if (directory) relative.pop_back();
    if (!IsPlainRelative(relative)) continue;
    const fs::path parent = directory ? fs::path(relative) : fs::path(relative).parent_path();
    std::error_code ec;
    fs::create_directories(staging_ / parent, ec);
    for (fs::path up = parent; !up.empty(); up = up.parent_path()) directories_.insert(up.generic_string());
    if (!directory) MakePlaceholder(relative, (*attributes)[relative]);
  }
  return true;
}

std::optional<std::map<std::string, std::string>> DiskImageMachine::ReadAttributes(std::string& problem) const {
  ToolRun list = Mtool({"mattrib", "-/", "-i", Drive(), "::"});
  if (!list.Succeeded()) {
    problem = "its attributes cannot be read with mtools: " + list.Problem();
    return std::nullopt;
  }
  std::map<std::string, std::string> attributes;
  for (const std::string& line : Lines(list.output)) {
    const std::size_t name = line.find("::/");
    if (name == std::string::npos || name + 3 >= line.size()) continue;
    std::string flags;
    for (char c : line.substr(0, name))
      if (c == 'A' || c == 'H' || c == 'S' || c == 'R') flags += c;
    attributes[line.substr(name + 3)] = flags;
  }
  return attributes;
}

// An empty file at the name, read-only as a mode when the file is; the content
// comes with Fetch().
void DiskImageMachine::MakePlaceholder(const std::string& relative, const std::string& flags) {
  const fs::path host = staging_ / relative;
  UniqueFd fd(open(host.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0666));
  struct stat st;
  if (fd.get() < 0 || fstat(fd.get(), &st) != 0) return;
  Entry entry;
  entry.readOnly = flags.find('R') != std::string::npos;
  for (char c : flags)
    if (c != 'R') entry.attributes += c;
  // Of 1970, a time no file the run makes has: a file that took the inode of
  // a placeholder the run deleted is no placeholder.
  const timespec epoch[2] = {{0, 0}, {0, 0}};
  if (futimens(fd.get(), epoch) != 0 || fstat(fd.get(), &st) != 0) return;
  if (entry.readOnly && fchmod(fd.get(), st.st_mode & ~0222) != 0) return;
  entry.inode = st.st_ino;
  entry.modified = Nanoseconds(st.st_mtim);
  files_[relative] = entry;
  placeholders_[st.st_ino] = relative;
}

// The placeholder at `path` (it may have been renamed) replaced by the file of
// the image: copied out beside it under a host dot name of its own (no Windows
// name: left out of listings and of WriteBack), given the placeholder's mode
// and renamed over it.
bool DiskImageMachine::Fetch(const fs::path& path, struct stat& st) {
  auto found = placeholders_.find(st.st_ino);
  if (found == placeholders_.end()) return true;
  Entry& entry = files_[found->second];
  // An inode the run freed and used again: a file of its own.
  if (st.st_size != 0 || Nanoseconds(st.st_mtim) != entry.modified) {
    placeholders_.erase(found);
    return true;
  }
  std::string name = (path.parent_path() / ".dxl-fetch.XXXXXX").string();
  UniqueFd made(mkstemp(name.data()));
  if (made.get() < 0) return false;
  const fs::path temporary = name;
  std::error_code ec;
  ToolRun copy = Mtool({"mcopy", "-m", "-n", "-Q", "-i", Drive(), ImagePattern(found->second), temporary.string()});
  struct stat fetched;
  if (!copy.Succeeded() || chmod(temporary.c_str(), st.st_mode & 07777) != 0 ||
      rename(temporary.c_str(), path.c_str()) != 0 || stat(path.c_str(), &fetched) != 0) {
    fs::remove(temporary, ec);
    return false;
  }
  entry.inode = fetched.st_ino;
  entry.size = fetched.st_size;
  entry.modified = Nanoseconds(fetched.st_mtim);
  placeholders_.erase(found);
  st = fetched;
  return true;
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
    Mtool({"mdel", "-i", Drive(), ImagePattern(temporary)});
    return false;
  };
  ToolRun copy = Mtool({"mcopy", "-m", "-D", "o", "-i", Drive(), host.string(), ImageTarget(temporary)});
  if (!copy.Succeeded()) return fail("cannot be written: " + copy.Problem());
  ToolRun back = Mtool({"mtype", "-i", Drive(), ImagePattern(temporary)});
  auto bytes = ReadRegularHostFile(host);
  if (!back.Succeeded() || !bytes || back.output != *bytes) return fail("does not read back as written");
  if (old) Mtool({"mattrib", "-r", "-h", "-s", "-i", Drive(), ImagePattern(relative)});
  ToolRun rename = Mtool({"mren", "-D", "o", "-i", Drive(), ImagePattern(temporary), ImageTarget(relative)});
  if (!rename.Succeeded()) return fail("cannot be renamed over the old file: " + rename.Problem());
  struct stat st;
  const bool readOnly = stat(host.c_str(), &st) == 0 && ReadOnlyMode(st);
  std::vector<std::string> attributes = {"mattrib", "+a", readOnly ? "+r" : "-r"};
  if (old && old->attributes.find('H') != std::string::npos) attributes.push_back("+h");
  if (old && old->attributes.find('S') != std::string::npos) attributes.push_back("+s");
  attributes.insert(attributes.end(), {"-i", Drive(), ImagePattern(relative)});
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
      ToolRun made = Mtool({"mmd", "-i", Drive(), ImageTarget(relative)});
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
      if (!Fetch(it->path(), st)) {
        problems.push_back(ImageName(relative) + ": cannot be read from the image");
        continue;
      }
      PutFile(relative, old, problems);
    } else if (old->readOnly != ReadOnlyMode(st)) {
      ToolRun set = Mtool({"mattrib", ReadOnlyMode(st) ? "+r" : "-r", "-i", Drive(), ImagePattern(relative)});
      if (!set.Succeeded()) problems.push_back(ImageName(relative) + ": the read-only attribute cannot be set");
    }
  }
  if (ec) problems.push_back(staging_.string() + ": cannot be listed");
  for (const auto& [relative, entry] : files_) {
    if (seen.contains(relative)) continue;
    Mtool({"mattrib", "-r", "-h", "-s", "-i", Drive(), ImagePattern(relative)});
    ToolRun removed = Mtool({"mdel", "-i", Drive(), ImagePattern(relative)});
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
