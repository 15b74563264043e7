// The file lists of the set-up information: records of seven fields naming a
// file and the size, time stamp and version it must have.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace dxl {

// One entry of a file list. The first field of a record is not used.
struct FileRecord {
  std::string fileNameField;
  std::string dateField;       // YYYY/MM/DD
  std::string timeField;       // HH:MM:SS, local time
  std::string sizeField;       // decimal
  std::string directoryField;  // "WINDOWS", "SYSTEM" or "DXLDIR"
  std::string versionField;    // four dot-separated numbers, or "0"
};

// Reads the records of one section's text, which starts right after the
// section's '[' (the rest of its header is the first field and is dropped).
// Fields are separated by runs of blank, comma, tab, LF and CR. A record whose
// first field begins with ';' is a comment: the rest of its line is skipped.
class FileListReader {
 public:
  explicit FileListReader(std::string_view sectionText);

  // The next record; nullopt when the list ends: the fields run out (an
  // incomplete last record is not returned), or a record's version field
  // begins with '"'.
  std::optional<FileRecord> Next();

 private:
  std::optional<std::string_view> NextField();

  std::string_view text_;
  std::size_t position_ = 0;
  bool ended_ = false;
};

// The four numbers of a version text "a.b.c.d" (each 1 to 10 digits, at most
// 4294967295; the whole text at most 31 characters); nullopt for anything else.
std::optional<std::array<std::uint32_t, 4>> ParseVersionText(std::string_view text);

// True for a bare file name that stays in the directory it is looked up in:
// not empty, no path separator, drive, wildcard or other character Windows
// refuses in a name, not "." or "..", and not an MS-DOS device name.
bool IsPlainFileName(std::string_view name);

// The file name up to and including its first dot (a name without a dot gets
// one), followed by `number` (0 to 999) in three digits: "DXLQ7EM.002".
std::string BackupName(std::string_view fileName, int number);

}  // namespace dxl
