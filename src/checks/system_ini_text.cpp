#include "checks/system_ini_text.h"

#include <algorithm>

#include "platform/base/case_rules.h"
#include "platform/base/text.h"
#include "platform/files/files.h"
#include "platform/profile/profile.h"

namespace dxl {

namespace {

constexpr std::string_view kSectionHeader = "[386Enh]";

// The first "[386Enh]" that stands where Windows takes a section header: at
// the start of a line, after blanks only.
std::optional<size_t> FindSectionHeader(std::string_view bytes) {
  for (size_t from = 0; from < bytes.size();) {
    auto hit = w95::FindTextNoCase(bytes.substr(from), kSectionHeader);
    if (!hit) return std::nullopt;
    size_t at = from + *hit;
    size_t before = at;
    while (before > 0 && (bytes[before - 1] == ' ' || bytes[before - 1] == '\t')) --before;
    if (before == 0 || bytes[before - 1] == '\n' || bytes[before - 1] == '\r') return at;
    from = at + 1;
  }
  return std::nullopt;
}

void LocateSection(SystemIniText& text) {
  auto header = FindSectionHeader(text.bytes);
  if (!header) return;
  // The section starts where the header's line ends: what follows the header
  // on its line (a comment) is no line of the section.
  size_t offset = w95::FindLineEnd(text.bytes, *header);
  text.sectionOffset = offset;
  size_t next = text.bytes.find('[', offset);
  text.sectionEnd = next == std::string::npos ? text.bytes.size() : next;
}

}  // namespace

std::string_view SystemIniText::Section() const {
  if (!sectionOffset) return {};
  return std::string_view(bytes).substr(*sectionOffset, sectionEnd - *sectionOffset);
}

std::string SystemIniPath() { return w95::GetWindowsDirectoryA() + "\\SYSTEM.INI"; }

std::optional<SystemIniText> ReadSystemIniText(w95::DWORD access) {
  // Windows 95 caches one profile file; flush it so the text is the file's.
  w95::WritePrivateProfileStringA(std::nullopt, std::nullopt, std::nullopt, "system.ini");
  w95::FileHandle file = w95::CreateFileA(SystemIniPath(), access, w95::FILE_SHARE_READ | w95::FILE_SHARE_WRITE,
                                          w95::OPEN_EXISTING, w95::FILE_ATTRIBUTE_NORMAL);
  if (!file) return std::nullopt;
  w95::DWORD size = w95::GetFileSize(file);
  if (size == w95::INVALID_FILE_SIZE) return std::nullopt;
  SystemIniText text;
  text.bytes.assign(size, '\0');
  w95::DWORD read = 0;
  if (!w95::ReadFile(file, text.bytes, read)) return std::nullopt;
  text.bytes.resize(read);
  LocateSection(text);
  return text;
}

bool ReplaceSystemIni(std::string_view bytes) { return w95::ReplaceFileAtomically(SystemIniPath(), bytes); }

bool IsControlCharacter(char c) {
  auto byte = static_cast<unsigned char>(c);
  return byte < 32 || byte == 127;
}

size_t LineStart(std::string_view section, size_t at) {
  while (at > 1 && !IsControlCharacter(section[at - 1])) --at;
  return at;
}

}  // namespace dxl
