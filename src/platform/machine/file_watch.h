// Changes of kept files seen as the kernel reports them (inotify), so that a
// kept file needs no stat to be known unchanged.
//
// A watch covers one file as reached from the machine's root: the file itself
// (its inode: writes, truncation, attributes, through any of its links) and
// each directory of its path from the root down (the entry that leads on
// being created, deleted, moved away or over, or changing its attributes; the
// directory itself changing its attributes, moving or going away). The
// watches are in place before the caller reads the file, so a change made
// while it reads shows up too; a watch stays current until any event touches
// what it covers, or the kernel's queue overflows. A change in the same tick of
// the file system's clock still makes an event, where a stamp would not
// change.
//
// Not seen: writes through a shared memory mapping (the kernel reports none),
// file systems whose changes need not pass through this kernel (network and
// FUSE file systems: only the file systems listed in file_watch.cpp are
// watched), a mount over a directory of the path, and anything above the
// machine's root (found once per machine, as the paths are). Where a watch
// cannot be had (no inotify, the per-user limits, another file system) the
// caller keeps its stamp rule.
#pragma once

#include <cstddef>
#include <filesystem>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/machine/readiness_ring.h"

namespace w95 {

// Whether a watched file may have changed since its watch was armed.
class WatchState {
 public:
  bool Current() const { return current_; }
  void Retire() { current_ = false; }

 private:
  bool current_ = true;
};

class FileWatcher {
 public:
  FileWatcher() = default;
  ~FileWatcher();
  FileWatcher(const FileWatcher&) = delete;
  FileWatcher& operator=(const FileWatcher&) = delete;

  // Watches `file` as reached through `directories` (from the top down, each
  // the parent of the next and the last the file's parent; none a link). The
  // file must be a regular file, not a link, once its watch is in place.
  // nullptr when any of that cannot be had; the caller then keeps its stamp
  // rule for this file.
  std::shared_ptr<WatchState> Watch(const std::vector<std::filesystem::path>& directories,
                                    const std::filesystem::path& file);
  // Reads the pending events: every watch they touch is no longer current.
  // Nothing before the first watch; while none are pending, no system call
  // (an io_uring poll of the queue says so), or one non-blocking read where
  // no ring can be had.
  void Drain();
  // Reads the queue at every Drain, as where no ring can be had; for tests
  // of both ways.
  void ReadEachTime() {
    readEachTime_ = true;
    ready_.Stop();
  }
  // At most `count` kernel watches from now on, as if the per-user limit were
  // reached; for tests of the stamp rule's fallback.
  void LimitWatches(size_t count) { limit_ = count; }

 private:
  struct Interest {
    std::weak_ptr<WatchState> state;
    std::string child;  // a directory's entry that leads on; empty: the object itself
  };

  bool Open();
  int Add(const std::filesystem::path& path, unsigned mask);
  void ReadEvents();
  void RetireAll();
  void Close();

  int fd_ = -1;
  bool unavailable_ = false;
  bool readEachTime_ = false;
  ReadinessRing ready_;  // the queue's readiness
  size_t limit_ = static_cast<size_t>(-1);
  std::unordered_map<int, std::vector<Interest>> interests_;  // by watch descriptor
};

}  // namespace w95
