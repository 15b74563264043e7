#include "checks/installed_files.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <optional>

#include "checks/file_list.h"
#include "outcome/report_file.h"
#include "platform/base/cp936_chars.h"
#include "platform/files/files.h"
#include "platform/system/clock.h"
#include "platform/version/version.h"

namespace dxl {

namespace {

constexpr std::size_t kVersionBufferSize = 2048;

// Leading blanks, an optional sign and the digits that follow, as atoi reads
// them (saturating instead of overflowing).
std::int64_t ReadSignedDecimal(std::string_view text) {
  std::size_t at = text.find_first_not_of(" \t");
  if (at == std::string_view::npos) return 0;
  const bool negative = text[at] == '-';
  if (text[at] == '-' || text[at] == '+') ++at;
  std::int64_t value = 0;
  for (; at < text.size() && text[at] >= '0' && text[at] <= '9'; ++at) {
    if (value < (std::int64_t{1} << 40)) value = value * 10 + (text[at] - '0');
  }
  return negative ? -value : value;
}

std::string FormatLocalTime(std::int64_t lastWriteTime) {
  std::int64_t local = 0;
  w95::SystemTime time;
  if (!w95::FileTimeToLocalFileTime(lastWriteTime, local) || !w95::FileTimeToSystemTime(local, time)) return {};
  char text[64];
  std::snprintf(text, sizeof text, "%d/%02d/%02d %02d:%02d:%02d", time.wYear, time.wMonth, time.wDay, time.wHour,
                time.wMinute, time.wSecond);
  return text;
}

// A local file whose last component FindFirstFileA finds exactly as
// CreateFileA opens it: ASCII (so both compare case alike), no wildcard, no
// leading dot (host dot files are not listed) and no trailing dot or blank
// (which the open drops).
bool FoundAsOpened(std::string_view path) {
  if (path.size() >= 2 && (path[0] == '\\' || path[0] == '/') && (path[1] == '\\' || path[1] == '/')) return false;
  const std::size_t cut = w95::FindLastOfCp936(path, "\\/:");
  const std::string_view name = cut == std::string_view::npos ? path : path.substr(cut + 1);
  if (name.empty() || name.front() == '.' || name.back() == '.' || name.back() == ' ') return false;
  for (char c : name)
    if (static_cast<unsigned char>(c) >= 0x80 || c == '*' || c == '?') return false;
  return true;
}

// The file's last-write time in local time, "%Y/%m/%d %H:%M:%S", as its
// directory entry gives it; empty when the file cannot be found.
std::string CurrentTimeStamp(std::string_view path, w95::FileHandle& file) {
  std::int64_t lastWriteTime = 0;
  if (FoundAsOpened(path) && w95::GetFileTime(file, lastWriteTime)) return FormatLocalTime(lastWriteTime);
  w95::FindData data;
  w95::FindHandle find = w95::FindFirstFileA(path, data);
  if (!find) return {};
  w95::FindClose(find);
  return FormatLocalTime(data.lastWriteTime);
}

// As GetFileVersionInfoSizeA, GetFileVersionInfoA into a buffer of
// kVersionBufferSize bytes and VerQueryValueA of the root read it.
std::optional<std::array<std::uint32_t, 4>> CurrentVersion(w95::FileHandle& file) {
  auto block = w95::FileVersionBlock(file);
  if (!block || block->empty()) return std::nullopt;
  std::array<char, kVersionBufferSize> buffer{};
  std::copy_n(block->begin(), std::min(block->size(), buffer.size()), buffer.begin());
  w95::VS_FIXEDFILEINFO info;
  if (!w95::VerQueryValueA(buffer, "\\", info)) return std::nullopt;
  return std::array<std::uint32_t, 4>{info.dwFileVersionMS >> 16, info.dwFileVersionMS & 0xFFFF,
                                      info.dwFileVersionLS >> 16, info.dwFileVersionLS & 0xFFFF};
}

// Every current component at least the required one. A required text that is
// not four numbers cannot be judged and counts as met.
bool VersionMeets(const std::array<std::uint32_t, 4>& current, std::string_view required) {
  auto wanted = ParseVersionText(required);
  if (!wanted) return true;
  for (std::size_t i = 0; i < 4; ++i)
    if ((*wanted)[i] > current[i]) return false;
  return true;
}

}  // namespace

int CheckInstalledFile(std::string_view path, std::string_view sizeText, std::string_view versionText,
                       std::string_view timeStampText, std::string& currentLine) {
  int answer = 1;
  w95::FileHandle file =
      w95::CreateFileA(path, w95::GENERIC_READ, w95::FILE_SHARE_READ, w95::OPEN_EXISTING, w95::FILE_ATTRIBUTE_NORMAL);
  if (!file) return -1;
  const w95::DWORD size = w95::GetFileSize(file);
  if (size == w95::INVALID_FILE_SIZE) return -1;
  if (static_cast<std::int64_t>(size) != ReadSignedDecimal(sizeText)) answer = 0;

  const std::string timeStamp = CurrentTimeStamp(path, file);
  if (timeStamp != timeStampText) answer = 0;
  const auto sizeValue = static_cast<std::int32_t>(size);
  if (versionText == "0") {
    FormatFileFactsLine(1, "0", timeStamp, sizeValue, currentLine);
    return answer;
  }

  auto current = CurrentVersion(file);
  if (!current) return 0;
  char version[48];
  std::snprintf(version, sizeof version, "%u.%u.%u.%u", (*current)[0], (*current)[1], (*current)[2], (*current)[3]);
  FormatFileFactsLine(1, version, timeStamp, sizeValue, currentLine);
  return VersionMeets(*current, versionText) ? answer : 0;
}

int FileExists(std::string_view path) {
  w95::FindData data;
  w95::FindHandle find = w95::FindFirstFileA(path, data);
  if (!find) return 0;
  w95::FindClose(find);
  return 1;
}

}  // namespace dxl
