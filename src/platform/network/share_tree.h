// The files of one disk share held in a host directory: Windows names looked
// up without regard to case, and nothing ever reached outside the share
// (".." is refused by path parsing; symbolic links that lead out of the share
// are refused here with ERROR_ACCESS_DENIED). Host entries whose names start
// with a dot are not part of the share. Read only.
#pragma once

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/machine/file_object.h"

namespace w95 {

class ShareTree {
 public:
  // `root` must be the canonical host path of the share's directory.
  explicit ShareTree(std::filesystem::path root) : root_(std::move(root)) {}

  // The host path of the entry `path` (components below the share root).
  // ERROR_PATH_NOT_FOUND for a missing directory on the way,
  // ERROR_FILE_NOT_FOUND for a missing last component.
  std::optional<std::filesystem::path> Resolve(const std::vector<std::string>& path) const;

  std::optional<std::vector<FindData>> Find(const std::vector<std::string>& directory, std::string_view pattern) const;
  std::unique_ptr<FileObject> OpenForReading(const std::vector<std::string>& path) const;

 private:
  std::filesystem::path root_;
};

// The entry of host directory `dir` whose Windows name equals `name` without
// regard to case, skipping host dot entries; nullopt when there is none.
std::optional<std::filesystem::path> FindEntryNoCase(const std::filesystem::path& dir, std::string_view name);

// Whether `path` (canonical) is `root` (canonical) or lies below it.
bool IsWithin(const std::filesystem::path& root, const std::filesystem::path& path);

}  // namespace w95
