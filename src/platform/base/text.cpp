#include "platform/base/text.h"

namespace w95 {

size_t FindLineEnd(std::string_view text, size_t pos) {
  while (pos < text.size() && text[pos] != '\r' && text[pos] != '\n') ++pos;
  return pos;
}

std::string_view Trim(std::string_view text, std::string_view blanks) {
  auto first = text.find_first_not_of(blanks);
  if (first == std::string_view::npos) return {};
  auto last = text.find_last_not_of(blanks);
  return text.substr(first, last - first + 1);
}

}  // namespace w95
