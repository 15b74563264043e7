#include "results/buffer_text.h"

#include "platform/base/cp936_chars.h"

namespace dxl {

std::string FitBuffer(std::string_view text, std::size_t bufferSize) {
  if (bufferSize == 0) return {};
  std::size_t limit = bufferSize - 1;
  if (text.size() <= limit) return std::string(text);
  std::size_t end = 0;
  while (end < text.size()) {
    const std::size_t width = w95::Cp936CharSize(text, end);
    if (end + width > limit) break;
    end += width;
  }
  return std::string(text.substr(0, end));
}

}  // namespace dxl
