#include "platform/files/files.h"

#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <map>
#include <utility>

#include "platform/base/cp936_chars.h"
#include "platform/base/last_error.h"
#include "platform/base/text.h"
#include "platform/files/file_providers.h"
#include "platform/machine/host_errors.h"
#include "platform/machine/host_fetch.h"
#include "platform/machine/host_file.h"
#include "platform/machine/host_open.h"
#include "platform/machine/machine.h"
#include "platform/machine/paths.h"
#include "platform/network/unc_files.h"

namespace fs = std::filesystem;

namespace w95 {

namespace {

// Open local files of this process, by inode: the share modes of Windows.
struct OpenFileRecord {
  DWORD access;
  DWORD share;
};
using FileKey = std::pair<dev_t, ino_t>;

std::multimap<FileKey, OpenFileRecord>& OpenFiles() {
  static std::multimap<FileKey, OpenFileRecord> table;
  return table;
}

bool ShareAllows(const FileKey& key, DWORD access, DWORD share) {
  auto [first, last] = OpenFiles().equal_range(key);
  for (auto it = first; it != last; ++it) {
    const OpenFileRecord& other = it->second;
    if ((access & GENERIC_READ) && !(other.share & FILE_SHARE_READ)) return false;
    if ((access & GENERIC_WRITE) && !(other.share & FILE_SHARE_WRITE)) return false;
    if ((other.access & GENERIC_READ) && !(share & FILE_SHARE_READ)) return false;
    if ((other.access & GENERIC_WRITE) && !(share & FILE_SHARE_WRITE)) return false;
  }
  return true;
}

// A local file, registered with its share mode while it is open.
class LocalFile : public HostFile {
 public:
  // `st`: the descriptor's stat as the open made it.
  LocalFile(int fd, const struct stat& st, DWORD access, DWORD share) : HostFile(fd, access, st) {
    entry_ = OpenFiles().emplace(FileKey{st.st_dev, st.st_ino}, OpenFileRecord{access, share});
  }
  ~LocalFile() override { OpenFiles().erase(entry_); }

