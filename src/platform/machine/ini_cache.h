// Parsed initialisation files kept by host path, as Windows 95 keeps its
// profile cache: a few files, the most recently used first, each checked
// against one stat of the file per call.
//
// A kept file is used while the file keeps its device, inode, size,
// modification time and change time (to the nanosecond). It is kept only when
// its change time lies before the tick of the clock at which it was read, so
// that any later change gives it another change time; a file changed within
// the current tick is read anew at its next use.
#pragma once

#include <sys/stat.h>
#include <sys/types.h>

#include <ctime>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/base/ini_text.h"

namespace w95 {

struct FileStamp {
  dev_t device = 0;
  ino_t inode = 0;
  off_t size = 0;
  timespec modified{};
  timespec changed{};

  static FileStamp Of(const struct stat& st);
  bool operator==(const FileStamp& other) const;
};

class IniCache {
 public:
  using Reader = std::function<std::optional<std::string>()>;

  // The parsed file at `path`, a regular file whose stat the caller has just
  // made: the kept text while that stat matches its stamp, else what `read`
  // returns, parsed (nullptr when `read` fails). Texts handed out never change.
  std::shared_ptr<const IniText> Get(const std::filesystem::path& path, const struct stat& st, const Reader& read);
  // The same after one stat of `path` made here; nullptr when it is no
  // regular file.
  std::shared_ptr<const IniText> Get(const std::filesystem::path& path, const Reader& read);
  // Our own write: the entry goes, whatever the file's stamp says.
  void Drop(const std::filesystem::path& path);
  // Every file is read anew at its next Get; a parse whose bytes are the same
  // is reused.
  void Clear();

 private:
  struct Entry {
    std::string path;
    FileStamp stamp;
    std::shared_ptr<const IniText> text;
    bool reread = false;  // flushed: read the file before using the text
  };
  static constexpr size_t kMaxFiles = 8;
  std::vector<Entry> entries_;
};

}  // namespace w95
