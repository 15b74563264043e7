#include "app/undo_command.h"

#include <optional>
#include <string>
#include <vector>

#include "app/undo_record.h"
#include "platform/base/cp936.h"
#include "platform/base/last_error.h"
#include "platform/files/files.h"
#include "platform/system/instance.h"

namespace dxl {

namespace {

std::string Shown(const std::string& windowsPath) { return w95::Cp936ToUtf8Lossy(windowsPath); }

// The last record that stands.
std::optional<UndoRecord> LastStandingRecord(std::ostream& err) {
  const std::vector<int> runs = RecordedRuns();
  for (auto run = runs.rbegin(); run != runs.rend(); ++run) {
    auto record = ReadRecord(*run);
    if (!record) {
      err << "dxlq7trs: " << Shown(RecordPath(*run)) << " cannot be read; nothing restored\n";
      return std::nullopt;
    }
    if (record->undone.empty()) return record;
  }
  err << "dxlq7trs: no run to undo in " << Shown(UndoDirectory()) << "\n";
  return std::nullopt;
}

// Why the file is no longer as the run left it; empty when it is.
std::string ChangeSince(const UndoFile& file) {
  auto bytes = w95::ReadWholeFile(file.path);
  if (!bytes) {
    if (!file.before) return {};  // a file the run made, gone already
    return "it is missing";
  }
  if (StateOf(*bytes).sha256 != file.after.sha256) return "its contents changed since the run";
  return {};
}

// The kept copies, read and checked before anything is restored.
std::optional<std::vector<std::optional<std::string>>> KeptCopies(const UndoRecord& record, std::ostream& err) {
  std::vector<std::optional<std::string>> copies;
  for (const auto& file : record.files) {
    if (!file.before) {
      copies.emplace_back();
      continue;
    }
    auto bytes = w95::ReadWholeFile(UndoDirectory() + "\\" + file.kept);
    if (!bytes || StateOf(*bytes).sha256 != file.before->sha256) {
      err << "dxlq7trs: the kept copy of " << Shown(file.path) << " (" << file.kept
          << ") is missing or damaged; nothing restored\n";
      return std::nullopt;
    }
    copies.push_back(std::move(bytes));
  }
  return copies;
}

// A file is put back whatever its read-only attribute: the run wrote it so
// (the registry writes its hives whatever their attributes), and keeps its mode.
bool Restore(const UndoFile& file, const std::optional<std::string>& kept) {
  if (kept) return w95::ReplaceFileAtomically(file.path, *kept, w95::ReadOnlyFile::Replace);
  if (w95::GetFileAttributesA(file.path) == 0xFFFFFFFF) return true;
  return w95::DeleteFileA(file.path);
}

}  // namespace

int UndoLastRun(bool force, std::ostream& out, std::ostream& err) {
  // Not while a run of the wizard (or another undo) works on this machine.
  w95::InstanceMarker marker = w95::CreateInstanceMarker("dxlq7trs.exe");
  if (!marker || w95::GetLastError() == w95::ERROR_ALREADY_EXISTS) {
    err << "dxlq7trs: another copy runs on this machine; nothing restored\n";
    return undo_exit::kAnotherCopy;
  }
  auto record = LastStandingRecord(err);
  if (!record) return undo_exit::kNothingToUndo;
  bool changed = false;
  for (const auto& file : record->files) {
    const std::string why = ChangeSince(file);
    if (why.empty()) continue;
    changed = true;
    err << "dxlq7trs: " << Shown(file.path) << ": " << why << "\n";
  }
  if (changed && !force) {
    err << "dxlq7trs: nothing restored (--undo --force restores them all the same)\n";
    return undo_exit::kChangedSince;
  }
  auto copies = KeptCopies(*record, err);
  if (!copies) return undo_exit::kWriteFailed;
  int exitCode = undo_exit::kRestored;
  for (std::size_t i = 0; i < record->files.size(); ++i) {
    const UndoFile& file = record->files[i];
    if (!Restore(file, (*copies)[i])) {
      err << "dxlq7trs: " << Shown(file.path) << " could not be restored\n";
      exitCode = undo_exit::kWriteFailed;
      continue;
    }
    out << (file.before ? "restored " : "removed ") << Shown(file.path) << "\n";
  }
  if (exitCode != undo_exit::kRestored) return exitCode;
  record->undone = UtcNow();
  if (!WriteRecord(*record)) {
    err << "dxlq7trs: " << Shown(RecordPath(record->run)) << " could not be marked undone\n";
    return undo_exit::kWriteFailed;
  }
  for (const auto& file : record->files)
    if (!file.kept.empty()) w95::DeleteFileA(UndoDirectory() + "\\" + file.kept);
  out << "run " << record->run << " of " << record->started << " undone\n";
  return undo_exit::kRestored;
}

}  // namespace dxl
