#include "platform/file_providers.h"
#include "platform/last_error.h"

namespace w95 {

std::unique_ptr<FileObject> OpenUncFile(Machine&, const ParsedPath&, DWORD, DWORD) {
  return Fail(ERROR_BAD_NETPATH, std::unique_ptr<FileObject>());
}

std::optional<std::vector<FindData>> FindUncEntries(Machine&, const ParsedPath&, std::string_view) {
  return Fail(ERROR_BAD_NETPATH, std::optional<std::vector<FindData>>());
}

}  // namespace w95
