// Windows path names of the emulated machine and their host counterparts.
//
// Drive C: is the machine's root directory; a path without a drive is taken
// from C:\ (the emulated process's current directory). Components are looked
// up without regard to case, as Windows 95's file system does. Nothing ever
// resolves outside the root: ".." components, and symbolic links that point out
// of it, are refused with ERROR_ACCESS_DENIED.
#pragma once

#include <sys/stat.h>

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/base/win_types.h"

namespace w95 {

class Machine;

enum class PathKind { Local, Unc, Device };

struct ParsedPath {
  PathKind kind = PathKind::Local;
  std::vector<std::string> components;  // Local: below C:\; Unc: below \\server\share
  std::string server;                   // Unc only, without backslashes
  std::string share;                    // Unc only; may be empty for "\\server"
  std::string device;                   // Device only, upper case without ':' ("LPT1")
};

// Splits a Windows path; nullopt with the last error set when it is not a valid
// name (another drive, "..", characters Windows refuses).
std::optional<ParsedPath> ParseWindowsPath(std::string_view path);

// Joins a local parsed path back into Windows form ("C:\A\B").
std::string JoinWindowsPath(const std::vector<std::string>& components);

enum class Lookup {
  Existing,   // the named entry must exist: ERROR_FILE_NOT_FOUND / ERROR_PATH_NOT_FOUND
  ParentOnly  // only its directory must exist; the entry itself may be missing
};

// The host path of a local Windows path on `machine`: existing components take
// the host spelling found case-insensitively, a missing last component (with
// Lookup::ParentOnly) the spelling given. nullopt with the last error set on
// failure, including UNC and device names.
// With `found`, the stat of the entry the path names (links followed) is kept
// there when it exists; found->st_mode is 0 when it does not. A file named is
// fetched first when its content is not on the host yet (host_fetch.h).
std::optional<std::filesystem::path> HostPath(const Machine& machine, std::string_view windowsPath,
                                              Lookup lookup = Lookup::Existing, struct stat* found = nullptr);

// Host counterpart of one Windows name component (code page 936 to UTF-8), and back.
std::optional<std::string> HostName(std::string_view windowsName);
std::string WindowsName(const std::string& hostName);

// Whole-file helpers on host paths, used where no Windows semantics apply.
// Only a regular file is read (host_open.h); anything else at the name is nullopt.
std::optional<std::string> ReadHostFile(const std::filesystem::path& path);

// A regular file without the owner's write bit: FILE_ATTRIBUTE_READONLY, which
// Windows honours whoever asks (so here root too).
bool IsReadOnlyHostFile(const std::filesystem::path& path);

// Replaces `path` with `bytes` atomically: a temporary file beside it, flushed to
// disk, renamed over the old one. The old file stays intact on any failure.
// Temporaries that an earlier, killed run left beside it are removed first.
// Returns ERROR_SUCCESS or a Windows error code; ERROR_ACCESS_DENIED for a
// read-only file, unless `readOnly` says to replace it as well (the registry
// writes its hives whatever their attributes). The new file keeps the old one's mode.
// `verify`, when given, reads the new file, written and flushed, at the
// descriptor it gets before the file replaces the old one; when it answers
// false the old file stays and the call gives ERROR_INVALID_DATA.
enum class ReadOnlyFile { Refuse, Replace };
DWORD ReplaceHostFile(const std::filesystem::path& path, std::string_view bytes,
                      ReadOnlyFile readOnly = ReadOnlyFile::Refuse, const std::function<bool(int fd)>& verify = {});

}  // namespace w95
