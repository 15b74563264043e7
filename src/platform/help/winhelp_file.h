// A WinHelp file (Windows 3.1 and 95): what HELP_CONTEXT shows of it.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>

#include "platform/help/winhelp_system.h"
#include "platform/help/winhelp_topics.h"

namespace w95::winhelp {

// Help files larger than this are refused unread.
constexpr size_t kMaxHelpFileSize = size_t{16} << 20;

class HelpFile {
 public:
  // nullopt when `bytes` is not a help file of Windows 3.1 or 95, or its
  // directory, |SYSTEM, phrases or topic blocks are damaged.
  static std::optional<HelpFile> Open(std::string_view bytes);

  const SystemInfo& System() const { return system_; }
  // The context numbers of |CTXOMAP and the topic offsets they name.
  const std::map<uint32_t, uint32_t>& ContextMap() const { return contextMap_; }

  // The topic of a context number; nullopt when the map lacks it, or its
  // topic is missing or damaged.
  std::optional<TopicText> Topic(uint32_t context) const;

 private:
  HelpFile(SystemInfo system, Topics topics) : system_(std::move(system)), topics_(std::move(topics)) {}

  SystemInfo system_;
  Topics topics_;
  std::map<uint32_t, uint32_t> contextMap_;
};

}  // namespace w95::winhelp
