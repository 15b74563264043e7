#include "platform/machine/replace_leftovers.h"

#include <sys/stat.h>
#include <unistd.h>

#include <set>
#include <string>

namespace w95 {

namespace {

constexpr std::size_t kRandomPart = 6;

bool IsAlphanumeric(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9'); }

}  // namespace

bool IsReplaceLeftover(std::string_view target, std::string_view entry) {
  if (target.empty()) return false;
  std::string prefix = "." + std::string(target) + ".";
  if (entry.size() != prefix.size() + kRandomPart || !entry.starts_with(prefix)) return false;
  for (char c : entry.substr(prefix.size()))
    if (!IsAlphanumeric(c)) return false;
  return true;
}

void RemoveReplaceLeftovers(const std::filesystem::path& target) {
  static std::set<std::string> done;
  if (!done.insert(target.string()).second) return;
  std::string name = target.filename().string();
  std::error_code ec;
  for (std::filesystem::directory_iterator it(target.parent_path(), ec), end; !ec && it != end; it.increment(ec)) {
    if (!IsReplaceLeftover(name, it->path().filename().string())) continue;
    struct stat st;
    if (lstat(it->path().c_str(), &st) == 0 && S_ISREG(st.st_mode)) unlink(it->path().c_str());
  }
}

}  // namespace w95
