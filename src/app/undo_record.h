// The undo record of a run: which files of the machine the run changed, when,
// and their digests before and after; one record per run in the machine's
// DXL directory (<windows>\DXL\UNDOnnnn.JSN), the files as they were beside
// it (Unnnnmmm.DXU: run nnnn, file mmm).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace dxl {

struct FileState {
  std::uint64_t size = 0;
  std::string sha256;
};

struct UndoFile {
  std::string path;                 // Windows path, code page 936
  std::optional<FileState> before;  // nullopt: the run created the file
  FileState after;
  std::string kept;  // the kept copy's name in the DXL directory; empty for a created file
};

struct UndoRecord {
  int run = 0;
  std::string started;  // UTC, ISO 8601
  std::string undone;   // when it was undone; empty while it stands
  std::vector<UndoFile> files;
};

// <windows>\DXL, where the records and kept copies live.
std::string UndoDirectory();
std::string RecordPath(int run);
std::string KeptName(int run, std::size_t index);
// The runs that have a record, in ascending order.
std::vector<int> RecordedRuns();

std::string RecordText(const UndoRecord& record);
std::optional<UndoRecord> ParseRecord(std::string_view text);
std::optional<UndoRecord> ReadRecord(int run);
bool WriteRecord(const UndoRecord& record);

FileState StateOf(std::string_view bytes);
std::string UtcNow();

}  // namespace dxl
