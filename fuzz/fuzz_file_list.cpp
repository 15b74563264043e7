// A file list of the set-up information of any bytes: its records, and each
// record judged against the machine's files as the installed-file check does.
#include <cstdio>
#include <cstdlib>

#include "checks/file_list.h"
#include "checks/installed_files.h"
#include "fuzz_machine.h"

namespace {

constexpr std::size_t kMaxRecords = 16;  // each record is a file look-up

void Require(bool condition, const char* what) {
  if (condition) return;
  std::fprintf(stderr, "broken: %s\n", what);
  std::abort();
}

std::string DirectoryOf(std::string_view keyword) {
  if (keyword == "WINDOWS") return "C:\\WINDOWS";
  if (keyword == "SYSTEM") return "C:\\WINDOWS\\SYSTEM";
  if (keyword == "DXLDIR") return "C:\\WINDOWS\\Dxl";
  return {};
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  auto& machine = dxl::fuzz::FuzzMachine::Get();
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  dxl::FileListReader reader(text);
  std::size_t records = 0;
  while (auto record = reader.Next()) {
    Require(++records <= size, "every record takes bytes of the list");
    (void)dxl::ParseVersionText(record->versionField);
    const std::string backup = dxl::BackupName(record->fileNameField, static_cast<int>(records % 1000));
    Require(backup.size() <= record->fileNameField.size() + 4, "a backup name is the name and three digits");
    if (records > kMaxRecords || !dxl::IsPlainFileName(record->fileNameField)) continue;
    const std::string path = DirectoryOf(record->directoryField) + "\\" + record->fileNameField;
    std::string currentLine;
    const int found = dxl::CheckInstalledFile(path, record->sizeField, record->versionField,
                                              record->dateField + " " + record->timeField, currentLine);
    Require(found >= -1 && found <= 1, "the check answers -1, 0 or 1");
  }
  machine.CheckOutsideUntouched();
  return 0;
}
