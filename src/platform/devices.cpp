#include "platform/file_providers.h"
#include "platform/last_error.h"

namespace w95 {

std::unique_ptr<FileObject> OpenDeviceFile(Machine&, const ParsedPath&, DWORD) {
  return Fail(ERROR_FILE_NOT_FOUND, std::unique_ptr<FileObject>());
}

}  // namespace w95
