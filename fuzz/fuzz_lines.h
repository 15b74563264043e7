// Line-by-line comparison of an edited file with the file before the edit.
#pragma once

#include <string_view>
#include <vector>

namespace dxl::fuzz {

// The lines of `bytes`, each with its line end (CR LF, LF or CR).
inline std::vector<std::string_view> Lines(std::string_view bytes) {
  std::vector<std::string_view> lines;
  size_t begin = 0;
  while (begin < bytes.size()) {
    size_t end = bytes.find_first_of("\r\n", begin);
    if (end == std::string_view::npos) {
      end = bytes.size();
    } else {
      end += bytes[end] == '\r' && end + 1 < bytes.size() && bytes[end + 1] == '\n' ? 2 : 1;
    }
    lines.push_back(bytes.substr(begin, end - begin));
    begin = end;
  }
  return lines;
}

// The lines of `before` that `after` does not keep, once the lines both
// begin and end with are set aside.
struct ChangedLines {
  std::vector<std::string_view> removed;
  std::vector<std::string_view> added;
};

inline ChangedLines Difference(std::string_view before, std::string_view after) {
  auto old = Lines(before);
  auto now = Lines(after);
  size_t head = 0;
  while (head < old.size() && head < now.size() && old[head] == now[head]) ++head;
  size_t tail = 0;
  while (tail < old.size() - head && tail < now.size() - head &&
         old[old.size() - 1 - tail] == now[now.size() - 1 - tail])
    ++tail;
  ChangedLines changed;
  changed.removed.assign(old.begin() + static_cast<long>(head), old.end() - static_cast<long>(tail));
  changed.added.assign(now.begin() + static_cast<long>(head), now.end() - static_cast<long>(tail));
  return changed;
}

}  // namespace dxl::fuzz
