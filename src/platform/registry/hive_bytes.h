// The bytes of a hive file the hive's keys point into: a copy held in memory,
// or the file itself mapped read-only. Mapping costs nothing until a page is
// read, where a copy of a 10 MB SYSTEM.DAT costs a fresh page of memory (and a
// fault) for every 4 KiB. Our own save replaces the file by renaming a new one
// over it: the mapping keeps the old file's bytes, as a copy would.
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

namespace w95 {

class HiveBytes {
 public:
  explicit HiveBytes(std::string text) : copy_(std::move(text)), view_(copy_) {}
  ~HiveBytes();
  HiveBytes(const HiveBytes&) = delete;
  HiveBytes& operator=(const HiveBytes&) = delete;

  // The whole of the open regular file `fd` mapped (an empty file gives no
  // bytes); null when it cannot be mapped, with the reason in the last error.
  static std::shared_ptr<const HiveBytes> Map(int fd);

  std::string_view View() const { return view_; }
  operator std::string_view() const { return view_; }  // NOLINT(google-explicit-constructor): read as text
  const char* data() const { return view_.data(); }
  std::size_t size() const { return view_.size(); }

 private:
  struct Mapped {};
  HiveBytes(Mapped, const char* at, std::size_t size) : view_(at, size), mapped_(true) {}

  std::string copy_;
  std::string_view view_;
  bool mapped_ = false;
};

}  // namespace w95
