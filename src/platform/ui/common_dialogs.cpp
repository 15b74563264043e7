#include "platform/ui/common_dialogs.h"

#include "platform/base/last_error.h"
#include "platform/ui/backend.h"

namespace w95 {

BOOL GetSaveFileNameA(OpenFileNameA& request) {
  ui::SaveFileRequest shown;
  shown.initialDirectory = request.initialDir;
  shown.fileName = request.file;
  shown.title = request.title;
  // The first pattern of the filter.
  size_t descriptionEnd = request.filter.find('\0');
  if (descriptionEnd != std::string::npos) {
    shown.filter = request.filter.substr(descriptionEnd + 1);
    shown.filter = shown.filter.substr(0, shown.filter.find('\0'));
  }
  shown.overwritePrompt = (request.flags & OFN_OVERWRITEPROMPT) != 0;
  shown.pathMustExist = (request.flags & OFN_PATHMUSTEXIST) != 0;
  auto chosen = ui::CurrentBackend().GetSaveFileName(shown);
  if (!chosen || chosen->empty()) return 0;
  if (!request.defExt.empty() && chosen->find('.', chosen->find_last_of('\\') + 1) == std::string::npos)
    *chosen += "." + request.defExt;
  if (chosen->size() + 1 > request.maxFile) return Fail(ERROR_INSUFFICIENT_BUFFER, 0);
  request.file = *chosen;
  request.fileTitle = chosen->substr(chosen->find_last_of('\\') + 1);
  return 1;
}

}  // namespace w95
