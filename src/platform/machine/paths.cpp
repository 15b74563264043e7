#include "platform/machine/paths.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <ctime>
#include <map>
#include <memory>
#include <utility>

#include "platform/base/cp936.h"
#include "platform/base/last_error.h"
#include "platform/base/text.h"
#include "platform/machine/host_errors.h"
#include "platform/machine/host_open.h"
#include "platform/machine/ini_cache.h"
#include "platform/machine/machine.h"
#include "platform/machine/replace_leftovers.h"

namespace fs = std::filesystem;

namespace w95 {

namespace {

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

bool IsDeviceName(const std::string& upper) {
  if (upper == "PRN" || upper == "AUX" || upper == "NUL" || upper == "CON") return true;
  return upper.size() == 4 && (upper.starts_with("LPT") || upper.starts_with("COM")) && upper[3] >= '1' &&
         upper[3] <= '9';
}

std::vector<std::string> SplitComponents(std::string_view rest) {
  std::vector<std::string> parts;
  size_t pos = 0;
  while (pos <= rest.size()) {
    size_t end = pos;
    while (end < rest.size() && !IsSeparator(rest[end])) ++end;
    if (end > pos) parts.emplace_back(rest.substr(pos, end - pos));
    pos = end + 1;
  }
  return parts;
}

// Validates and normalises the components: "." dropped, trailing blanks and dots
// removed as Windows does, ".." and characters Windows refuses rejected.
bool CleanComponents(std::vector<std::string>& parts) {
  std::vector<std::string> clean;
  for (auto& part : parts) {
    if (part == ".") continue;
    if (part == "..") return Fail(ERROR_ACCESS_DENIED, false);
    while (!part.empty() && (part.back() == ' ' || part.back() == '.')) part.pop_back();
    if (part.empty()) return Fail(ERROR_INVALID_NAME, false);
    if (part.size() > 255) return Fail(ERROR_FILENAME_EXCED_RANGE, false);
    for (size_t i = 0; i < part.size(); ++i) {
      auto c = static_cast<unsigned char>(part[i]);
      if (IsCp936LeadByte(c)) {
        ++i;
        continue;
      }
      if (c < 32 || c == '<' || c == '>' || c == ':' || c == '"' || c == '|') return Fail(ERROR_INVALID_NAME, false);
    }
    clean.push_back(std::move(part));
  }
  parts = std::move(clean);
  return true;
}

bool HasWildcard(std::string_view name) { return name.find_first_of("*?") != std::string_view::npos; }

// The entry of `dir` whose Windows name equals `name` without regard to case,
// with its lstat.
std::optional<fs::path> FindEntry(const fs::path& dir, const std::string& hostName, std::string_view name,
                                  struct stat& st) {
  fs::path exact = dir / hostName;
  if (lstat(exact.c_str(), &st) == 0) return exact;
  std::error_code ec;
  for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
    std::string entry = it->path().filename().string();
    if (!EqualsNoCase(WindowsName(entry), name)) continue;
    if (lstat(it->path().c_str(), &st) == 0) return it->path();
  }
  return std::nullopt;
}

// Where a name's directories are spelt in another case than the host holds
// them ("C:\WINDOWS\Dxl\A.TXT" for WINDOWS/DXL), the walk reads a directory
// for each such component. What it found is kept per spelling of the
// directory part: a descriptor of every directory on the way, from the root,
// with the stamp each had. While none changed (same device, inode,
// modification and change time), each holds the same entries, so the walk
// would find the same directories again; the last component is then opened
// below the last one in one call. A directory changed within the last three
// seconds is not kept: a second change in the same tick of the file system's
// clock would leave its stamp unchanged. Only link-free directories are kept.
struct KeptDirectory {
  int fd = -1;  // O_PATH
  dev_t dev = 0;
  ino_t ino = 0;
  timespec modified{}, changed{};
};

bool SameTime(const timespec& a, const timespec& b) { return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec; }

bool Holds(const KeptDirectory& dir, const struct stat& st) {
  return st.st_dev == dir.dev && st.st_ino == dir.ino && SameTime(st.st_mtim, dir.modified) &&
         SameTime(st.st_ctim, dir.changed);
}

struct KeptSpelling {
  KeptSpelling() = default;
  KeptSpelling(const KeptSpelling&) = delete;
  KeptSpelling& operator=(const KeptSpelling&) = delete;
  ~KeptSpelling() { Release(); }
  // Closes every descriptor: nothing kept.
  void Release() {
    for (const auto& dir : path) close(dir.fd);
    path.clear();
    if (last >= 0) close(last);
    last = -1;
  }
  // The root and every directory whose entry the walk looked up, then the
  // directory that holds the file (`last`, whose entries need not stay).
  std::vector<KeptDirectory> path;
  int last = -1;
  time_t retryAfter = 0;  // while nothing is kept: not tried again before
};

constexpr std::size_t kMaxKeptSpellings = 64;

time_t NowSeconds() {
  timespec now;
  clock_gettime(CLOCK_REALTIME, &now);
  return now.tv_sec;
}

class KeptSpellings {
 public:
  explicit KeptSpellings(Machine&) {}
  std::map<std::string, std::unique_ptr<KeptSpelling>, std::less<>> spellings;
};

// The directory part of a local path as given ("WINDOWS\Dxl").
std::string DirectoryKey(const std::vector<std::string>& parts) {
  std::string key;
  for (size_t i = 0; i + 1 < parts.size(); ++i) {
    if (i) key += '\\';
    key += parts[i];
  }
  return key;
}

// The descriptor of the directory that holds the file, while the kept
// spelling still holds; -1 when nothing is kept (or no longer holds).
int KeptDirectoryOf(Machine& machine, const std::vector<std::string>& parts) {
  auto& kept = machine.Service<KeptSpellings>().spellings;
  if (kept.empty()) return -1;
  auto it = kept.find(DirectoryKey(parts));
  if (it == kept.end() || it->second->last < 0) return -1;
  for (const auto& dir : it->second->path) {
    struct stat st;
    if (fstat(dir.fd, &st) != 0 || !Holds(dir, st)) {
      kept.erase(it);
      return -1;
    }
  }
  return it->second->last;
}

bool InsideRoot(const fs::path& canonicalRoot, const fs::path& path) {
  auto rel = path.lexically_relative(canonicalRoot);
  return !rel.empty() && *rel.begin() != "..";
}

}  // namespace

