#include "platform/machine/machine.h"

#include <cstdlib>

#include "platform/base/ini_text.h"
#include "platform/machine/paths.h"

namespace w95 {

namespace {

std::unique_ptr<Machine>& CurrentSlot() {
  static std::unique_ptr<Machine> current;
  return current;
}

// A WinDir is usable when it is an absolute path on drive C: that stays on it.
std::string UsableWindowsDirectory(const std::string& winDir) {
  bool onDriveC = winDir.size() >= 3 && (winDir[0] == 'C' || winDir[0] == 'c') && winDir[1] == ':';
  auto parsed = ParseWindowsPath(winDir);
  if (!onDriveC || !parsed || parsed->kind != PathKind::Local || parsed->components.empty()) return "C:\\WINDOWS";
  return JoinWindowsPath(parsed->components);
}

}  // namespace

Machine::Machine(std::filesystem::path root) : root_(std::move(root)) {
  std::string winDir;
  if (auto text = ReadHostFile(root_ / "MSDOS.SYS")) {
    IniText ini(*text);
    if (auto value = ini.Value("Paths", "WinDir")) winDir = *value;
  }
  windowsDirectory_ = UsableWindowsDirectory(winDir);
}

const std::filesystem::path* Machine::CanonicalRoot() const {
  if (canonicalRoot_) return &*canonicalRoot_;
  std::error_code ec;
  auto root = std::filesystem::canonical(root_, ec);
  if (ec) return nullptr;
  canonicalRoot_ = std::move(root);
  return &*canonicalRoot_;
}

std::filesystem::path RootFromEnvironment() {
  const char* root = std::getenv("TSHOOTER_ROOT");
  return root && *root ? std::filesystem::path(root) : std::filesystem::path();
}

Machine& Machine::Current() {
  auto& current = CurrentSlot();
  if (!current) {
    auto root = RootFromEnvironment();
    current = std::make_unique<Machine>(root.empty() ? std::filesystem::current_path() : root);
  }
  return *current;
}

Machine& Machine::Use(const std::filesystem::path& root) {
  auto& current = CurrentSlot();
  current.reset();
  current = std::make_unique<Machine>(root);
  return *current;
}

}  // namespace w95
