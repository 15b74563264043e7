#include "platform/network/share_tree.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "platform/base/case_rules.h"
#include "platform/base/last_error.h"
#include "platform/base/text.h"
#include "platform/machine/host_errors.h"
#include "platform/machine/host_file.h"
#include "platform/machine/host_open.h"
#include "platform/machine/paths.h"

namespace fs = std::filesystem;

namespace w95 {

using OptionalPath = std::optional<fs::path>;

OptionalPath FindEntryNoCase(const fs::path& dir, std::string_view name) {
  if (name.empty() || name.front() == '.') return std::nullopt;
  if (auto hostName = HostName(name)) {
    struct stat st;
    fs::path exact = dir / *hostName;
    if (lstat(exact.c_str(), &st) == 0) return exact;
  }
  std::error_code ec;
  for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
    std::string entry = it->path().filename().string();
    if (!entry.starts_with(".") && EqualsNoCase(WindowsName(entry), name)) return it->path();
  }
  return std::nullopt;
}

bool IsWithin(const fs::path& root, const fs::path& path) {
  auto rel = path.lexically_relative(root);
  return !rel.empty() && *rel.begin() != "..";
}

OptionalPath ShareTree::Resolve(const std::vector<std::string>& path) const {
  fs::path current = root_;
  for (size_t i = 0; i < path.size(); ++i) {
    bool last = i + 1 == path.size();
    if (path[i].find_first_of("*?") != std::string::npos) return Fail(ERROR_INVALID_NAME, OptionalPath());
    auto entry = FindEntryNoCase(current, path[i]);
    if (!entry) return Fail(last ? ERROR_FILE_NOT_FOUND : ERROR_PATH_NOT_FOUND, OptionalPath());
    std::error_code ec;
    fs::path target = fs::canonical(*entry, ec);
    if (ec) return Fail(last ? ERROR_FILE_NOT_FOUND : ERROR_PATH_NOT_FOUND, OptionalPath());
    if (!IsWithin(root_, target)) return Fail(ERROR_ACCESS_DENIED, OptionalPath());
    if (!last && !fs::is_directory(target, ec)) return Fail(ERROR_PATH_NOT_FOUND, OptionalPath());
    current = target;
  }
  return current;
}

std::optional<std::vector<FindData>> ShareTree::Find(const std::vector<std::string>& directory,
                                                     std::string_view pattern) const {
  using Result = std::optional<std::vector<FindData>>;
  auto dir = Resolve(directory);
  if (!dir) return Fail(GetLastError() == ERROR_ACCESS_DENIED ? ERROR_ACCESS_DENIED : ERROR_PATH_NOT_FOUND, Result());
  struct stat st;
  if (stat(dir->c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) return Fail(ERROR_PATH_NOT_FOUND, Result());
  std::vector<FindData> entries;
  if (!directory.empty()) {
    for (const char* dot : {".", ".."})
      if (MatchesWildcard(pattern, dot)) entries.push_back(FindDataFromStat(dot, st));
  }
  std::error_code ec;
  for (fs::directory_iterator it(*dir, ec), end; !ec && it != end; it.increment(ec)) {
    std::string hostName = it->path().filename().string();
    std::string name = WindowsName(hostName);
    if (hostName.starts_with(".") || !MatchesWildcard(pattern, name)) continue;
    fs::path target = fs::canonical(it->path(), ec);
    if (ec || !IsWithin(root_, target)) {  // dangling links and links out of the share are not shown
      ec.clear();
      continue;
    }
    struct stat entry;
    if (stat(target.c_str(), &entry) == 0) entries.push_back(FindDataFromStat(name, entry));
  }
  return entries;
}

std::unique_ptr<FileObject> ShareTree::OpenForReading(const std::vector<std::string>& path) const {
  using Result = std::unique_ptr<FileObject>;
  if (path.empty()) return Fail(ERROR_ACCESS_DENIED, Result());
  auto host = Resolve(path);
  if (!host) return Result();
  int fd = OpenHostFile(*host, O_RDONLY | O_NOFOLLOW);
  if (fd < 0) return Result();
  return std::make_unique<HostFile>(fd, GENERIC_READ);  // read only, whatever access was asked
}

}  // namespace w95