std::optional<ParsedPath> ParseWindowsPath(std::string_view path) {
  ParsedPath parsed;
  if (path.empty()) return Fail(ERROR_PATH_NOT_FOUND, std::optional<ParsedPath>());
  if (path.size() >= kMaxPath) return Fail(ERROR_FILENAME_EXCED_RANGE, std::optional<ParsedPath>());
  if (path.size() >= 2 && IsSeparator(path[0]) && IsSeparator(path[1])) {
    auto parts = SplitComponents(path.substr(2));
    if (parts.empty()) return Fail(ERROR_BAD_NETPATH, std::optional<ParsedPath>());
    parsed.kind = PathKind::Unc;
    parsed.server = parts[0];
    if (parts.size() > 1) parsed.share = parts[1];
    parsed.components.assign(parts.begin() + std::min<size_t>(2, parts.size()), parts.end());
    if (!CleanComponents(parsed.components)) return std::nullopt;
    return parsed;
  }
  std::string_view rest = path;
  if (rest.size() >= 2 && rest[1] == ':' && std::isalpha(static_cast<unsigned char>(rest[0]))) {
    if (rest[0] != 'C' && rest[0] != 'c') return Fail(ERROR_PATH_NOT_FOUND, std::optional<ParsedPath>());
    rest.remove_prefix(2);
  } else {
    std::string upper = ToUpperAscii(rest);
    if (!upper.empty() && upper.back() == ':') upper.pop_back();
    if (IsDeviceName(upper)) {
      parsed.kind = PathKind::Device;
      parsed.device = upper;
      return parsed;
    }
  }
  parsed.components = SplitComponents(rest);
  if (!CleanComponents(parsed.components)) return std::nullopt;
  return parsed;
}

std::string JoinWindowsPath(const std::vector<std::string>& components) {
  std::string path = "C:";
  for (const auto& part : components) path += "\\" + part;
  if (components.empty()) path += "\\";
  return path;
}

std::optional<std::string> HostName(std::string_view windowsName) {
  bool ascii = true;
  for (char c : windowsName) ascii = ascii && static_cast<unsigned char>(c) < 0x80;
  if (ascii) return std::string(windowsName);  // the same in both code pages
  return Cp936ToUtf8(windowsName);
}

