#include "platform/registry/hive_bytes.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>

namespace w95 {
namespace {

namespace fs = std::filesystem;

// A mapped file keeps the bytes it had when it was mapped after a new file is renamed over it, as our own save
// does; an empty file (which cannot be mapped) gives no bytes.
TEST(HiveBytes, MapsTheFileAsItWasWhenOpened) {
  const fs::path dir = fs::temp_directory_path() / ("dxl-hive-bytes-" + std::to_string(getpid()));
  fs::create_directories(dir);
  auto write = [](const fs::path& path, const std::string& text) { std::ofstream(path, std::ios::binary) << text; };
  write(dir / "SYSTEM.DAT", "CREG old bytes");
  write(dir / "EMPTY.DAT", "");
  int fd = open((dir / "SYSTEM.DAT").c_str(), O_RDONLY);
  auto mapped = HiveBytes::Map(fd);
  close(fd);
  write(dir / "NEW.DAT", "CREG new bytes, longer");
  fs::rename(dir / "NEW.DAT", dir / "SYSTEM.DAT");
  ASSERT_NE(mapped, nullptr);
  EXPECT_EQ(mapped->View(), "CREG old bytes");

  fd = open((dir / "EMPTY.DAT").c_str(), O_RDONLY);
  auto empty = HiveBytes::Map(fd);
  close(fd);
  ASSERT_NE(empty, nullptr);
  EXPECT_EQ(empty->size(), 0u);

  fs::remove_all(dir);
}

}  // namespace
}  // namespace w95
