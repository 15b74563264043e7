#include "app/machine_choice.h"

#include <cstdlib>
#include <system_error>

#include "platform/machine/machine.h"

namespace fs = std::filesystem;

namespace dxl {

namespace {

fs::path DataDirectory() {
  if (const char* data = std::getenv("XDG_DATA_HOME"); data && *data) return fs::path(data);
  if (const char* home = std::getenv("HOME"); home && *home) return fs::path(home) / ".local" / "share";
  return {};
}

// Copies the tree with the files' last-write times: the installed-file check
// judges the printing system's files by their time stamps.
void CopyMachine(const fs::path& from, const fs::path& to, std::error_code& ec) {
  fs::copy(from, to, fs::copy_options::recursive | fs::copy_options::copy_symlinks, ec);
  for (fs::recursive_directory_iterator it(from, ec), end; !ec && it != end; it.increment(ec)) {
    if (!it->is_regular_file(ec) || it->is_symlink(ec)) continue;
    fs::last_write_time(to / it->path().lexically_relative(from), it->last_write_time(ec), ec);
  }
}

}  // namespace

fs::path ChooseMachineRoot(bool freshDemo) {
  fs::path root = w95::RootFromEnvironment();
  if (!root.empty()) return root;
  fs::path data = DataDirectory();
  if (data.empty()) return {};
  fs::path demo = data / "dxlq7trs" / "demo";
  std::error_code ec;
  if (freshDemo) fs::remove_all(demo, ec);
  if (fs::exists(demo / "MSDOS.SYS", ec)) return demo;
  fs::path bundled = DXL_DEMO_MACHINE_DIR;
  if (!fs::exists(bundled / "MSDOS.SYS", ec)) return {};
  fs::path partial = demo;
  partial += ".partial";
  fs::remove_all(partial, ec);
  fs::create_directories(partial.parent_path(), ec);
  CopyMachine(bundled, partial, ec);
  if (ec) return {};
  fs::rename(partial, demo, ec);  // a complete copy or none
  return ec ? fs::path() : demo;
}

}  // namespace dxl