std::string WindowsName(const std::string& hostName) {
  // ASCII names are the same in both code pages; most names are ASCII, and
  // directory searches convert every entry.
  bool ascii = true;
  for (char c : hostName) ascii = ascii && static_cast<unsigned char>(c) < 0x80;
  if (ascii) return hostName;
  auto name = Utf8ToCp936(hostName);
  return name ? *name : hostName;
}

std::optional<fs::path> HostPath(const Machine& machine, std::string_view windowsPath, Lookup lookup,
                                 struct stat* found) {
  auto parsed = ParseWindowsPath(windowsPath);
  if (!parsed) return std::nullopt;
  if (parsed->kind == PathKind::Unc) return Fail(ERROR_BAD_NETPATH, std::optional<fs::path>());
  if (parsed->kind == PathKind::Device) return Fail(ERROR_ACCESS_DENIED, std::optional<fs::path>());

  const fs::path* canonicalRoot = machine.CanonicalRoot();
  if (!canonicalRoot) return Fail(ERROR_PATH_NOT_FOUND, std::optional<fs::path>());
  const fs::path& root = *canonicalRoot;
  std::error_code ec;
  fs::path current = root;
  const auto& parts = parsed->components;
  if (found && parts.empty() && stat(root.c_str(), found) != 0) *found = {};
  for (size_t i = 0; i < parts.size(); ++i) {
    bool last = i + 1 == parts.size();
    if (HasWildcard(parts[i])) return Fail(ERROR_INVALID_NAME, std::optional<fs::path>());
    auto hostName = HostName(parts[i]);
    if (!hostName) return Fail(ERROR_INVALID_NAME, std::optional<fs::path>());
    struct stat st;
    auto entry = FindEntry(current, *hostName, parts[i], st);
    if (!entry) {
      if (found) *found = {};
      if (last && lookup == Lookup::ParentOnly) return current / *hostName;
      return Fail(last ? ERROR_FILE_NOT_FOUND : ERROR_PATH_NOT_FOUND, std::optional<fs::path>());
    }
    if (S_ISLNK(st.st_mode)) {
      fs::path target = fs::canonical(*entry, ec);
      if (ec)
        return Fail(last && lookup == Lookup::ParentOnly ? ERROR_ACCESS_DENIED : ERROR_FILE_NOT_FOUND,
                    std::optional<fs::path>());
      if (!InsideRoot(root, target) && target != root) return Fail(ERROR_ACCESS_DENIED, std::optional<fs::path>());
      *entry = target;
      if (stat(entry->c_str(), &st) != 0) return Fail(ErrorFromErrno(errno), std::optional<fs::path>());
    }
    if (!last && !S_ISDIR(st.st_mode)) return Fail(ERROR_PATH_NOT_FOUND, std::optional<fs::path>());
    if (found) *found = st;
    current = *entry;
  }
  return current;
}

int OpenSpelledAsHeld(Machine& machine, const ParsedPath& path, int flags, struct stat& st) {
  if (path.kind != PathKind::Local || path.components.empty()) return -1;
  std::string relative, last;
  for (const auto& part : path.components) {
    // HostPath refuses these names whatever is on the disk.
    if (HasWildcard(part)) return -1;
    auto hostName = HostName(part);
    if (!hostName) return -1;
    if (!relative.empty()) relative += '/';
    relative += *hostName;
    last = std::move(*hostName);
  }
  if (path.components.size() > 1) {
    const int dir = KeptDirectoryOf(machine, path.components);
    if (dir >= 0) return OpenRegularBeneath(dir, last, flags, st);
  }
  return OpenRegularBeneath(machine.RootDescriptor(), relative, flags, st);
}

