#include "platform/base/cp936_chars.h"

namespace w95 {

std::size_t Cp936CharSize(std::string_view text, std::size_t at) {
  if (at + 1 >= text.size() || !IsCp936LeadByte(static_cast<unsigned char>(text[at]))) return 1;
  return IsCp936TrailByte(static_cast<unsigned char>(text[at + 1])) ? 2 : 1;
}

std::size_t FindLastOfCp936(std::string_view text, std::string_view chars) {
  std::size_t found = std::string_view::npos;
  for (std::size_t at = 0; at < text.size(); at += Cp936CharSize(text, at))
    if (Cp936CharSize(text, at) == 1 && chars.find(text[at]) != std::string_view::npos) found = at;
  return found;
}

}  // namespace w95
