// Whole values and key lists of WIN.INI, however long: the profile calls are
// repeated with a larger buffer until nothing is cut off.
#pragma once

#include <cstddef>
#include <iterator>
#include <string>
#include <string_view>

namespace dxl {

// The value of `key` in WIN.INI [`section`]; empty when it is missing.
std::string ReadWinIniValue(std::string_view section, std::string_view key);

// Key names as a list call answers them, each ended by a NUL, viewed in
// place (a section of thousands of printers is one buffer, not thousands of
// strings); empty names left out.
class KeyNames {
 public:
  class Iterator {
   public:
    using iterator_category = std::forward_iterator_tag;
    using value_type = std::string_view;
    using difference_type = std::ptrdiff_t;
    using pointer = const std::string_view*;
    using reference = std::string_view;

    Iterator() = default;
    explicit Iterator(std::string_view rest) : rest_(rest) { SkipEmpty(); }
    std::string_view operator*() const { return rest_.substr(0, rest_.find('\0')); }
    Iterator& operator++() {
      const size_t end = rest_.find('\0');
      rest_.remove_prefix(end == std::string_view::npos ? rest_.size() : end + 1);
      SkipEmpty();
      return *this;
    }
    Iterator operator++(int) {
      Iterator before = *this;
      ++*this;
      return before;
    }
    bool operator==(const Iterator& other) const { return rest_.size() == other.rest_.size(); }

   private:
    void SkipEmpty() {
      while (!rest_.empty() && rest_.front() == '\0') rest_.remove_prefix(1);
    }
    std::string_view rest_;
  };

  explicit KeyNames(std::string list) : list_(std::move(list)) {}
  Iterator begin() const { return Iterator(list_); }
  Iterator end() const { return Iterator(); }

 private:
  std::string list_;
};

// The key names of WIN.INI [`section`], in file order.
KeyNames ReadWinIniKeys(std::string_view section);

}  // namespace dxl