void KeepSpelling(Machine& machine, const ParsedPath& path, const fs::path& host) {
  const auto& parts = path.components;
  const fs::path* root = machine.CanonicalRoot();
  if (path.kind != PathKind::Local || parts.size() < 2 || !root || machine.RootDescriptor() < 0) return;
  // The walk's directories, in the host's spelling; links taken give others.
  std::vector<std::string> held;
  for (const auto& part : host.lexically_relative(*root)) held.push_back(part.string());
  if (held.size() != parts.size()) return;
  std::vector<std::string> given;
  bool differs = false;
  for (size_t i = 0; i + 1 < parts.size(); ++i) {
    auto hostName = HostName(parts[i]);
    if (!hostName || HasWildcard(parts[i])) return;
    differs = differs || *hostName != held[i];
    given.push_back(std::move(*hostName));
  }
  if (!differs) return;  // one openat2 from the root finds it
  auto& spellings = machine.Service<KeptSpellings>().spellings;
  const std::string key = DirectoryKey(parts);
  const time_t now = NowSeconds();
  if (auto it = spellings.find(key); it != spellings.end() && (it->second->last >= 0 || now < it->second->retryAfter))
    return;
  if (spellings.size() >= kMaxKeptSpellings) spellings.clear();
  auto& slot = spellings[key];
  slot = std::make_unique<KeptSpelling>();
  KeptSpelling& spelling = *slot;
  spelling.retryAfter = now + kStampSettleSeconds;

  // The walk again, with the walk's own lookup, holding each directory open.
  int fd = fcntl(machine.RootDescriptor(), F_DUPFD_CLOEXEC, 0);
  fs::path dir = *root;
  struct stat dirStat;
  if (fd < 0) return;
  if (fstat(fd, &dirStat) != 0) {
    close(fd);
    return;
  }
  for (size_t i = 0;; ++i) {
    if (!S_ISDIR(dirStat.st_mode)) {
      close(fd);
      break;
    }
    if (i + 1 == parts.size()) {
      spelling.last = fd;  // its entries are the kernel's to look up
      break;
    }
    spelling.path.push_back({fd, dirStat.st_dev, dirStat.st_ino, dirStat.st_mtim, dirStat.st_ctim});
    if (!StampSettled(dirStat.st_mtim)) break;  // changed in the last seconds
    struct stat st;
    auto entry = FindEntry(dir, given[i], parts[i], st);
    if (!entry || S_ISLNK(st.st_mode) || !S_ISDIR(st.st_mode) || entry->filename() != held[i]) break;
    fd = openat(fd, held[i].c_str(), O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) break;
    if (fstat(fd, &dirStat) != 0 || dirStat.st_dev != st.st_dev || dirStat.st_ino != st.st_ino) {
      close(fd);
      break;
    }
    dir = *entry;
  }
  // Kept only when the whole way was found and nothing on it changed meanwhile.
  bool holds = spelling.last >= 0;
  for (const auto& on : spelling.path) {
    struct stat st;
    holds = holds && fstat(on.fd, &st) == 0 && Holds(on, st);
  }
  if (!holds) spelling.Release();
}

std::optional<std::string> ReadHostFile(const fs::path& path) { return ReadRegularHostFile(path); }

bool IsReadOnlyHostFile(const fs::path& path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && !(st.st_mode & S_IWUSR);
}

DWORD ReplaceHostFile(const fs::path& path, std::string_view bytes, ReadOnlyFile readOnly) {
  // One stat serves the read-only attribute and the mode the new file keeps.
  struct stat st;
  const bool exists = stat(path.c_str(), &st) == 0;
  if (exists && S_ISREG(st.st_mode) && !(st.st_mode & S_IWUSR) && readOnly == ReadOnlyFile::Refuse)
    return ERROR_ACCESS_DENIED;
  RemoveReplaceLeftovers(path);
  std::string tmpl = (path.parent_path() / ("." + path.filename().string() + ".XXXXXX")).string();
  UniqueFd fd(mkstemp(tmpl.data()));
  if (fd.get() < 0) return ErrorFromErrno(errno);
  mode_t mode = exists ? (st.st_mode & 07777) : 0644;
  bool ok = fchmod(fd.get(), mode) == 0 && WriteAllToFd(fd.get(), bytes) && fsync(fd.get()) == 0;
  int error = errno;
  if (ok) {
    ok = close(fd.release()) == 0 && rename(tmpl.c_str(), path.c_str()) == 0;
    error = errno;
  }
  if (!ok) {
    unlink(tmpl.c_str());
    return ErrorFromErrno(error);
  }
  UniqueFd dir(open(path.parent_path().c_str(), O_RDONLY | O_DIRECTORY));
  if (dir.get() >= 0) fsync(dir.get());
  return ERROR_SUCCESS;
}

}  // namespace w95
