#include "platform/machine/ini_cache.h"

#include <sys/statfs.h>

#include <algorithm>
#include <ctime>

namespace w95 {

namespace {

bool SameTime(const timespec& a, const timespec& b) { return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec; }
bool Before(const timespec& a, const timespec& b) {
  return a.tv_sec < b.tv_sec || (a.tv_sec == b.tv_sec && a.tv_nsec < b.tv_nsec);
}

// FAT and exFAT keep times in units of two seconds.
constexpr long kMsdosMagic = 0x4d44, kExfatMagic = 0x2011BAB0;

// Whether every change of `path` after `readAt` (the coarse clock, which
// stamps files) gives it another change time than `stamp` has.
bool StampSettled(const std::filesystem::path& path, const FileStamp& stamp, const timespec& readAt) {
  struct statfs fs;
  if (statfs(path.c_str(), &fs) == 0 && (fs.f_type == kMsdosMagic || fs.f_type == kExfatMagic))
    return stamp.changed.tv_sec + 2 < readAt.tv_sec;
  return Before(stamp.changed, readAt);
}

}  // namespace

FileStamp FileStamp::Of(const struct stat& st) { return {st.st_dev, st.st_ino, st.st_size, st.st_mtim, st.st_ctim}; }

bool FileStamp::operator==(const FileStamp& other) const {
  return device == other.device && inode == other.inode && size == other.size && SameTime(modified, other.modified) &&
         SameTime(changed, other.changed);
}

std::shared_ptr<const IniText> IniCache::Get(const std::filesystem::path& path, const struct stat& st,
                                             const Reader& read) {
  const FileStamp stamp = FileStamp::Of(st);
  auto found = std::find_if(entries_.begin(), entries_.end(), [&](const Entry& e) { return e.path == path.native(); });
  std::shared_ptr<const IniText> earlier;
  if (found != entries_.end()) {
    if (found->stamp == stamp && !found->reread) {
      std::rotate(entries_.begin(), found, found + 1);
      return entries_.front().text;
    }
    earlier = std::move(found->text);
    entries_.erase(found);
  }
  timespec readAt{};
  clock_gettime(CLOCK_REALTIME_COARSE, &readAt);
  auto bytes = read();
  if (!bytes) return nullptr;
  // Parsing is a function of the bytes alone: the same bytes read anew (after
  // a flush, or a rewrite that changed nothing) need no second parse.
  auto text = earlier && earlier->Bytes() == *bytes ? earlier : std::make_shared<const IniText>(std::move(*bytes));
  if (!StampSettled(path, stamp, readAt)) return text;
  if (entries_.size() == kMaxFiles) entries_.pop_back();
  entries_.insert(entries_.begin(), Entry{path.native(), stamp, text});
  return text;
}

std::shared_ptr<const IniText> IniCache::Get(const std::filesystem::path& path, const Reader& read) {
  struct stat st;
  if (stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return nullptr;
  return Get(path, st, read);
}

void IniCache::Drop(const std::filesystem::path& path) {
  std::erase_if(entries_, [&](const Entry& e) { return e.path == path.native(); });
}

void IniCache::Clear() {
  for (auto& entry : entries_) entry.reread = true;
}

}  // namespace w95
