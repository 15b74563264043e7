// |TOPIC: blocks of 2 or 4 KiB, each a 12-byte header and data (LZ77-packed
// when |SYSTEM says so). The expanded data is a chain of records: a topic
// header (title) starts each topic, text records follow it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/help/winhelp_phrases.h"
#include "platform/help/winhelp_system.h"

namespace w95::winhelp {

struct TopicText {
  std::string title;
  std::vector<std::string> paragraphs;  // a line break inside one is "\r\n"
};

class Topics {
 public:
  // nullopt when the blocks or the chain of records are damaged.
  static std::optional<Topics> Read(std::string_view topicFile, const SystemInfo& system,
                                    std::optional<PhraseTable> phrases);

  // The topic holding a topic offset (as |CTXOMAP gives it): the last topic
  // that starts at or before it. nullopt when there is none or its records
  // are damaged.
  std::optional<TopicText> At(uint32_t topicOffset) const;

 private:
  // A record's header, read once where the chain reaches it.
  struct Record {
    size_t start;        // in data_
    uint32_t blockSize;  // the whole record, its text as stored included
    uint32_t textSize;   // its text once expanded
    uint32_t next;       // topic position of the next record
    uint32_t dataLen1;   // the header and the formatting data
    uint8_t type;
  };
  struct Topic {
    uint32_t offset;     // block number * 0x8000 + characters before it in that block
    size_t firstRecord;  // its header, in records_
  };

  std::optional<Record> RecordAt(uint32_t topicPos) const;
  std::string_view Formatting(const Record& record) const;
  std::optional<std::string> Text(const Record& record) const;
  std::optional<TopicText> Read(size_t topic) const;

  std::string data_;                // the blocks' data, expanded, one after another
  std::vector<size_t> blockStart_;  // where each block's data starts in data_
  size_t blockSpan_ = 0;            // what a topic position counts for a block
  std::optional<PhraseTable> phrases_;
  std::vector<Record> records_;
  std::vector<Topic> topics_;
};

}  // namespace w95::winhelp
