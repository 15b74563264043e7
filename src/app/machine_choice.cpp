#include "app/machine_choice.h"

#include <cstdlib>
#include <system_error>

#include "platform/machine.h"

namespace fs = std::filesystem;

namespace dxl {

namespace {

fs::path DataDirectory() {
  if (const char* data = std::getenv("XDG_DATA_HOME"); data && *data) return fs::path(data);
  if (const char* home = std::getenv("HOME"); home && *home) return fs::path(home) / ".local" / "share";
  return {};
}

}  // namespace

fs::path ChooseMachineRoot() {
  fs::path root = w95::RootFromEnvironment();
  if (!root.empty()) return root;
  fs::path data = DataDirectory();
  if (data.empty()) return {};
  fs::path demo = data / "dxlq7trs" / "demo";
  std::error_code ec;
  if (fs::exists(demo / "MSDOS.SYS", ec)) return demo;
  fs::path bundled = DXL_DEMO_MACHINE_DIR;
  if (!fs::exists(bundled / "MSDOS.SYS", ec)) return {};
  fs::path partial = demo;
  partial += ".partial";
  fs::remove_all(partial, ec);
  fs::create_directories(partial.parent_path(), ec);
  fs::copy(bundled, partial, fs::copy_options::recursive | fs::copy_options::copy_symlinks, ec);
  if (ec) return {};
  fs::rename(partial, demo, ec);  // a complete copy or none
  return ec ? fs::path() : demo;
}

}  // namespace dxl
