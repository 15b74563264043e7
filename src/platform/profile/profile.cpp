#include "platform/profile/profile.h"

#include <sys/stat.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>

#include "platform/base/ini_text.h"
#include "platform/base/last_error.h"
#include "platform/base/text.h"
#include "platform/files/files.h"
#include "platform/machine/ini_cache.h"
#include "platform/machine/machine.h"
#include "platform/machine/paths.h"

namespace w95 {

namespace {

constexpr std::string_view kWinIni = "WIN.INI";
constexpr size_t kMaxNames = 64;

// The profile files of a machine, parsed, a few at a time, and the host file
// each Windows name resolved to when it was last read.
struct ProfileFiles {
  explicit ProfileFiles(Machine&) {}
  IniCache files;
  std::map<std::string, std::filesystem::path, std::less<>> resolved;
};

ProfileFiles& Profiles() { return Machine::Current().Service<ProfileFiles>(); }

// The kept text of the file `path` resolved to when it was read, while one
// stat finds that file unchanged; else nullptr.
std::shared_ptr<const IniText> Unchanged(ProfileFiles& profiles, const std::string& path) {
  auto known = profiles.resolved.find(path);
  if (known == profiles.resolved.end()) return nullptr;
  return profiles.files.Get(known->second, [] { return std::optional<std::string>(); });  // never reads
}

// The file's text, read anew only when it changed; empty when it does not
// exist; nullptr on another error. A name is resolved (the component walk)
// whenever its file is read.
std::shared_ptr<const IniText> LoadProfile(std::string_view fileName) {
  ProfileFiles& profiles = Profiles();
  const std::string path = ProfileFilePath(fileName);
  std::shared_ptr<const IniText> text = Unchanged(profiles, path);
  struct stat st;
  if (text) {
    SetLastError(ERROR_SUCCESS);  // as the file's open does
  } else if (auto host = HostPath(Machine::Current(), path, Lookup::Existing, &st); host && S_ISREG(st.st_mode)) {
    text = profiles.files.Get(*host, st, [&] { return ReadWholeFile(path); });
    if (text) {
      SetLastError(ERROR_SUCCESS);
      if (profiles.resolved.size() >= kMaxNames) profiles.resolved.clear();
      profiles.resolved.insert_or_assign(path, std::move(*host));
    }
  } else if (auto bytes = ReadWholeFile(path)) {
    text = std::make_shared<const IniText>(std::move(*bytes));
  }
  if (text) return text;
  static const auto empty = std::make_shared<const IniText>();
  const DWORD error = GetLastError();
  return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? empty : nullptr;
}

// Our own write: the kept copy goes, whatever the file's stamp says.
void DropProfile(std::string_view fileName) {
  if (auto host = HostPath(Machine::Current(), ProfileFilePath(fileName), Lookup::ParentOnly))
    Profiles().files.Drop(*host);
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

// Windows 95's lists: each name ended by a NUL, then the NUL that ends the
// list, which the count includes. A list that does not fit answers size - 2:
// a list of sections holds the whole names that fit; a list of keys is cut
// to size - 3 bytes, inside a name, and that name ended by a NUL.
class ListCopy {
 public:
  enum class Cut : bool { BetweenNames, InsideName };
  // A list of names from `text` is never longer than the text and its NUL.
  ListCopy(std::string& out, DWORD size, const IniText& text, Cut cut) : out_(out), size_(size), cut_(cut) {
    out_.clear();
    out_.reserve(std::min<size_t>(size, text.Bytes().size() + 1));
  }
  // Whether the name fitted (and the next may be offered).
  bool operator()(std::string_view name) {
    if (out_.size() + name.size() + 2 <= size_) {
      out_.append(name).push_back('\0');
      return true;
    }
    full_ = true;
    if (cut_ == Cut::InsideName) {
      out_.append(name);  // more than size - 3 bytes now
      out_.resize(size_ < 3 ? 0 : size_ - 3);
      if (size_ >= 3) out_.push_back('\0');
    }
    return false;
  }
  DWORD Count() const {
    if (!full_) return static_cast<DWORD>(out_.size()) + 1;
    SetLastError(ERROR_MORE_DATA);
    return size_ - 2;
  }

 private:
  std::string& out_;
  DWORD size_;
  Cut cut_;
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
  auto loaded = LoadProfile(fileName);
  static const IniText empty;
  const IniText& ini = loaded ? *loaded : empty;
  if (!section || !key) {
    if (size < 2) {
      out.clear();
      return 0;
    }
    ListCopy list(out, size, ini, section ? ListCopy::Cut::InsideName : ListCopy::Cut::BetweenNames);
    if (!section) {
      ini.VisitSectionNames(std::ref(list));
    } else {
      ini.VisitKeyNames(TrimSpaces(*section), std::ref(list));
    }
    return list.Count();
  }
  if (auto value = ini.ValueView(TrimSpaces(*section), TrimSpaces(*key))) return CopyString(*value, out, size);
  std::string_view fallback = defaultValue.value_or("");
  while (!fallback.empty() && fallback.back() == ' ') fallback.remove_suffix(1);
  return CopyString(fallback, out, size);
}

UINT GetPrivateProfileIntA(std::string_view section, std::string_view key, int defaultValue,
                           std::string_view fileName) {
  auto ini = LoadProfile(fileName);
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
    ProfileFiles& profiles = Profiles();
    profiles.files.Clear();
    profiles.resolved.clear();
    return 0;
  }
  if (!section) return Fail(ERROR_FILE_NOT_FOUND, 0);
  std::string_view file = fileName.value_or(kWinIni);
  auto loaded = LoadProfile(file);
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

void VisitPrivateProfileValues(std::string_view section, std::string_view fileName, const ProfileValueVisit& visit) {
  auto loaded = LoadProfile(fileName);
  if (!loaded) return;
  const IniText& ini = *loaded;
  const std::string_view name = TrimSpaces(section);
  ini.VisitKeyNames(name, [&](std::string_view key) {
    for (size_t at = 0, end; at < key.size(); at = end + 1) {
      end = std::min(key.find('\0', at), key.size());
      if (end == at) continue;
      const std::string_view piece = key.substr(at, end - at);
      visit(piece, ini.ValueView(name, TrimSpaces(piece)).value_or(""));
    }
    return true;
  });
}

DWORD GetProfileStringA(OptionalText section, OptionalText key, OptionalText defaultValue, std::string& out,
                        DWORD size) {
  return GetPrivateProfileStringA(section, key, defaultValue, out, size, kWinIni);
}

UINT GetProfileIntA(std::string_view section, std::string_view key, int defaultValue) {
  return GetPrivateProfileIntA(section, key, defaultValue, kWinIni);
}

void VisitProfileValues(std::string_view section, const ProfileValueVisit& visit) {
  VisitPrivateProfileValues(section, kWinIni, visit);
}

BOOL WriteProfileStringA(OptionalText section, OptionalText key, OptionalText value) {
  return WritePrivateProfileStringA(section, key, value, kWinIni);
}

}  // namespace w95
