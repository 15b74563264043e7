#include "platform/help/help.h"

#include "platform/base/last_error.h"
#include "platform/files/files.h"
#include "platform/help/winhelp_file.h"

namespace w95 {

namespace {

// Paragraphs as lines, without empty lines before the first and after the last.
std::string Body(const std::vector<std::string>& paragraphs) {
  size_t first = 0, end = paragraphs.size();
  while (first < end && paragraphs[first].empty()) ++first;
  while (end > first && paragraphs[end - 1].empty()) --end;
  std::string body;
  for (size_t i = first; i < end; ++i) body.append(paragraphs[i]).append("\r\n");
  return body;
}

}  // namespace

std::optional<ui::HelpTopic> FindHelpTopic(std::string_view fileBytes, DWORD context) {
  auto file = winhelp::HelpFile::Open(fileBytes);
  if (!file) return Fail(ERROR_INVALID_DATA, std::nullopt);
  if (!file->ContextMap().contains(context)) return Fail(ERROR_INVALID_PARAMETER, std::nullopt);
  auto text = file->Topic(context);
  if (!text) return Fail(ERROR_INVALID_DATA, std::nullopt);
  ui::HelpTopic topic;
  topic.context = context;
  topic.title = std::move(text->title);
  topic.body = Body(text->paragraphs);
  return topic;
}

BOOL WinHelpA(std::string_view helpFile, UINT command, DWORD data) {
  if (command == HELP_QUIT) {
    ui::CurrentBackend().CloseHelp();
    return 1;
  }
  if (command != HELP_CONTEXT) return Fail(ERROR_NOT_SUPPORTED, 0);
  auto bytes = ReadWholeFile(helpFile, static_cast<DWORD>(winhelp::kMaxHelpFileSize));
  if (!bytes) return 0;
  auto topic = FindHelpTopic(*bytes, data);
  if (!topic) return 0;
  topic->helpFile = helpFile;
  ui::CurrentBackend().ShowHelp(*topic);
  return 1;
}

}  // namespace w95
