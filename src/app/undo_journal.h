// The undo journal of a wizard run: before the run first changes a file of
// the machine, the file as it was is kept in the DXL directory and the run's
// record names it; after each change the record holds the file's new digest.
// A file that cannot be kept is not changed.
#pragma once

#include <filesystem>
#include <string>

#include "app/undo_record.h"
#include "platform/machine/replace_observer.h"

namespace dxl {

class UndoJournal : public w95::ReplaceObserver {
 public:
  // Observes the replacements of the current machine while it lives.
  UndoJournal();
  ~UndoJournal() override;
  UndoJournal(const UndoJournal&) = delete;
  UndoJournal& operator=(const UndoJournal&) = delete;

  bool BeforeReplace(const std::filesystem::path& path) override;
  void AfterReplace(const std::filesystem::path& path, std::string_view bytes) override;

  // The files changed so far (run 0 and no files while nothing changed).
  const UndoRecord& Record() const { return record_; }
  // The record could not be brought up to date after a change.
  bool RecordFailed() const { return recordFailed_; }

 private:
  bool Keep(const std::string& windowsPath, const std::filesystem::path& host);
  bool StartRun();

  UndoRecord record_;
  bool recordFailed_ = false;
  w95::ReplaceObserver* previous_ = nullptr;
};

// The Windows path of a host file of the current machine; nullopt for a file
// outside it.
std::optional<std::string> WindowsPathOfHost(const std::filesystem::path& host);

}  // namespace dxl
