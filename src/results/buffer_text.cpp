#include "results/buffer_text.h"

#include "platform/base/text.h"

namespace dxl {

std::string FitBuffer(std::string_view text, std::size_t bufferSize) {
  if (bufferSize == 0) return {};
  std::size_t limit = bufferSize - 1;
  if (text.size() <= limit) return std::string(text);
  std::size_t end = 0;
  while (end < text.size()) {
    std::size_t width = w95::IsCp936LeadByte(static_cast<unsigned char>(text[end])) ? 2 : 1;
    if (end + width > limit) break;
    end += width;
  }
  return std::string(text.substr(0, end));
}

}  // namespace dxl
