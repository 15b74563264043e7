#include "app/undo_journal.h"

#include <system_error>

#include "platform/base/case_rules.h"
#include "platform/base/text.h"
#include "platform/files/files.h"
#include "platform/machine/machine.h"
#include "platform/machine/paths.h"

namespace fs = std::filesystem;

namespace dxl {

namespace {

std::optional<std::string> RelativeWindowsPath(const fs::path& host, const fs::path& root) {
  const fs::path relative = host.lexically_normal().lexically_relative(root.lexically_normal());
  if (relative.empty() || *relative.begin() == ".." || relative == ".") return std::nullopt;
  std::string windowsPath = "C:";
  for (const auto& part : relative) windowsPath += "\\" + w95::WindowsName(part.string());
  return windowsPath;
}

bool InUndoDirectory(std::string_view windowsPath) {
  const std::string directory = UndoDirectory() + "\\";
  return windowsPath.size() > directory.size() && w95::StartsWithNoCase(windowsPath, directory);
}

// The DXL directory, made when the installation lacks it.
bool EnsureUndoDirectory() {
  auto host = w95::HostPath(w95::Machine::Current(), UndoDirectory(), w95::Lookup::ParentOnly);
  if (!host) return false;
  std::error_code ec;
  fs::create_directory(*host, ec);
  return fs::is_directory(*host, ec);
}

}  // namespace

std::optional<std::string> WindowsPathOfHost(const fs::path& host) {
  const w95::Machine& machine = w95::Machine::Current();
  if (auto path = RelativeWindowsPath(host, machine.Root())) return path;
  if (const fs::path* canonical = machine.CanonicalRoot()) return RelativeWindowsPath(host, *canonical);
  return std::nullopt;
}

UndoJournal::UndoJournal() : previous_(w95::SetReplaceObserver(this)) {}

UndoJournal::~UndoJournal() { w95::SetReplaceObserver(previous_); }

bool UndoJournal::BeforeReplace(const fs::path& path) {
  auto windowsPath = WindowsPathOfHost(path);
  // Files outside the machine, and the DXL directory's logs and records, are no change to undo.
  if (!windowsPath || InUndoDirectory(*windowsPath)) return true;
  for (const auto& file : record_.files)
    if (w95::EqualsNoCase(file.path, *windowsPath)) return true;  // kept at its first change
  return Keep(*windowsPath, path);
}

bool UndoJournal::StartRun() {
  if (record_.run != 0) return true;
  if (!EnsureUndoDirectory()) return false;
  const std::vector<int> runs = RecordedRuns();
  record_.run = runs.empty() ? 1 : runs.back() + 1;
  record_.started = UtcNow();
  return record_.run <= 9999;
}

bool UndoJournal::Keep(const std::string& windowsPath, const fs::path& host) {
  std::error_code ec;
  const bool exists = fs::exists(host, ec);
  if (ec) return false;
  std::optional<std::string> bytes;
  if (exists && !(bytes = w95::ReadHostFile(host))) return false;
  if (!StartRun()) return false;
  UndoFile file{windowsPath, std::nullopt, {}, {}};
  if (bytes) {
    file.before = file.after = StateOf(*bytes);
    file.kept = KeptName(record_.run, record_.files.size());
    if (!w95::ReplaceFileAtomically(UndoDirectory() + "\\" + file.kept, *bytes)) return false;
  }
  record_.files.push_back(std::move(file));
  if (WriteRecord(record_)) return true;
  record_.files.pop_back();
  return false;
}

void UndoJournal::AfterReplace(const fs::path& path, std::string_view bytes) {
  auto windowsPath = WindowsPathOfHost(path);
  if (!windowsPath) return;
  for (auto& file : record_.files) {
    if (!w95::EqualsNoCase(file.path, *windowsPath)) continue;
    file.after = StateOf(bytes);
    if (!WriteRecord(record_)) recordFailed_ = true;
    return;
  }
}

}  // namespace dxl
