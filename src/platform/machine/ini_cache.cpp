#include "platform/machine/ini_cache.h"

#include <sys/stat.h>

namespace w95 {

bool StampSettled(const timespec& modified) {
  timespec now{};
  clock_gettime(CLOCK_REALTIME, &now);
  return modified.tv_sec + kStampSettleSeconds < now.tv_sec;
}

bool FileStamp::operator==(const FileStamp& other) const {
  return device == other.device && inode == other.inode && size == other.size &&
         modified.tv_sec == other.modified.tv_sec && modified.tv_nsec == other.modified.tv_nsec;
}

std::optional<FileStamp> RegularFileStamp(const std::filesystem::path& path) {
  struct stat st;
  if (stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return std::nullopt;
  return FileStamp{st.st_dev, st.st_ino, st.st_size, st.st_mtim};
}

void IniCache::Retire(Entry& entry) {
  if (entry.watch) entry.watch->Retire();
}

std::shared_ptr<const IniText> IniCache::Unchanged(std::string_view path) const {
  Drain();
  auto found = entries_.find(path);
  return found != entries_.end() && found->second.Watched() ? found->second.text : nullptr;
}

std::shared_ptr<const WatchState> IniCache::WatchOf(std::string_view path) const {
  auto found = entries_.find(path);
  return found != entries_.end() && found->second.Watched() ? found->second.watch : nullptr;
}

// A watched entry is governed by its watch alone: once an event touched it,
// the file changed (or may have), whatever its stamp says.
std::shared_ptr<const IniText> IniCache::Kept(const std::filesystem::path& path, const FileStamp& stamp) const {
  auto found = entries_.find(path.native());
  if (found == entries_.end() || found->second.reread) return nullptr;
  const Entry& entry = found->second;
  if (entry.watch) return entry.watch->Current() ? entry.text : nullptr;
  return entry.stamp == stamp ? entry.text : nullptr;
}

std::shared_ptr<const IniText> IniCache::Get(const std::filesystem::path& path, const Reader& read,
                                             const std::vector<std::filesystem::path>* directories) {
  Drain();
  auto found = entries_.find(path.native());
  std::optional<FileStamp> stamp;
  std::shared_ptr<const IniText> earlier;
  if (found != entries_.end()) {
    Entry& entry = found->second;
    if (entry.Watched()) return entry.text;
    if (!entry.watch) {
      stamp = RegularFileStamp(path);
      if (stamp && entry.stamp == *stamp && !entry.reread) return entry.text;
    }
    earlier = std::move(entry.text);
    Retire(entry);
    entries_.erase(found);
  }
  // The watches go in before the read, so that a change while it reads is an
  // event; a file that is not there (or no regular file) is not watched.
  if (!stamp) stamp = RegularFileStamp(path);
  std::shared_ptr<WatchState> watch;
  if (stamp && watcher_ && directories && (watch = watcher_->Watch(*directories, path))) stamp = RegularFileStamp(path);
  auto bytes = read();
  if (!bytes) return nullptr;
  // Parsing is a function of the bytes alone: the same bytes read anew (after
  // a flush, or a rewrite that changed nothing) need no second parse.
  auto text = earlier && earlier->Bytes() == *bytes ? earlier : std::make_shared<const IniText>(std::move(*bytes));
  if (stamp && (watch || StampSettled(stamp->modified)))
    entries_.insert_or_assign(path.native(), Entry{*stamp, text, std::move(watch)});
  return text;
}

void IniCache::Drop(const std::filesystem::path& path) {
  auto found = entries_.find(path.native());
  if (found == entries_.end()) return;
  Retire(found->second);
  entries_.erase(found);
}

void IniCache::Clear() {
  for (auto& [path, entry] : entries_) {
    entry.reread = true;
    Retire(entry);
  }
}

}  // namespace w95
