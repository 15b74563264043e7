// Windows paths of any bytes: parsed or refused, and every host path handed
// out lies inside the machine directory.
#include <cstdio>
#include <cstdlib>

#include "fuzz_machine.h"
#include "platform/base/last_error.h"
#include "platform/machine/machine.h"
#include "platform/machine/paths.h"

namespace fs = std::filesystem;

namespace {

void Require(bool condition, const char* what) {
  if (condition) return;
  std::fprintf(stderr, "broken: %s\n", what);
  std::abort();
}

bool Inside(const fs::path& root, const fs::path& path) {
  const auto relative = path.lexically_normal().lexically_relative(root);
  return relative.empty() || relative == "." || *relative.begin() != "..";
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  auto& machine = dxl::fuzz::FuzzMachine::Get();
  const std::string_view path(reinterpret_cast<const char*>(data), size);
  const fs::path root = fs::canonical(machine.Root());
  auto parsed = w95::ParseWindowsPath(path);
  if (!parsed) Require(w95::GetLastError() != w95::ERROR_SUCCESS, "a refused path sets an error");
  if (parsed && parsed->kind == w95::PathKind::Local) {
    for (const auto& part : parsed->components) Require(part != ".." && !part.empty(), "no way up in a component");
    auto again = w95::ParseWindowsPath(w95::JoinWindowsPath(parsed->components));
    Require(!again || again->components == parsed->components, "a joined path parses to the same components");
  }
  for (w95::Lookup lookup : {w95::Lookup::Existing, w95::Lookup::ParentOnly}) {
    w95::SetLastError(w95::ERROR_SUCCESS);
    auto host = w95::HostPath(w95::Machine::Current(), path, lookup);
    if (host)
      Require(Inside(root, *host), "a host path lies inside the machine");
    else
      Require(w95::GetLastError() != w95::ERROR_SUCCESS, "a refused host path sets an error");
  }
  return 0;
}
