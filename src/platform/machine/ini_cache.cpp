#include "platform/machine/ini_cache.h"

#include <sys/stat.h>

namespace w95 {

namespace {

// Longer than the coarsest timestamp of a file system a machine may sit on (2 s on FAT).
constexpr time_t kSettleSeconds = 3;

bool Settled(const FileStamp& stamp) {
  timespec now{};
  clock_gettime(CLOCK_REALTIME, &now);
  return stamp.modified.tv_sec + kSettleSeconds < now.tv_sec;
}

}  // namespace

bool FileStamp::operator==(const FileStamp& other) const {
  return device == other.device && inode == other.inode && size == other.size &&
         modified.tv_sec == other.modified.tv_sec && modified.tv_nsec == other.modified.tv_nsec;
}

std::optional<FileStamp> RegularFileStamp(const std::filesystem::path& path) {
  struct stat st;
  if (stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return std::nullopt;
  return FileStamp{st.st_dev, st.st_ino, st.st_size, st.st_mtim};
}

std::shared_ptr<const IniText> IniCache::Kept(const std::filesystem::path& path, const FileStamp& stamp) const {
  auto found = entries_.find(path.native());
  if (found == entries_.end() || found->second.reread || !(found->second.stamp == stamp)) return nullptr;
  return found->second.text;
}

std::shared_ptr<const IniText> IniCache::Get(const std::filesystem::path& path, const Reader& read) {
  auto stamp = RegularFileStamp(path);
  std::shared_ptr<const IniText> earlier;
  auto found = entries_.find(path.native());
  if (found != entries_.end()) {
    if (stamp && found->second.stamp == *stamp && !found->second.reread) return found->second.text;
    earlier = std::move(found->second.text);
    entries_.erase(found);
  }
  auto bytes = read();
  if (!bytes) return nullptr;
  // Parsing is a function of the bytes alone: the same bytes read anew (after
  // a flush, or a rewrite that changed nothing) need no second parse.
  auto text = earlier && earlier->Bytes() == *bytes ? earlier : std::make_shared<const IniText>(std::move(*bytes));
  if (stamp && Settled(*stamp)) entries_[path.native()] = Entry{*stamp, text};
  return text;
}

void IniCache::Clear() {
  for (auto& [path, entry] : entries_) entry.reread = true;
}

}  // namespace w95
