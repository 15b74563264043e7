#include "platform/base/backend_module.h"

#include <dlfcn.h>
#include <unistd.h>

#include <filesystem>
#include <system_error>

namespace w95 {

namespace {

std::filesystem::path ExecutableFolder() {
  std::error_code ec;
  auto self = std::filesystem::read_symlink("/proc/self/exe", ec);
  return ec ? std::filesystem::path() : self.parent_path();
}

}  // namespace

// Modules are opened with RTLD_NODELETE: objects they made (a backend, its
// vtable) may outlive any owner's destructor at exit, so their code stays.
void BackendModule::Closer::operator()(void* handle) const { dlclose(handle); }

std::vector<std::string> BackendModuleCandidates(const std::string& fileName) {
  std::vector<std::string> candidates;
  auto folder = ExecutableFolder();
  if (!folder.empty()) candidates.push_back((folder / fileName).string());
#ifdef DXL_MODULE_BUILD_DIR
  auto built = (std::filesystem::path(DXL_MODULE_BUILD_DIR) / fileName).string();
  if (candidates.empty() || candidates.front() != built) candidates.push_back(built);
#endif
  return candidates;
}

BackendModule BackendModule::Open(const std::string& fileName) {
  BackendModule module;
  std::string tried;
  for (const auto& candidate : BackendModuleCandidates(fileName)) {
    if (access(candidate.c_str(), F_OK) != 0) {
      tried += (tried.empty() ? "" : ", ") + candidate;
      continue;
    }
    // A module that is there but cannot be loaded is reported as it is, not
    // hidden by a search further on. Lazily: the libraries a module pulls in
    // (Qt's dozens) bind each function on its first call, as they do in a
    // program linked with them; the module itself is linked to bind at once,
    // so a symbol of its own that is missing still fails the open.
    module.handle_.reset(dlopen(candidate.c_str(), RTLD_LAZY | RTLD_LOCAL | RTLD_NODELETE));
    if (!module.handle_) {
      const char* error = dlerror();
      module.error_ = error ? error : candidate + ": cannot be loaded";
    }
    return module;
  }
  module.error_ = fileName + " not found (looked for " + tried + ")";
  return module;
}

void* BackendModule::Symbol(const char* name) {
  if (!handle_) return nullptr;
  dlerror();
  void* address = dlsym(handle_.get(), name);
  if (!address) {
    const char* error = dlerror();
    error_ = error ? error : std::string(name) + ": no such symbol";
  }
  return address;
}

}  // namespace w95
