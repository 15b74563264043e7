// What a Save-As dialog (GetSaveFileNameA) makes of a typed name, and what it
// lists, in the machine's own terms: Windows names in code page 936, folders
// of drive C: read through the emulated file calls (never a host path).
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace w95::ui {

// The full Windows name of a typed answer: '/' read as '\\' (as Windows
// reads it), a bare name put in `folder`, a name from the root of no drive
// (or "C:NAME") put on drive C:.
std::string FullSaveName(std::string name, const std::string& folder);

// The folder of a full name; a root keeps its backslash (C:\).
std::string FolderOf(const std::string& name);

// Whether a folder exists. A root is no entry of a folder, so it is not
// searched for: C:\ is there, no other drive is.
bool FolderExists(const std::string& folder);

enum class EntryKind { None, File, Folder, Unreachable };
// What a full name names on the machine (a root is a folder). Unreachable:
// there is an entry, but the machine refuses it (a link out of the machine).
EntryKind KindOf(const std::string& name);

// The name of the entry a full name points to, spelt as the machine holds it
// (the name is looked up without regard to case); empty when there is none.
std::string HeldName(const std::string& fullName);

struct FolderEntry {
  std::string name;  // code page 936
  bool folder = false;
};

// The folders of `folder` (all of them) and then its files that match
// `pattern`, each sorted by name without regard to case; "." and ".." left
// out. nullopt (the last error set) when the folder cannot be read.
std::optional<std::vector<FolderEntry>> ListFolder(const std::string& folder, const std::string& pattern);

}  // namespace w95::ui
