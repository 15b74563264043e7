#include "platform/share_tree.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "platform/host_errors.h"
#include "platform/last_error.h"
#include "platform/paths.h"
#include "platform/text.h"

namespace fs = std::filesystem;

namespace w95 {

namespace {

using OptionalPath = std::optional<fs::path>;

// A file of a share: read only, whatever access it was asked for.
class ShareFile : public FileObject {
 public:
  explicit ShareFile(int fd) : fd_(fd) {}
  ~ShareFile() override { close(fd_); }
  ShareFile(const ShareFile&) = delete;
  ShareFile& operator=(const ShareFile&) = delete;

  bool Read(std::span<char> buffer, DWORD& bytesRead) override {
    bytesRead = 0;
    while (bytesRead < buffer.size()) {
      ssize_t n = read(fd_, buffer.data() + bytesRead, buffer.size() - bytesRead);
      if (n < 0 && errno == EINTR) continue;
      if (n < 0) return Fail(ERROR_READ_FAULT, false);
      if (n == 0) break;
      bytesRead += static_cast<DWORD>(n);
    }
    return true;
  }

  bool Write(std::string_view, DWORD& bytesWritten) override {
    bytesWritten = 0;
    return Fail(ERROR_ACCESS_DENIED, false);
  }

  DWORD Seek(LONG distance, DWORD method) override {
    off_t base = 0;
    if (method == FILE_CURRENT) base = lseek(fd_, 0, SEEK_CUR);
    else if (method == FILE_END) base = lseek(fd_, 0, SEEK_END);
    else if (method != FILE_BEGIN) return Fail(ERROR_INVALID_PARAMETER, INVALID_SET_FILE_POINTER);
    if (base + distance < 0) return Fail(ERROR_NEGATIVE_SEEK, INVALID_SET_FILE_POINTER);
    off_t pos = lseek(fd_, base + distance, SEEK_SET);
    if (pos < 0) return Fail(ERROR_INVALID_PARAMETER, INVALID_SET_FILE_POINTER);
    return static_cast<DWORD>(pos);
  }

  DWORD Size() override {
    struct stat st;
    if (fstat(fd_, &st) != 0) return Fail(ERROR_INVALID_HANDLE, INVALID_FILE_SIZE);
    return static_cast<DWORD>(st.st_size);
  }

 private:
  int fd_;
};

FindData FindDataOf(const std::string& name, const struct stat& st) {
  FindData data;
  data.fileName = name;
  data.attributes = S_ISDIR(st.st_mode) ? FILE_ATTRIBUTE_DIRECTORY : FILE_ATTRIBUTE_ARCHIVE;
  if (!(st.st_mode & S_IWUSR)) data.attributes |= FILE_ATTRIBUTE_READONLY;
  data.lastWriteTime = FileTimeFromUnix(st.st_mtim.tv_sec, st.st_mtim.tv_nsec);
  data.size = S_ISDIR(st.st_mode) ? 0 : static_cast<std::uint64_t>(st.st_size);
  return data;
}

}  // namespace

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
      if (MatchesWildcard(pattern, dot)) entries.push_back(FindDataOf(dot, st));
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
    if (stat(target.c_str(), &entry) == 0) entries.push_back(FindDataOf(name, entry));
  }
  return entries;
}

std::unique_ptr<FileObject> ShareTree::OpenForReading(const std::vector<std::string>& path) const {
  using Result = std::unique_ptr<FileObject>;
  if (path.empty()) return Fail(ERROR_ACCESS_DENIED, Result());
  auto host = Resolve(path);
  if (!host) return Result();
  int fd = open(host->c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
  if (fd < 0) return Fail(ErrorFromErrno(errno), Result());
  struct stat st;
  if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    close(fd);
    return Fail(ERROR_ACCESS_DENIED, Result());
  }
  return std::make_unique<ShareFile>(fd);
}

}  // namespace w95
