#include "platform/machine/paths.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <utility>

#include "platform/base/case_rules.h"
#include "platform/base/cp936.h"
#include "platform/base/cp936_chars.h"
#include "platform/base/last_error.h"
#include "platform/base/text.h"
#include "platform/machine/file_kind.h"
#include "platform/machine/host_errors.h"
#include "platform/machine/host_fetch.h"
#include "platform/machine/host_open.h"
#include "platform/machine/machine.h"
#include "platform/machine/replace_leftovers.h"
#include "platform/machine/replace_observer.h"

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
    while (end < rest.size() && !IsSeparator(rest[end])) end += Cp936CharSize(rest, end);  // 0x5C may be a trail byte
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
      if (Cp936CharSize(part, i) == 2) {
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

bool IsAscii(std::string_view name) {
  return std::all_of(name.begin(), name.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
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
    std::string upper = UpperName(rest);
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
  if (IsAscii(windowsName)) return std::string(windowsName);  // the same in both code pages
  return Cp936ToUtf8(windowsName);
}

std::string WindowsName(const std::string& hostName) {
  // ASCII names are the same in both code pages; most names are ASCII, and
  // directory searches convert every entry.
  if (IsAscii(hostName)) return hostName;
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
    if (last && !FetchBeforeUse(*entry, st)) return std::nullopt;
    if (found) *found = st;
    current = *entry;
  }
  return current;
}

std::optional<std::string> ReadHostFile(const fs::path& path) { return ReadRegularHostFile(path); }

bool IsReadOnlyHostFile(const fs::path& path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && !(st.st_mode & S_IWUSR);
}

DWORD ReplaceHostFile(const fs::path& path, std::string_view bytes, ReadOnlyFile readOnly,
                      const std::function<bool(int fd)>& verify) {
  // One stat serves the read-only attribute and the mode the new file keeps.
  struct stat st;
  const bool exists = stat(path.c_str(), &st) == 0;
  if (exists && S_ISREG(st.st_mode) && !(st.st_mode & S_IWUSR) && readOnly == ReadOnlyFile::Refuse)
    return ERROR_ACCESS_DENIED;
  if (!NotifyBeforeReplace(path)) return ERROR_WRITE_FAULT;  // the file as it was could not be kept
  RemoveReplaceLeftovers(path);
  std::string tmpl = (path.parent_path() / ("." + path.filename().string() + ".XXXXXX")).string();
  UniqueFd fd(mkstemp(tmpl.data()));
  if (fd.get() < 0) return ErrorFromErrno(errno);
  // What the file system refuses (fusefat: fchmod) is left as it gives it.
  bool ok =
      CarryFileKind(fd.get(), path, exists ? &st : nullptr) && WriteAllToFd(fd.get(), bytes) && SyncIfOffered(fd.get());
  int error = errno;
  if (ok && verify && !verify(fd.get())) {
    unlink(tmpl.c_str());
    return ERROR_INVALID_DATA;
  }
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
  NotifyAfterReplace(path, bytes);
  return ERROR_SUCCESS;
}

}  // namespace w95
