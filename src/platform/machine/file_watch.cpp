#include "platform/machine/file_watch.h"

#include <sys/inotify.h>
#include <sys/stat.h>
#include <sys/vfs.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string_view>

namespace w95 {

namespace fs = std::filesystem;

namespace {

constexpr unsigned kDirectoryMask = IN_CREATE | IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO | IN_ATTRIB | IN_DELETE_SELF |
                                    IN_MOVE_SELF | IN_ONLYDIR | IN_DONT_FOLLOW;
constexpr unsigned kFileMask = IN_MODIFY | IN_ATTRIB | IN_CLOSE_WRITE | IN_DELETE_SELF | IN_MOVE_SELF | IN_DONT_FOLLOW;

// File systems whose every change passes through this kernel, and so makes
// an event (network, cluster and FUSE file systems need not).
bool LocalFileSystem(const fs::path& path) {
  struct statfs info;
  if (statfs(path.c_str(), &info) != 0) return false;
  switch (static_cast<unsigned long>(info.f_type)) {
    case 0xEF53:      // ext2, ext3, ext4
    case 0x58465342:  // xfs
    case 0x9123683E:  // btrfs
    case 0x01021994:  // tmpfs
    case 0x858458F6:  // ramfs
    case 0x794C7630:  // overlayfs
    case 0xF2F52010:  // f2fs
    case 0x4D44:      // FAT (msdos, vfat)
    case 0x2011BAB0:  // exFAT
      return true;
    default: return false;
  }
}

}  // namespace

FileWatcher::~FileWatcher() { Close(); }

void FileWatcher::Close() {
  ready_.Stop();
  if (fd_ >= 0) close(fd_);
  fd_ = -1;
}

bool FileWatcher::Open() {
  if (fd_ >= 0) return true;
  if (unavailable_) return false;
  fd_ = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
  unavailable_ = fd_ < 0;
  if (!unavailable_ && !readEachTime_) ready_.Start(fd_);
  return !unavailable_;
}

int FileWatcher::Add(const fs::path& path, unsigned mask) {
  if (interests_.size() >= limit_ || !LocalFileSystem(path)) return -1;
  return inotify_add_watch(fd_, path.c_str(), mask);
}

std::shared_ptr<WatchState> FileWatcher::Watch(const std::vector<fs::path>& directories, const fs::path& file) {
  if (directories.empty() || !Open()) return nullptr;
  auto state = std::make_shared<WatchState>();
  auto watch = [&](const fs::path& path, unsigned mask, std::string child) {
    const int wd = Add(path, mask);
    if (wd < 0) return false;
    auto& interests = interests_[wd];
    std::erase_if(interests, [](const Interest& interest) { return interest.state.expired(); });
    interests.push_back({state, std::move(child)});
    return true;
  };
  for (size_t i = 0; i < directories.size(); ++i) {
    const fs::path& next = i + 1 < directories.size() ? directories[i + 1] : file;
    if (!watch(directories[i], kDirectoryMask, next.filename().native())) return nullptr;
  }
  if (!watch(file, kFileMask, {})) return nullptr;
  // The directories were directories and no links when their watches were
  // added, each watched already through its parent; the file must be a
  // regular file now that its own watch holds.
  struct stat st;
  if (lstat(file.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return nullptr;
  return state;
}

void FileWatcher::RetireAll() {
  for (auto& [wd, interests] : interests_)
    for (auto& interest : interests)
      if (auto state = interest.state.lock()) state->Retire();
  interests_.clear();
}

void FileWatcher::Drain() {
  if (fd_ < 0 || !ready_.Signalled()) return;
  ReadEvents();
  // Read empty: events queued from now on complete the poll armed anew.
  if (fd_ >= 0 && ready_.Active()) ready_.Rearm();
}

void FileWatcher::ReadEvents() {
  alignas(inotify_event) char buffer[4096 + sizeof(inotify_event)];
  for (;;) {
    const ssize_t got = read(fd_, buffer, sizeof buffer);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0 && errno == EAGAIN) return;
    if (got <= 0) {  // the watcher no longer answers: nothing it covered can be trusted
      RetireAll();
      Close();
      unavailable_ = true;
      return;
    }
    for (ssize_t at = 0; at < got;) {
      inotify_event event;
      std::memcpy(&event, buffer + at, sizeof event);
      const char* name = buffer + at + sizeof event;
      at += static_cast<ssize_t>(sizeof event + event.len);
      if (event.mask & IN_Q_OVERFLOW) {
        RetireAll();
        continue;
      }
      auto found = interests_.find(event.wd);
      if (found == interests_.end()) continue;
      const std::string_view child = event.len ? std::string_view(name, strnlen(name, event.len)) : std::string_view();
      for (auto& interest : found->second) {
        if (!child.empty() && !interest.child.empty() && child != interest.child) continue;
        if (auto state = interest.state.lock()) state->Retire();
      }
      // Gone from the kernel: everything it covered is retired above, and a
      // watch armed later adds it anew.
      if (event.mask & IN_IGNORED) interests_.erase(found);
    }
  }
}

}  // namespace w95
