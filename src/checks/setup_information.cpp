#include "checks/setup_information.h"

#include "platform/files/files.h"

namespace dxl {

std::optional<std::string> ReadSetupInformation(const std::string& path) {
  w95::FileHandle file = w95::CreateFileA(path, w95::GENERIC_READ, w95::FILE_SHARE_READ | w95::FILE_SHARE_WRITE,
                                          w95::OPEN_EXISTING, w95::FILE_ATTRIBUTE_NORMAL);
  if (!file) return std::nullopt;
  const w95::DWORD size = w95::GetFileSize(file);
  if (size == w95::INVALID_FILE_SIZE) return std::nullopt;
  std::string text(size, '\0');
  w95::DWORD read = 0;
  if (!w95::ReadFile(file, text, read) || read != size) return std::nullopt;
  return text.substr(0, text.find('\0'));
}

std::optional<std::string> SetupSectionText(const std::string& text, std::string_view header) {
  const std::size_t at = text.find(header);
  if (at == std::string::npos) return std::nullopt;
  const std::size_t begin = at + 1;
  const std::size_t end = text.find('[', begin);
  return text.substr(begin, end == std::string::npos ? std::string::npos : end - begin);
}

}  // namespace dxl
