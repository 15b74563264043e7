#include "platform/machine/mount_kind.h"

#include <fstream>
#include <sstream>
#include <system_error>

namespace w95 {

namespace {

// mountinfo escapes blanks and backslashes in paths as octal (\040).
std::string Unescape(const std::string& field) {
  std::string out;
  for (std::size_t i = 0; i < field.size(); ++i) {
    if (field[i] == '\\' && i + 3 < field.size()) {
      const std::string digits = field.substr(i + 1, 3);
      if (digits.find_first_not_of("01234567") == std::string::npos) {
        out += static_cast<char>(std::stoi(digits, nullptr, 8));
        i += 3;
        continue;
      }
    }
    out += field[i];
  }
  return out;
}

bool IsAtOrBelow(const std::string& path, const std::string& mountPoint) {
  if (mountPoint == "/") return true;
  return path == mountPoint || (path.starts_with(mountPoint) && path[mountPoint.size()] == '/');
}

}  // namespace

std::string MountTypeIn(std::string_view mountinfo, const std::string& path) {
  std::istringstream lines{std::string(mountinfo)};
  std::string best, type;
  for (std::string line; std::getline(lines, line);) {
    // id parent major:minor root mount-point options [optional...] - type source super-options
    std::istringstream fields(line);
    std::string id, parent, device, root, mountPoint;
    fields >> id >> parent >> device >> root >> mountPoint;
    const std::size_t dash = line.find(" - ");
    if (dash == std::string::npos) continue;
    std::istringstream tail(line.substr(dash + 3));
    std::string fsType;
    tail >> fsType;
    mountPoint = Unescape(mountPoint);
    // Later lines mount over earlier ones at the same point.
    if (IsAtOrBelow(path, mountPoint) && mountPoint.size() >= best.size()) best = mountPoint, type = fsType;
  }
  return type;
}

std::string MountType(const std::filesystem::path& path) {
  std::error_code ec;
  const auto canonical = std::filesystem::canonical(path, ec);
  // A file of /proc has no size: read to its end.
  std::ifstream in("/proc/self/mountinfo");
  std::ostringstream mountinfo;
  mountinfo << in.rdbuf();
  if (ec || !in.is_open()) return {};
  return MountTypeIn(mountinfo.str(), canonical.string());
}

std::string FileSystemWarning(const std::filesystem::path& root) {
  if (MountType(root) != "fuse.fusefat") return {};
  return "the machine is on a fusefat mount, which shows every file time one month late (the installed files then "
         "look like wrong versions) and 0 MB of free space, and gives every file it writes the short name ~N (a "
         "replaced SYSTEM.INI or SYSTEM.DAT included, which Windows 95 then may not find as it starts); give "
         "TSHOOTER_ROOT the image file itself instead (docs/real-installation.md)";
}

}  // namespace w95
