#include "platform/help/winhelp_file.h"

#include "platform/help/winhelp_bytes.h"
#include "platform/help/winhelp_container.h"

namespace w95::winhelp {

namespace {

// |CTXOMAP: a count, then pairs of a context number and a topic offset. The
// first pair of a number counts.
std::optional<std::map<uint32_t, uint32_t>> ReadContextMap(std::string_view bytes) {
  ByteReader in(bytes);
  const uint16_t count = in.U16();
  std::map<uint32_t, uint32_t> map;
  for (uint16_t i = 0; i < count && in.ok(); ++i) {
    const uint32_t context = in.U32();
    const uint32_t offset = in.U32();
    if (in.ok()) map.emplace(context, offset);
  }
  if (!in.ok()) return std::nullopt;
  return map;
}

// The phrase table the file has, if any: nullopt inside when it has none,
// nullopt outside when it is damaged.
std::optional<std::optional<PhraseTable>> ReadPhrases(const Container& container) {
  if (auto phrases = container.File("|Phrases")) {
    auto table = PhraseTable::FromPhrases(*phrases);
    if (!table) return std::nullopt;
    return table;
  }
  auto index = container.File("|PhrIndex");
  auto image = container.File("|PhrImage");
  if (!index && !image) return std::optional<PhraseTable>();
  if (!index || !image) return std::nullopt;
  auto table = PhraseTable::FromHall(*index, *image);
  if (!table) return std::nullopt;
  return table;
}

}  // namespace

std::optional<HelpFile> HelpFile::Open(std::string_view bytes) {
  if (bytes.size() > kMaxHelpFileSize) return std::nullopt;
  auto container = Container::Open(bytes);
  if (!container) return std::nullopt;
  auto systemBytes = container->File("|SYSTEM");
  auto topicBytes = container->File("|TOPIC");
  if (!systemBytes || !topicBytes) return std::nullopt;
  auto system = ReadSystem(*systemBytes);
  if (!system) return std::nullopt;
  auto phrases = ReadPhrases(*container);
  if (!phrases) return std::nullopt;
  auto topics = Topics::Read(*topicBytes, *system, std::move(*phrases));
  if (!topics) return std::nullopt;
  HelpFile file(std::move(*system), std::move(*topics));
  if (auto map = container->File("|CTXOMAP")) {
    auto contexts = ReadContextMap(*map);
    if (!contexts) return std::nullopt;
    file.contextMap_ = std::move(*contexts);
  }
  return file;
}

std::optional<TopicText> HelpFile::Topic(uint32_t context) const {
  auto found = contextMap_.find(context);
  if (found == contextMap_.end()) return std::nullopt;
  return topics_.At(found->second);
}

}  // namespace w95::winhelp
