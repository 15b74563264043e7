#include "platform/registry/creg_library.h"

#include <dlfcn.h>

#include <type_traits>

namespace w95 {

namespace {

constexpr const char* kLibraryName = "libcreg.so.1";

struct Loaded {
  CregLibrary library;
  std::string error;  // empty: every function is there
};

Loaded Load() {
  Loaded loaded;
  void* handle = dlopen(kLibraryName, RTLD_LAZY | RTLD_LOCAL | RTLD_NODELETE);
  if (!handle) {
    const char* error = dlerror();
    loaded.error = error ? error : std::string(kLibraryName) + " cannot be loaded";
    return loaded;
  }
  auto bind = [&](auto& function, const char* name) {
    function = reinterpret_cast<std::remove_reference_t<decltype(function)>>(dlsym(handle, name));
    if (!function && loaded.error.empty()) loaded.error = std::string(kLibraryName) + " lacks " + name;
  };
#define W95_CREG_BIND(name) bind(loaded.library.name, #name);
  W95_CREG_FUNCTIONS(W95_CREG_BIND)
#undef W95_CREG_BIND
  return loaded;
}

}  // namespace

const CregLibrary* Creg(std::string* error) {
  static const Loaded loaded = Load();
  if (loaded.error.empty()) return &loaded.library;
  if (error) *error = loaded.error;
  return nullptr;
}

}  // namespace w95