 private:
  std::multimap<FileKey, OpenFileRecord>::iterator entry_;
};

// `st`: the stat HostPath found for `host` (st_mode 0 when nothing is there).
std::unique_ptr<FileObject> OpenLocalFile(const fs::path& host, struct stat st, DWORD access, DWORD share,
                                          DWORD disposition) {
  bool exists = st.st_mode != 0;
  if (exists && S_ISDIR(st.st_mode)) return Fail(ERROR_ACCESS_DENIED, std::unique_ptr<FileObject>());
  bool truncate = disposition == CREATE_ALWAYS || disposition == TRUNCATE_EXISTING;
  // The read-only attribute binds every user, root too, as on Windows.
  const bool readOnly = S_ISREG(st.st_mode) && !(st.st_mode & S_IWUSR);  // as IsReadOnlyHostFile
  if (exists && ((access & GENERIC_WRITE) || truncate) && readOnly)
    return Fail(ERROR_ACCESS_DENIED, std::unique_ptr<FileObject>());
  int flags = O_CLOEXEC | O_NOFOLLOW;
  flags |= (access & GENERIC_WRITE) ? ((access & GENERIC_READ) ? O_RDWR : O_WRONLY) : O_RDONLY;
  switch (disposition) {
    case CREATE_NEW:
      if (exists) return Fail(ERROR_FILE_EXISTS, std::unique_ptr<FileObject>());
      flags |= O_CREAT | O_EXCL;
      break;
    case CREATE_ALWAYS: flags |= O_CREAT; break;
    case OPEN_EXISTING:
    case TRUNCATE_EXISTING:
      if (!exists) return Fail(ERROR_FILE_NOT_FOUND, std::unique_ptr<FileObject>());
      break;
    case OPEN_ALWAYS: flags |= O_CREAT; break;
    default: return Fail(ERROR_INVALID_PARAMETER, std::unique_ptr<FileObject>());
  }
  if (truncate && !(access & GENERIC_WRITE)) flags = (flags & ~O_RDONLY) | O_RDWR;
  // A FIFO or a device at the name is no file (host_open.h); the stat above
  // is the check OpenHostFile would make again.
  if (exists && !S_ISREG(st.st_mode)) return Fail(ERROR_ACCESS_DENIED, std::unique_ptr<FileObject>());
  int fd = OpenStatedHostFile(host, flags, 0644, st);
  if (fd < 0) return std::unique_ptr<FileObject>();
  if (!ShareAllows(FileKey{st.st_dev, st.st_ino}, access, share)) {
    close(fd);
    return Fail(ERROR_SHARING_VIOLATION, std::unique_ptr<FileObject>());
  }
  if (truncate) {
    NoteHostFileWritten();
    if (ftruncate(fd, 0) != 0 || fstat(fd, &st) != 0) {
      close(fd);
      return Fail(ErrorFromErrno(errno), std::unique_ptr<FileObject>());
    }
  }
  // CREATE_ALWAYS and OPEN_ALWAYS tell whether the file was there before.
  SetLastError(exists && (disposition == CREATE_ALWAYS || disposition == OPEN_ALWAYS) ? ERROR_ALREADY_EXISTS
                                                                                      : ERROR_SUCCESS);
  return std::make_unique<LocalFile>(fd, st, access, share);
}

// A directory entry that is not a symbolic link leading out of the root, with
// the stat of what it names (the link followed); `st` holds its lstat first.
bool StaysInside(const fs::path& root, const fs::path& entry, struct stat& st) {
  if (!S_ISLNK(st.st_mode)) return true;  // the lstat is the stat
  std::error_code ec;
  auto rel = fs::canonical(entry, ec).lexically_relative(root);
  return !ec && !rel.empty() && *rel.begin() != ".." && stat(entry.c_str(), &st) == 0;
}

// Splits "dir\pattern" into the directory part and the last component.
std::pair<std::string, std::string> SplitLast(std::string_view path) {
  size_t cut = FindLastOfCp936(path, "\\/");
  if (cut == std::string_view::npos) {
    if (path.size() >= 2 && path[1] == ':') return {std::string(path.substr(0, 2)) + "\\", std::string(path.substr(2))};
    return {"", std::string(path)};
  }
  return {std::string(path.substr(0, cut + 1)), std::string(path.substr(cut + 1))};
}

// A name without wildcards whose entry exists in exactly that spelling: found
// without reading the whole directory (system directories hold thousands of
// files). nullopt when the directory has to be searched.
std::optional<FindData> FindSpelledAsGiven(const fs::path& root, const fs::path& dir, const std::string& pattern) {
  if (pattern.empty() || pattern.front() == '.' || pattern.back() == '.') return std::nullopt;
  if (pattern.find_first_of(std::string_view("*?\0", 3)) != std::string::npos) return std::nullopt;
  auto hostName = HostName(pattern);
  if (!hostName) return std::nullopt;
  fs::path path = dir / *hostName;
  struct stat st;
  if (lstat(path.c_str(), &st) != 0) return std::nullopt;
  std::string name = WindowsName(*hostName);
  if (!MatchesWildcard(pattern, name) || !StaysInside(root, path, st)) return std::nullopt;
  FetchBeforeUse(path, st);  // the size and time it reports are the file's own
  return FindDataFromStat(name, st);
}

std::optional<std::vector<FindData>> FindLocalEntries(Machine& machine, const std::string& dir,
                                                      const std::string& pattern) {
  std::string dirPath = dir.empty() ? "C:\\" : dir;
  auto host = HostPath(machine, dirPath);
  if (!host) return Fail(ERROR_PATH_NOT_FOUND, std::optional<std::vector<FindData>>());
  struct stat st;
  if (stat(host->c_str(), &st) != 0 || !S_ISDIR(st.st_mode))
    return Fail(ERROR_PATH_NOT_FOUND, std::optional<std::vector<FindData>>());
  std::vector<FindData> entries;
  std::error_code ec;
  const fs::path* canonicalRoot = machine.CanonicalRoot();
  const fs::path root = canonicalRoot ? *canonicalRoot : fs::path();
  auto parsed = ParseWindowsPath(dirPath);
  bool atRoot = parsed && parsed->components.empty();
  if (!atRoot) {
    for (const char* dot : {".", ".."})
      if (MatchesWildcard(pattern, dot)) entries.push_back(FindDataFromStat(dot, st));
  }
  if (auto entry = FindSpelledAsGiven(root, *host, pattern)) {
    entries.push_back(std::move(*entry));
    return entries;
  }
  for (fs::directory_iterator it(*host, ec), end; !ec && it != end; it.increment(ec)) {
    std::string name = WindowsName(it->path().filename().string());
    if (name.starts_with(".") || !MatchesWildcard(pattern, name)) continue;  // host dot files are not Windows'
    struct stat entry;
    if (lstat(it->path().c_str(), &entry) != 0 || !StaysInside(root, it->path(), entry)) continue;
    FetchBeforeUse(it->path(), entry);
    entries.push_back(FindDataFromStat(name, entry));
  }
  return entries;
}

}  // namespace

FileHandle CreateFileA(std::string_view fileName, DWORD desiredAccess, DWORD shareMode, DWORD creationDisposition,
                       DWORD) {
  Machine& machine = Machine::Current();
  auto parsed = ParseWindowsPath(fileName);
  if (!parsed) return FileHandle();
  if (parsed->kind == PathKind::Device) return FileHandle(OpenDeviceFile(machine, *parsed, desiredAccess));
  if (parsed->kind == PathKind::Unc)
    return FileHandle(OpenUncFile(machine, *parsed, desiredAccess, creationDisposition));
  struct stat st;
  auto host = HostPath(machine, fileName, Lookup::ParentOnly, &st);
  if (!host) return FileHandle();
  return FileHandle(OpenLocalFile(*host, st, desiredAccess, shareMode, creationDisposition));
}

bool ReadFile(FileHandle& file, std::span<char> buffer, DWORD& bytesRead) {
  bytesRead = 0;
  if (!file) return Fail(ERROR_INVALID_HANDLE, false);
  return file.Object()->Read(buffer, bytesRead);
}

bool WriteFile(FileHandle& file, std::string_view bytes, DWORD& bytesWritten) {
  bytesWritten = 0;
  if (!file) return Fail(ERROR_INVALID_HANDLE, false);
  return file.Object()->Write(bytes, bytesWritten);
}

DWORD SetFilePointer(FileHandle& file, LONG distance, DWORD moveMethod) {
  if (!file) return Fail(ERROR_INVALID_HANDLE, INVALID_SET_FILE_POINTER);
  return file.Object()->Seek(distance, moveMethod);
}

DWORD GetFileSize(FileHandle& file) {
  if (!file) return Fail(ERROR_INVALID_HANDLE, INVALID_FILE_SIZE);
  return file.Object()->Size();
}

bool GetFileTime(FileHandle& file, std::int64_t& lastWriteTime) {
  if (!file) return Fail(ERROR_INVALID_HANDLE, false);
  return file.Object()->LastWriteTime(lastWriteTime);
}

bool CloseHandle(FileHandle& file) {
  if (!file) return Fail(ERROR_INVALID_HANDLE, false);
  file.Close();
  return true;
}

FindHandle FindFirstFileA(std::string_view pattern, FindData& data) {
  Machine& machine = Machine::Current();
  auto [dir, name] = SplitLast(pattern);
  if (name.empty()) return Fail(ERROR_FILE_NOT_FOUND, FindHandle());
  auto parsedDir = ParseWindowsPath(dir.empty() ? "C:\\" : dir);
  if (!parsedDir) return FindHandle();
  if (parsedDir->kind == PathKind::Device) return Fail(ERROR_PATH_NOT_FOUND, FindHandle());
  auto entries = parsedDir->kind == PathKind::Unc ? FindUncEntries(machine, *parsedDir, name)
                                                  : FindLocalEntries(machine, dir, name);
  if (!entries) return FindHandle();
  if (entries->empty())
    return Fail(name.find_first_of("*?") == std::string::npos ? ERROR_FILE_NOT_FOUND : ERROR_NO_MORE_FILES,
                FindHandle());
  data = entries->front();
  return FindHandle(std::move(*entries));
}

bool FindNextFileA(FindHandle& find, FindData& data) {
  if (!find.valid_) return Fail(ERROR_INVALID_HANDLE, false);
  if (find.next_ >= find.entries_.size()) return Fail(ERROR_NO_MORE_FILES, false);
  data = find.entries_[find.next_++];
  return true;
}

bool FindClose(FindHandle& find) {
  if (!find.valid_) return Fail(ERROR_INVALID_HANDLE, false);
  find = FindHandle();
  return true;
}

bool DeleteFileA(std::string_view fileName) {
  auto host = HostPath(Machine::Current(), fileName);
  if (!host) return false;
  struct stat st;
  if (lstat(host->c_str(), &st) == 0 && S_ISDIR(st.st_mode)) return Fail(ERROR_ACCESS_DENIED, false);
  if (unlink(host->c_str()) != 0) return Fail(ErrorFromErrno(errno), false);
  return true;
}

bool MoveFileA(std::string_view existingName, std::string_view newName) {
  Machine& machine = Machine::Current();
  auto from = HostPath(machine, existingName);
  if (!from) return false;
  auto to = HostPath(machine, newName, Lookup::ParentOnly);
  if (!to) return false;
  if (renameat2(AT_FDCWD, from->c_str(), AT_FDCWD, to->c_str(), RENAME_NOREPLACE) != 0)
    return Fail(errno == EEXIST ? ERROR_ALREADY_EXISTS : ErrorFromErrno(errno), false);
  return true;
}

DWORD GetFileAttributesA(std::string_view fileName) {
  FindData data;
  FindHandle find = FindFirstFileA(fileName, data);
  if (!find || std::string_view(fileName).find_first_of("*?") != std::string_view::npos) return 0xFFFFFFFFu;
  return data.attributes;
}

std::string GetWindowsDirectoryA() { return Machine::Current().WindowsDirectory(); }
std::string GetSystemDirectoryA() { return Machine::Current().SystemDirectory(); }
std::string GetTempPathA() { return Machine::Current().TempPath(); }

std::optional<std::string> ReadWholeFile(std::string_view fileName, DWORD maxSize) {
  FileHandle file =
      CreateFileA(fileName, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL);
  if (!file) return std::nullopt;
  DWORD size = GetFileSize(file);
  if (size == INVALID_FILE_SIZE) return std::nullopt;
  if (size > maxSize) return Fail(ERROR_INVALID_DATA, std::nullopt);
  std::string bytes(size, '\0');
  DWORD read = 0;
  if (!ReadFile(file, bytes, read)) return std::nullopt;
  bytes.resize(read);
  return bytes;
}

bool ReplaceFileAtomically(std::string_view fileName, std::string_view bytes, ReadOnlyFile readOnly) {
  auto host = HostPath(Machine::Current(), fileName, Lookup::ParentOnly);
  if (!host) return false;
  struct stat st;
  if (stat(host->c_str(), &st) == 0 && S_ISDIR(st.st_mode)) return Fail(ERROR_ACCESS_DENIED, false);
  DWORD error = ReplaceHostFile(*host, bytes, readOnly);
  if (error != ERROR_SUCCESS) return Fail(error, false);
  return true;
}

}  // namespace w95
