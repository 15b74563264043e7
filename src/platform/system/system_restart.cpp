// ExitWindowsEx on the emulated machine: the restart happens at once, as
// Windows 95 boots. WININIT.INI [Rename] is carried out line by line, in file
// order (duplicate keys are normal there: several "NUL=" lines), then the file
// is kept as WININIT.BAK, then the user logs on to the network again.
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/base/case_rules.h"
#include "platform/base/last_error.h"
#include "platform/base/text.h"
#include "platform/machine/machine.h"
#include "platform/machine/paths.h"
#include "platform/network/network.h"
#include "platform/system/system.h"

namespace fs = std::filesystem;

namespace w95 {

namespace {

struct RenameEntry {
  std::string destination;  // "NUL": delete the source
  std::string source;
};

// The lines of every [Rename] section, in file order, duplicates kept.
std::vector<RenameEntry> ReadRenameEntries(std::string_view text) {
  std::vector<RenameEntry> entries;
  bool inRename = false;
  while (!text.empty()) {
    size_t end = text.find_first_of("\r\n");
    std::string_view line = Trim(text.substr(0, end));
    text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    if (line.starts_with('[')) {
      size_t close = line.find(']');
      inRename = close != std::string_view::npos && EqualsNoCase(Trim(line.substr(1, close - 1)), "rename");
      continue;
    }
    size_t equals = line.find('=');
    if (!inRename || line.starts_with(';') || equals == std::string_view::npos) continue;
    entries.push_back({std::string(Trim(line.substr(0, equals))), std::string(Trim(line.substr(equals + 1)))});
  }
  return entries;
}

// An 8.3 name: WININIT runs before long file names are available and ignores
// entries that use them.
bool IsShortName(std::string_view name) {
  if (name.find_first_of(" +,;=[]\"*?<>|") != std::string_view::npos) return false;
  size_t dot = name.find('.');
  std::string_view base = name.substr(0, dot);
  std::string_view extension = dot == std::string_view::npos ? std::string_view() : name.substr(dot + 1);
  return !base.empty() && base.size() <= 8 && extension.size() <= 3 && extension.find('.') == std::string_view::npos;
}

// The host path of a local 8.3 path of the machine; nullopt for anything else
// (another drive, UNC or device names, long names, a way out of the root).
std::optional<fs::path> ShortHostPath(const Machine& machine, std::string_view windowsPath, Lookup lookup) {
  auto parsed = ParseWindowsPath(windowsPath);
  if (!parsed || parsed->kind != PathKind::Local || parsed->components.empty()) return std::nullopt;
  for (const auto& component : parsed->components)
    if (!IsShortName(component)) return std::nullopt;
  return HostPath(machine, windowsPath, lookup);
}

bool IsFile(const fs::path& path) {
  std::error_code ec;
  auto status = fs::symlink_status(path, ec);
  return !ec && (fs::is_regular_file(status) || fs::is_symlink(status));
}

void CarryOut(const Machine& machine, const RenameEntry& entry, RestartRecord& record) {
  auto source = ShortHostPath(machine, entry.source, Lookup::Existing);
  if (!source || !IsFile(*source)) {
    ++record.skipped;
    return;
  }
  std::error_code ec;
  if (EqualsNoCase(entry.destination, "NUL")) {
    fs::remove(*source, ec);
    ++(ec ? record.skipped : record.deleted);
    return;
  }
  auto destination = ShortHostPath(machine, entry.destination, Lookup::ParentOnly);
  if (!destination || fs::is_directory(fs::symlink_status(*destination, ec))) {
    ++record.skipped;
    return;
  }
  // rename() replaces an existing destination in one step, as WININIT may.
  fs::rename(*source, *destination, ec);
  ++(ec ? record.skipped : record.renamed);
}

void ProcessWininit(const Machine& machine, RestartRecord& record) {
  auto wininit = HostPath(machine, machine.WindowsDirectory() + "\\WININIT.INI");
  if (!wininit || !IsFile(*wininit)) return;
  record.wininit = true;
  if (auto text = ReadHostFile(*wininit))
    for (const auto& entry : ReadRenameEntries(*text)) CarryOut(machine, entry, record);
  auto backup = HostPath(machine, machine.WindowsDirectory() + "\\WININIT.BAK", Lookup::ParentOnly);
  std::error_code ec;
  if (backup) fs::rename(*wininit, *backup, ec);
}

RestartRecord& LastRecord() {
  static RestartRecord record;
  return record;
}

std::string Count(int n, std::string_view one, std::string_view many) {
  return std::to_string(n) + " " + std::string(n == 1 ? one : many);
}

}  // namespace

const RestartRecord& LastRestart() { return LastRecord(); }

std::string DescribeRestart(const RestartRecord& record) {
  std::string text = "Windows restarted: ";
  if (!record.wininit) text += "no WININIT.INI to carry out";
  if (record.wininit)
    text += "WININIT.INI carried out (" + Count(record.renamed, "file renamed", "files renamed") + ", " +
            Count(record.deleted, "deleted", "deleted") + ", " +
            Count(record.skipped, "entry skipped", "entries skipped") + ")";
  return text + "; " + Count(record.network.restored, "network connection restored", "network connections restored") +
         ", " + Count(record.network.ended, "non-persistent connection ended", "non-persistent connections ended") +
         ".";
}

bool ExitWindowsEx(UINT flags, DWORD /*reserved*/) {
  const UINT action = flags & (EWX_SHUTDOWN | EWX_REBOOT);
  RestartRecord& record = LastRecord();
  record = RestartRecord();
  // A shut-down machine boots the next time it is used; for the emulated one
  // that is now, so a shut-down is carried out like a restart.
  if (action != EWX_LOGOFF) ProcessWininit(Machine::Current(), record);
  record.network = RestartNetwork();
  SetLastError(ERROR_SUCCESS);
  return true;
}

}  // namespace w95
