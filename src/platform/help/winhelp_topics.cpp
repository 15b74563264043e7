#include "platform/help/winhelp_topics.h"

#include <algorithm>

#include "platform/help/winhelp_bytes.h"
#include "platform/help/winhelp_lz77.h"
#include "platform/help/winhelp_paragraphs.h"

namespace w95::winhelp {

namespace {

constexpr size_t kBlockHeaderSize = 12;
constexpr size_t kRecordHeaderSize = 21;
constexpr uint8_t kTopicHeader = 0x02;
constexpr uint8_t kText = 0x20;
constexpr uint8_t kTable = 0x23;
constexpr uint32_t kNoPosition = 0xFFFFFFFF;
// Bounds on what a file may make us hold.
constexpr size_t kMaxTopicData = size_t{32} << 20;
constexpr size_t kMaxRecordText = size_t{256} << 10;
constexpr size_t kMaxTopicText = size_t{1} << 20;

// The characters a text record adds to topic offsets.
uint32_t CharacterCount(std::string_view formatting) {
  ByteReader in(formatting);
  in.CompressedI32();  // size
  uint32_t count = in.CompressedU16();
  return in.ok() ? count : 0;
}

}  // namespace

std::optional<Topics> Topics::Read(std::string_view topicFile, const SystemInfo& system,
                                   std::optional<PhraseTable> phrases) {
  Topics topics;
  topics.phrases_ = std::move(phrases);
  topics.blockSpan_ = system.ExpandedBlockSize();
  for (size_t at = 0; at < topicFile.size(); at += system.topicBlockSize) {
    std::string_view block = topicFile.substr(at, system.topicBlockSize);
    if (block.size() < kBlockHeaderSize) break;
    block.remove_prefix(kBlockHeaderSize);
    topics.blockStart_.push_back(topics.data_.size());
    if (!system.lz77) {
      topics.data_ += block;
    } else {
      auto expanded = Lz77Expand(block, topics.blockSpan_);
      if (!expanded) return std::nullopt;
      topics.data_ += *expanded;
    }
    if (topics.data_.size() > kMaxTopicData) return std::nullopt;
  }
  // The chain of records, from the first block's first; each lies after the one before.
  uint32_t pos = kBlockHeaderSize;
  size_t lastStart = 0;
  uint32_t block = 0, characters = 0;
  while (pos != kNoPosition && pos != 0) {
    auto record = topics.RecordAt(pos);
    if (!record) break;  // the chain ends where the data does
    if (!topics.records_.empty() && record->start <= lastStart) return std::nullopt;
    lastStart = record->start;
    const uint32_t recordBlock = (pos - kBlockHeaderSize) / topics.blockSpan_;
    if (recordBlock != block) block = recordBlock, characters = 0;
    if (record->type == kTopicHeader) {
      topics.topics_.push_back({block * 0x8000u + characters, topics.records_.size()});
    } else if (record->type == kText || record->type == kTable) {
      characters += CharacterCount(topics.Formatting(*record));
    }
    topics.records_.push_back(*record);
    pos = record->next;
  }
  return topics;
}

std::optional<Topics::Record> Topics::RecordAt(uint32_t topicPos) const {
  if (topicPos < kBlockHeaderSize) return std::nullopt;
  const size_t block = (topicPos - kBlockHeaderSize) / blockSpan_;
  const size_t offset = (topicPos - kBlockHeaderSize) % blockSpan_;
  if (block >= blockStart_.size()) return std::nullopt;
  const size_t start = blockStart_[block] + offset;
  const size_t blockEnd = block + 1 < blockStart_.size() ? blockStart_[block + 1] : data_.size();
  if (start >= blockEnd) return std::nullopt;
  ByteReader in(data_, start);
  Record record{start, 0, 0, 0, 0, 0};
  record.blockSize = in.U32();
  record.textSize = in.U32();
  in.U32();  // previous
  record.next = in.U32();
  record.dataLen1 = in.U32();
  record.type = in.U8();
  if (!in.ok() || record.dataLen1 < kRecordHeaderSize || record.blockSize < record.dataLen1 ||
      record.blockSize > data_.size() - start) {
    return std::nullopt;
  }
  return record;
}

std::string_view Topics::Formatting(const Record& record) const {
  return std::string_view(data_).substr(record.start + kRecordHeaderSize, record.dataLen1 - kRecordHeaderSize);
}

std::optional<std::string> Topics::Text(const Record& record) const {
  std::string_view stored =
      std::string_view(data_).substr(record.start + record.dataLen1, record.blockSize - record.dataLen1);
  const size_t size = std::min<size_t>(record.textSize, kMaxRecordText);
  if (record.textSize <= stored.size()) return std::string(stored.substr(0, size));
  if (!phrases_) return std::nullopt;
  return phrases_->Expand(stored, size);
}

std::optional<TopicText> Topics::At(uint32_t topicOffset) const {
  // The first topic at exactly this offset, else the last one before it.
  auto after = std::upper_bound(topics_.begin(), topics_.end(), topicOffset,
                                [](uint32_t offset, const Topic& topic) { return offset < topic.offset; });
  if (after == topics_.begin()) return std::nullopt;
  auto found = std::prev(after);
  while (found != topics_.begin() && std::prev(found)->offset == found->offset) --found;
  return Read(static_cast<size_t>(found - topics_.begin()));
}

std::optional<TopicText> Topics::Read(size_t topic) const {
  TopicText out;
  size_t index = topics_[topic].firstRecord;
  auto title = Text(records_[index]);
  if (!title) return std::nullopt;
  out.title = title->substr(0, title->find('\0'));
  size_t total = 0;
  for (++index; index < records_.size() && records_[index].type != kTopicHeader; ++index) {
    const Record& record = records_[index];
    if (record.type != kText && record.type != kTable) continue;
    auto text = Text(record);
    if (!text) return std::nullopt;
    for (std::string& paragraph : Paragraphs(Formatting(record), *text, record.type == kTable)) {
      total += paragraph.size();
      out.paragraphs.push_back(std::move(paragraph));
    }
    if (total > kMaxTopicText) return std::nullopt;
  }
  return out;
}

}  // namespace w95::winhelp
