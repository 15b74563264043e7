#include "platform/help/help.h"

#include <charconv>

#include "platform/base/last_error.h"
#include "platform/base/text.h"
#include "platform/files/files.h"

namespace w95 {

namespace {

// The lines of a text, without their CR LF or LF ends.
std::vector<std::string_view> Lines(std::string_view text) {
  std::vector<std::string_view> lines;
  while (!text.empty()) {
    size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    lines.push_back(line);
    if (end == std::string_view::npos) break;
    text.remove_prefix(end + 1);
  }
  return lines;
}

// The number of a "[n]" topic header line.
std::optional<DWORD> TopicNumber(std::string_view line) {
  line = Trim(line);
  if (line.size() < 3 || line.front() != '[' || line.back() != ']') return std::nullopt;
  std::string_view digits = Trim(line.substr(1, line.size() - 2));
  DWORD number = 0;
  auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), number);
  if (error != std::errc() || end != digits.data() + digits.size()) return std::nullopt;
  return number;
}

}  // namespace

std::optional<ui::HelpTopic> FindHelpTopic(std::string_view fileText, DWORD context) {
  std::optional<ui::HelpTopic> topic;
  for (std::string_view line : Lines(fileText)) {
    if (auto number = TopicNumber(line)) {
      if (topic) break;
      if (*number == context) topic.emplace().context = context;
      continue;
    }
    if (!topic) continue;
    if (topic->title.empty() && topic->body.empty() && line.substr(0, 6) == "Title=") {
      topic->title = Trim(line.substr(6));
      continue;
    }
    topic->body.append(line).append("\r\n");
  }
  if (!topic) return std::nullopt;
  while (topic->body.size() >= 4 && topic->body.compare(topic->body.size() - 4, 4, "\r\n\r\n") == 0)
    topic->body.resize(topic->body.size() - 2);
  size_t start = topic->body.find_first_not_of("\r\n");
  topic->body.erase(0, start == std::string::npos ? topic->body.size() : start);
  return topic;
}

BOOL WinHelpA(std::string_view helpFile, UINT command, DWORD data) {
  if (command == HELP_QUIT) {
    ui::CurrentBackend().CloseHelp();
    return 1;
  }
  if (command != HELP_CONTEXT) return Fail(ERROR_NOT_SUPPORTED, 0);
  auto text = ReadWholeFile(helpFile);
  if (!text) return 0;
  auto topic = FindHelpTopic(*text, data);
  if (!topic) return Fail(ERROR_INVALID_PARAMETER, 0);
  topic->helpFile = helpFile;
  ui::CurrentBackend().ShowHelp(*topic);
  return 1;
}

}  // namespace w95
