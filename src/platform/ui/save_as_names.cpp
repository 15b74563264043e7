#include "platform/ui/save_as_names.h"

#include <algorithm>

#include "platform/base/case_rules.h"
#include "platform/base/last_error.h"
#include "platform/files/files.h"

namespace w95::ui {

namespace {

bool ByNameNoCase(const FolderEntry& a, const FolderEntry& b) { return CompareNoCase(a.name, b.name) < 0; }

}  // namespace

std::string FullSaveName(std::string name, const std::string& folder) {
  std::replace(name.begin(), name.end(), '/', '\\');
  bool drive = name.size() >= 2 && name[1] == ':';
  if (drive && (name.size() == 2 || name[2] != '\\')) return name.substr(0, 2) + "\\" + name.substr(2);
  if (name.starts_with("\\\\") || drive) return name;
  if (name.starts_with("\\")) return "C:" + name;
  return (folder.ends_with('\\') ? folder : folder + "\\") + name;
}

std::string FolderOf(const std::string& name) {
  size_t last = name.find_last_of('\\');
  std::string folder = name.substr(0, last);
  return folder.size() == 2 && folder[1] == ':' ? folder + "\\" : folder;
}

bool FolderExists(const std::string& folder) {
  if (folder.size() == 3 && folder[1] == ':') return UpperTextByte(folder[0]) == 'C';
  DWORD attributes = GetFileAttributesA(folder);
  return attributes != 0xFFFFFFFFu && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

EntryKind KindOf(const std::string& name) {
  if (FolderExists(name)) return EntryKind::Folder;
  if (GetFileAttributesA(name) != 0xFFFFFFFFu) return EntryKind::File;
  return GetLastError() == ERROR_ACCESS_DENIED ? EntryKind::Unreachable : EntryKind::None;
}

std::string HeldName(const std::string& fullName) {
  FindData data;
  FindHandle found = FindFirstFileA(fullName, data);
  if (!found) return {};
  FindClose(found);
  return data.fileName;
}

std::optional<std::vector<FolderEntry>> ListFolder(const std::string& folder, const std::string& pattern) {
  const std::string prefix = folder.ends_with('\\') ? folder : folder + "\\";
  std::vector<FolderEntry> folders, files;
  FindData data;
  FindHandle all = FindFirstFileA(prefix + "*", data);
  if (!all) return std::nullopt;
  do {
    if ((data.attributes & FILE_ATTRIBUTE_DIRECTORY) && data.fileName != "." && data.fileName != "..")
      folders.push_back({data.fileName, true});
  } while (FindNextFileA(all, data));
  FindClose(all);
  FindHandle matching = FindFirstFileA(prefix + (pattern.empty() ? "*.*" : pattern), data);
  if (matching) {
    do {
      if (!(data.attributes & FILE_ATTRIBUTE_DIRECTORY)) files.push_back({data.fileName, false});
    } while (FindNextFileA(matching, data));
    FindClose(matching);
  }
  std::sort(folders.begin(), folders.end(), ByNameNoCase);
  std::sort(files.begin(), files.end(), ByNameNoCase);
  folders.insert(folders.end(), files.begin(), files.end());
  return folders;
}

}  // namespace w95::ui
