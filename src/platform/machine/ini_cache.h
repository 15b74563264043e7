// Parsed initialisation files kept by host path, as Windows 95 keeps its profile
// cache.
//
// A file read with the directories of its path is watched (file_watch.h): the
// watches are in place before it is read, and while no event has touched it
// the kept file is byte for byte what was read and is used without a stat,
// however recently the file was written. Once an event touched it (or the
// events overflowed) it is read anew at its next use, whatever its stamp
// says, and watched anew; its parse is reused when the bytes are the same.
//
// A file that cannot be watched (no directories given, no watch to be had)
// is kept by its stamp: while the file keeps its identity (device, inode),
// size and modification time. Such a file changed within the last few seconds
// is read anew on every call, and kept only once it is older: a second change
// in the same tick of the file system's clock would leave all four unchanged.
#pragma once

#include <sys/types.h>

#include <ctime>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/base/ini_text.h"
#include "platform/machine/file_watch.h"

namespace w95 {

struct FileStamp {
  dev_t device = 0;
  ino_t inode = 0;
  off_t size = 0;
  timespec modified{};

  bool operator==(const FileStamp& other) const;
};

// A stamp is trusted only once its modification time is older than the
// coarsest clock tick of a file system a machine may sit on (2 s on FAT): a
// second change within the same tick would leave it unchanged.
inline constexpr time_t kStampSettleSeconds = 3;
bool StampSettled(const timespec& modified);

// The stamp of a regular file (symbolic links followed); nullopt for anything else.
std::optional<FileStamp> RegularFileStamp(const std::filesystem::path& path);

class IniCache {
 public:
  using Reader = std::function<std::optional<std::string>()>;

  // Without a watcher, every file is kept by the stamp rule alone.
  explicit IniCache(FileWatcher* watcher = nullptr) : watcher_(watcher) {}

  // The parsed file at `path`: the kept one while it is known unchanged, else
  // what `read` returns (kept when it is watched or old enough); nullptr when
  // `read` fails. `directories` (from the machine's root down to the file's
  // parent, none a link) are where the file is watched from; without them it
  // is not watched.
  std::shared_ptr<const IniText> Get(const std::filesystem::path& path, const Reader& read,
                                     const std::vector<std::filesystem::path>* directories = nullptr);
  // The kept file at `path` while its watch holds (pending events read first),
  // else nullptr; never stats, never reads.
  std::shared_ptr<const IniText> Unchanged(std::string_view path) const;
  // The watch of the kept file at `path` when it has one: the kept text stays
  // exact while it is current.
  std::shared_ptr<const WatchState> WatchOf(std::string_view path) const;
  // The kept file at `path` while it holds (its watch, or else `stamp`, the
  // caller's own stat of it), else nullptr; never reads.
  std::shared_ptr<const IniText> Kept(const std::filesystem::path& path, const FileStamp& stamp) const;
  // Our own write: the entry goes, whatever the file's stamp says.
  void Drop(const std::filesystem::path& path);
  // Every file is read anew at its next Get (its bytes, at least, once more).
  void Clear();
  // Reads the watcher's pending events.
  void Drain() const {
    if (watcher_) watcher_->Drain();
  }

 private:
  struct Entry {
    FileStamp stamp;
    std::shared_ptr<const IniText> text;
    std::shared_ptr<WatchState> watch;  // nullptr: kept by the stamp alone
    bool reread = false;                // a flush: read the file before using the entry

    bool Watched() const { return watch && watch->Current() && !reread; }
  };
  void Retire(Entry& entry);

  FileWatcher* watcher_;
  std::map<std::string, Entry, std::less<>> entries_;
};

}  // namespace w95
