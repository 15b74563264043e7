// DXLQ7SET.INF of any bytes, read as VerifySetupFiles reads it and split into
// its two file lists. The text read is the file up to its first NUL; a list
// starts at the first header of its name and runs to the next '['; its records
// come from its own bytes; reading changes nothing.
#include "checks/file_list.h"
#include "checks/setup_information.h"
#include "fuzz_machine.h"
#include "fuzz_require.h"

using dxl::fuzz::Require;

namespace {

constexpr std::string_view kPath = "C:\\WINDOWS\\SYSTEM\\DXLQ7SET.INF";

void CheckSection(const std::string& text, std::string_view header) {
  const auto section = dxl::SetupSectionText(text, header);
  const size_t first = text.find(header);
  Require(section.has_value() == (first != std::string::npos), "a list is found exactly when its header is there");
  if (!section) return;
  Require(section->starts_with(header.substr(1)), "a list starts with the rest of its header");
  Require(text.compare(first + 1, section->size(), *section) == 0, "a list is the text after the first header");
  const size_t end = first + 1 + section->size();
  Require(end == text.size() || text[end] == '[', "a list ends at the next '[' or the end of the file");
  Require(section->find('[') == std::string::npos, "a list holds no other header");
  dxl::FileListReader reader(*section);
  size_t fieldBytes = 0;
  while (auto record = reader.Next()) {
    fieldBytes += record->fileNameField.size() + record->dateField.size() + record->timeField.size() +
                  record->sizeField.size() + record->directoryField.size() + record->versionField.size();
    Require(fieldBytes <= section->size(), "the records are made of the list's own bytes");
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  auto& machine = dxl::fuzz::FuzzMachine::Get();
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  machine.Write(kPath, bytes);
  const auto text = dxl::ReadSetupInformation(std::string(kPath));
  Require(text.has_value(), "a readable set-up information is read");
  Require(*text == bytes.substr(0, bytes.find('\0')), "the text is the file up to its first NUL");
  CheckSection(*text, "[Win4System]");
  CheckSection(*text, "[pcl]");
  Require(machine.Builder().Read(kPath) == bytes, "reading leaves the file as it was");
  machine.CheckOutsideUntouched();
  return 0;
}
