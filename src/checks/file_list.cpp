#include "checks/file_list.h"

#include <cstdio>

#include "platform/base/case_rules.h"
#include "platform/base/cp936_chars.h"
#include "platform/base/text.h"

namespace dxl {

namespace {

constexpr std::string_view kSeparators = " ,\t\n\r";
constexpr std::size_t kMaxVersionText = 31;
constexpr std::string_view kDeviceNames[] = {"CON",  "PRN",  "AUX",  "NUL",  "CLOCK$", "COM1", "COM2",
                                             "COM3", "COM4", "LPT1", "LPT2", "LPT3",   "LPT4"};

}  // namespace

FileListReader::FileListReader(std::string_view sectionText) : text_(sectionText) {
  if (!NextField()) ended_ = true;  // the rest of the section header
}

std::optional<std::string_view> FileListReader::NextField() {
  const std::size_t begin = text_.find_first_not_of(kSeparators, position_);
  if (begin == std::string_view::npos) {
    position_ = text_.size();
    return std::nullopt;
  }
  std::size_t end = text_.find_first_of(kSeparators, begin);
  if (end == std::string_view::npos) end = text_.size();
  position_ = end;
  return text_.substr(begin, end - begin);
}

std::optional<FileRecord> FileListReader::Next() {
  while (!ended_) {
    auto first = NextField();
    if (!first) break;
    if (first->front() == ';') {
      // Only the rest of the comment's own line is skipped.
      const std::size_t lineEnd = text_.find('\n', static_cast<std::size_t>(first->data() - text_.data()));
      position_ = lineEnd == std::string_view::npos ? text_.size() : lineEnd + 1;
      continue;
    }
    std::string_view fields[6];
    for (auto& field : fields) {
      auto next = NextField();
      if (!next) {
        ended_ = true;
        return std::nullopt;
      }
      field = *next;
    }
    if (fields[5].front() == '"') break;
    return FileRecord{std::string(fields[0]), std::string(fields[1]), std::string(fields[2]),
                      std::string(fields[3]), std::string(fields[4]), std::string(fields[5])};
  }
  ended_ = true;
  return std::nullopt;
}

std::optional<std::array<std::uint32_t, 4>> ParseVersionText(std::string_view text) {
  if (text.size() > kMaxVersionText) return std::nullopt;
  std::array<std::uint32_t, 4> parts{};
  std::size_t part = 0, digits = 0;
  std::uint64_t value = 0;
  for (std::size_t i = 0; i <= text.size(); ++i) {
    const char c = i < text.size() ? text[i] : '.';
    if (c >= '0' && c <= '9') {
      value = value * 10 + static_cast<std::uint64_t>(c - '0');
      if (++digits > 10 || value > 0xFFFFFFFFu) return std::nullopt;
    } else if (c == '.' && digits > 0 && part < 4) {
      parts[part++] = static_cast<std::uint32_t>(value);
      value = 0, digits = 0;
    } else {
      return std::nullopt;
    }
  }
  if (part != 4) return std::nullopt;
  return parts;
}

bool IsPlainFileName(std::string_view name) {
  if (name.empty() || name == "." || name == "..") return false;
  // Characters, not bytes: the second byte of a double-byte character may be
  // 0x5C or 0x7C without being a '\\' or a '|'. A lead byte without a valid
  // second byte is a character of its own.
  for (size_t i = 0; i < name.size(); i += w95::Cp936CharSize(name, i)) {
    const char c = name[i];
    if (w95::Cp936CharSize(name, i) == 2) continue;
    if (static_cast<unsigned char>(c) < 0x20 || std::string_view("\\/:*?\"<>|").find(c) != std::string_view::npos)
      return false;
  }
  const std::string_view base = w95::Trim(name.substr(0, name.find('.')), " ");
  for (std::string_view device : kDeviceNames)
    if (w95::EqualsNoCase(base, device)) return false;
  return true;
}

std::string BackupName(std::string_view fileName, int number) {
  const std::size_t dot = fileName.find('.');
  std::string name =
      dot == std::string_view::npos ? std::string(fileName) + "." : std::string(fileName.substr(0, dot + 1));
  char digits[8];
  std::snprintf(digits, sizeof digits, "%03d", number % 1000);
  return name + digits;
}

}  // namespace dxl
