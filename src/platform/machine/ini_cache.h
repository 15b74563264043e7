// Parsed initialisation files kept by host path, as Windows 95 keeps its profile
// cache. An entry holds while the file keeps its identity (device, inode), size
// and modification time. A file changed within the last few seconds is read
// anew on every call: a second change in the same tick of the file system's
// clock would leave all four unchanged.
#pragma once

#include <sys/types.h>

#include <ctime>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>

#include "platform/base/ini_text.h"

namespace w95 {

struct FileStamp {
  dev_t device = 0;
  ino_t inode = 0;
  off_t size = 0;
  timespec modified{};

  bool operator==(const FileStamp& other) const;
};

// The stamp of a regular file (symbolic links followed); nullopt for anything else.
std::optional<FileStamp> RegularFileStamp(const std::filesystem::path& path);

class IniCache {
 public:
  using Reader = std::function<std::optional<std::string>()>;

  // The parsed file at `path`: the kept one while its stamp holds, else what
  // `read` returns (kept when the file is old enough); nullptr when `read` fails.
  std::shared_ptr<const IniText> Get(const std::filesystem::path& path, const Reader& read);
  // The kept file at `path` when `stamp` (the caller's own stat of it) holds,
  // else nullptr; never reads.
  std::shared_ptr<const IniText> Kept(const std::filesystem::path& path, const FileStamp& stamp) const;
  // Our own write: the entry goes, whatever the file's stamp says.
  void Drop(const std::filesystem::path& path) { entries_.erase(path.native()); }
  // Every file is read anew at its next Get (its bytes, at least, once more).
  void Clear();

 private:
  struct Entry {
    FileStamp stamp;
    std::shared_ptr<const IniText> text;
    bool reread = false;  // a flush: read the file before using the entry
  };
  std::map<std::string, Entry> entries_;
};

}  // namespace w95
