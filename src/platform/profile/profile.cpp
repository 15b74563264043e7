#include "platform/profile/profile.h"

#include <sys/stat.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <vector>

#include "platform/base/ini_text.h"
#include "platform/base/last_error.h"
#include "platform/base/text.h"
#include "platform/files/files.h"
#include "platform/machine/ini_cache.h"
#include "platform/machine/machine.h"
#include "platform/machine/paths.h"

namespace fs = std::filesystem;

namespace w95 {

namespace {

constexpr std::string_view kWinIni = "WIN.INI";

// A Windows name that resolved in its own spelling: the host path of each of
// its directories, and of the file.
struct SpelledPath {
  std::vector<fs::path> directories;
  fs::path file;
};

// The profile cache of a machine, by host path of the file; the Windows names
// that resolved in their own spelling; and, by the file name as the caller
// gave it, the kept text of a watched file with its watch.
struct ProfileFiles {
  struct Watched {
    std::shared_ptr<const IniText> text;
    std::shared_ptr<const WatchState> watch;
  };
  explicit ProfileFiles(Machine& machine);
  ~ProfileFiles();
  ProfileFiles(const ProfileFiles&) = delete;
  ProfileFiles& operator=(const ProfileFiles&) = delete;
  IniCache files;
  std::map<std::string, SpelledPath, std::less<>> spelledAsGiven;
  // Few names (WIN.INI, SYSTEM.INI, ...): a list, scanned.
  std::vector<std::pair<std::string, Watched>> byName;
  // What the last call loaded when no cache entry keeps it alive.
  std::shared_ptr<const IniText> held;
  // Where the last value was found: a caller going through a section's keys
  // in order finds each without the index.
  IniText::Cursor cursor;

