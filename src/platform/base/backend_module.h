// A backend module: a shared library of this program (the SMB client, the Qt
// backend) opened only when a run needs it, so that a run without it never
// maps the libraries it pulls in. Modules sit next to the executable; programs
// of the build tree that are not in its folder (tests, benchmarks) find them
// in the build tree's module folder.
#pragma once

#include <memory>
#include <string>
#include <vector>

namespace w95 {

class BackendModule {
 public:
  // The module `fileName` (e.g. "dxlq7trs-smb.so"), opened with its own
  // symbols bound at once (the libraries it pulls in bind on first call);
  // when it cannot be opened, empty, with Error() saying why.
  static BackendModule Open(const std::string& fileName);

  explicit operator bool() const { return handle_ != nullptr; }
  // The address of the module's symbol `name`, or nullptr (Error() says why).
  void* Symbol(const char* name);
  const std::string& Error() const { return error_; }

 private:
  struct Closer {
    void operator()(void* handle) const;
  };
  std::unique_ptr<void, Closer> handle_;
  std::string error_;
};

// The file names tried for `fileName`, in order: the executable's folder, then
// the build tree's module folder.
std::vector<std::string> BackendModuleCandidates(const std::string& fileName);

}  // namespace w95