  const Watched* Named(std::string_view fileName) const {
    for (const auto& [name, watched] : byName)
      if (name == fileName) return &watched;
    return nullptr;
  }
  void Name(std::string_view fileName, Watched watched) {
    for (auto& [name, kept] : byName)
      if (name == fileName) {
        kept = std::move(watched);
        return;
      }
    byName.emplace_back(std::string(fileName), std::move(watched));
  }
};

// The profile cache of the current machine. Made only through
// Machine::Current(), and destroyed with that machine (before Machine::Use
// makes another current), so while one exists it is the current machine's.
ProfileFiles* currentProfiles = nullptr;

ProfileFiles::ProfileFiles(Machine& machine) : files(&machine.Watcher()) { currentProfiles = this; }
ProfileFiles::~ProfileFiles() {
  if (currentProfiles == this) currentProfiles = nullptr;
}

ProfileFiles& Profiles() { return currentProfiles ? *currentProfiles : Machine::Current().Service<ProfileFiles>(); }
IniCache& Cache() { return Profiles().files; }

// The host paths that name each component of `path` in the spelling given,
// below the machine's root.
std::optional<SpelledPath> SpellAsGiven(const Machine& machine, std::string_view path) {
  auto parsed = ParseWindowsPath(path);
  const fs::path* root = machine.CanonicalRoot();
  if (!parsed || parsed->kind != PathKind::Local || parsed->components.empty() || !root) return std::nullopt;
  SpelledPath spelled{{}, *root};
  for (const auto& part : parsed->components) {
    auto name = HostName(part);
    if (!name) return std::nullopt;
    if (&part != &parsed->components.front()) spelled.directories.push_back(spelled.file);
    spelled.file /= *name;
  }
  return spelled;
}

// The component walk tries each spelling as given first: while every
// directory of a name that resolved so is still a directory and the file a
// regular file, none of them a link (lstat), the walk finds that same file.
// Its kept text then costs one lstat per component; anything else takes the
// whole way.
std::shared_ptr<const IniText> KeptProfile(ProfileFiles& profiles, std::string_view path) {
  auto found = profiles.spelledAsGiven.find(path);
  if (found == profiles.spelledAsGiven.end()) return nullptr;
  const SpelledPath& spelled = found->second;
  struct stat st;
  for (const auto& directory : spelled.directories)
    if (lstat(directory.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) return nullptr;
  if (lstat(spelled.file.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return nullptr;
  return profiles.files.Kept(spelled.file, FileStamp{st.st_dev, st.st_ino, st.st_size, st.st_mtim});
}

// A name that resolved in its own spelling: remembered, and its file watched
// from the machine's root down (the walk would find that same file while no
// event touches any of them).
std::shared_ptr<const IniText> ReadProfile(ProfileFiles& profiles, std::string_view fileName, const std::string& path,
                                           const fs::path& host) {
  auto spelled = SpellAsGiven(Machine::Current(), path);
  const bool asGiven = spelled && spelled->file == host;
  auto text = profiles.files.Get(
      host, [&] { return ReadWholeFile(path); }, asGiven ? &spelled->directories : nullptr);
  if (!text || !asGiven) return text;
  if (auto watch = profiles.files.WatchOf(host.native()))
    profiles.Name(fileName, ProfileFiles::Watched{text, std::move(watch)});
  profiles.spelledAsGiven.insert_or_assign(path, std::move(*spelled));
  return text;
}

// The file's text, read anew only when it changed; empty when it does not
// exist; nullptr on another error. A watched file that no event touched
// costs the read of the pending events and nothing else: no path, no stat.
// The text stays valid until the next profile call.
const IniText* LoadProfile(std::string_view fileName) {
  ProfileFiles& profiles = Profiles();
  profiles.files.Drain();
  if (const auto* named = profiles.Named(fileName); named && named->watch->Current()) {
    SetLastError(ERROR_SUCCESS);  // as the file's open does
    return named->text.get();
  }
  std::string path = ProfileFilePath(fileName);
  std::shared_ptr<const IniText> text = KeptProfile(profiles, path);
  if (text) {
    SetLastError(ERROR_SUCCESS);
    // Kept under another name of the same file: watched, it serves this name too.
    if (auto found = profiles.spelledAsGiven.find(path); found != profiles.spelledAsGiven.end())
      if (auto watch = profiles.files.WatchOf(found->second.file.native()))
        profiles.Name(fileName, ProfileFiles::Watched{text, std::move(watch)});
  } else if (auto host = HostPath(Machine::Current(), path)) {
    text = ReadProfile(profiles, fileName, path, *host);
    if (text) SetLastError(ERROR_SUCCESS);
  } else if (auto bytes = ReadWholeFile(path)) {
    text = std::make_shared<const IniText>(std::move(*bytes));
  }
  if (!text) {
    DWORD error = GetLastError();
    static const auto empty = std::make_shared<const IniText>();
    if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) text = empty;
  }
  profiles.held = std::move(text);
  return profiles.held.get();
}

// Our own write: the kept copy goes, whatever the file's stamp says.
void DropProfile(std::string_view fileName) {
  if (auto host = HostPath(Machine::Current(), ProfileFilePath(fileName), Lookup::ParentOnly)) Cache().Drop(*host);
}

DWORD CopyString(std::string_view text, std::string& out, DWORD size) {
  if (size == 0) return 0;
  if (text.size() >= size) {
    out.assign(text.substr(0, size - 1));
    SetLastError(ERROR_MORE_DATA);
    return size - 1;
  }
  out.assign(text);
  return static_cast<DWORD>(out.size());
}

// Windows 95's lists: whole names only, each ended by a NUL, then the NUL
// that ends the list, which the count includes. A list that does not fit
// holds the names that do and answers size - 2.
class ListCopy {
 public:
  // A list of names from `text` is never longer than the text and its NUL.
  ListCopy(std::string& out, DWORD size, const IniText& text) : out_(out), size_(size) {
    out_.clear();
    out_.reserve(std::min<size_t>(size, text.Bytes().size() + 1));
  }
  // Whether the name fitted (and the next may be offered).
  bool operator()(std::string_view name) {
    if (out_.size() + name.size() + 2 > size_) {
      full_ = true;
      return false;
    }
    out_.append(name).push_back('\0');
    return true;
  }
  DWORD Count() const {
    if (!full_) return static_cast<DWORD>(out_.size()) + 1;
    SetLastError(ERROR_MORE_DATA);
    return size_ - 2;
  }

 private:
  std::string& out_;
  DWORD size_;
  bool full_ = false;
};

// Blanks as Windows 95 trims section and key names it is given: spaces only.
std::string_view TrimSpaces(std::string_view text) { return Trim(text, " "); }

}  // namespace

std::string ProfileFilePath(std::string_view fileName) {
  if (fileName.find_first_of("\\/") != std::string_view::npos) return std::string(fileName);
  const std::string& windows = Machine::Current().WindowsDirectory();
  std::string path;
  path.reserve(windows.size() + 1 + fileName.size());
  return path.append(windows).append(1, '\\').append(fileName);
}

DWORD GetPrivateProfileStringA(OptionalText section, OptionalText key, OptionalText defaultValue, std::string& out,
                               DWORD size, std::string_view fileName) {
  if (size == 0) return 0;
  const IniText* loaded = LoadProfile(fileName);
  static const IniText empty;
  const IniText* ini = loaded ? loaded : &empty;
  if (!section || !key) {
    if (size < 2) {
      out.clear();
      return 0;
    }
    ListCopy list(out, size, *ini);
    if (!section) {
      ini->VisitSectionNames(std::ref(list));
    } else {
      ini->VisitKeyNames(TrimSpaces(*section), std::ref(list));
    }
    return list.Count();
  }
  if (auto value = ini->ValueView(TrimSpaces(*section), TrimSpaces(*key), Profiles().cursor))
    return CopyString(*value, out, size);
  std::string_view fallback = defaultValue.value_or("");
  while (!fallback.empty() && fallback.back() == ' ') fallback.remove_suffix(1);
  return CopyString(fallback, out, size);
}

UINT GetPrivateProfileIntA(std::string_view section, std::string_view key, int defaultValue,
                           std::string_view fileName) {
  const IniText* ini = LoadProfile(fileName);
  if (!ini) return static_cast<UINT>(defaultValue);
  auto value = ini->ValueView(TrimSpaces(section), TrimSpaces(key));
  if (!value || value->empty()) return static_cast<UINT>(defaultValue);
  std::string_view text = *value;
  bool negative = !text.empty() && text.front() == '-';
  if (negative) text.remove_prefix(1);
  std::uint32_t number = 0;
  for (char c : text) {
    if (c < '0' || c > '9') break;
    number = number * 10 + static_cast<std::uint32_t>(c - '0');
  }
  return negative ? 0u - number : number;
}

BOOL WritePrivateProfileStringA(OptionalText section, OptionalText key, OptionalText value, OptionalText fileName) {
  if (!section && !key && !value) {  // flush: the next read of every file goes to the disk
    Cache().Clear();
    Profiles().spelledAsGiven.clear();
    Profiles().byName.clear();
    return 0;
  }
  if (!section) return Fail(ERROR_FILE_NOT_FOUND, 0);
  std::string_view file = fileName.value_or(kWinIni);
  const IniText* loaded = LoadProfile(file);
  if (!loaded) return 0;
  IniText ini = *loaded;
  std::string_view sectionName = TrimSpaces(*section);
  bool changed = !key     ? ini.DeleteSection(sectionName)
                 : !value ? ini.DeleteKey(sectionName, TrimSpaces(*key))
                          : ini.SetValue(sectionName, TrimSpaces(*key), *value);
  if (!changed) return 1;
  DropProfile(file);
  return ReplaceFileAtomically(ProfileFilePath(file), ini.Bytes()) ? 1 : 0;
}

DWORD GetProfileStringA(OptionalText section, OptionalText key, OptionalText defaultValue, std::string& out,
                        DWORD size) {
  return GetPrivateProfileStringA(section, key, defaultValue, out, size, kWinIni);
}

UINT GetProfileIntA(std::string_view section, std::string_view key, int defaultValue) {
  return GetPrivateProfileIntA(section, key, defaultValue, kWinIni);
}

BOOL WriteProfileStringA(OptionalText section, OptionalText key, OptionalText value) {
  return WritePrivateProfileStringA(section, key, value, kWinIni);
}

}  // namespace w95
