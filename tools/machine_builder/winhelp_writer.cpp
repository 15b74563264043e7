#include "machine_builder/winhelp_writer.h"

#include <map>
#include <optional>
#include <stdexcept>
#include <string_view>

#include "machine_builder/le_bytes.h"
#include "machine_builder/winhelp_lz77_packer.h"

namespace dxl::tools {

namespace {

constexpr uint32_t kNone = 0xFFFFFFFF;
constexpr size_t kBlockSize = 0x1000;
constexpr size_t kBlockHeaderSize = 12;
constexpr size_t kBlockSpan = 0x4000;  // expanded bytes a block may hold; topic positions count in them
constexpr size_t kRecordHeaderSize = 21;
constexpr size_t kTopicHeaderSize = 28;
// Room left in a block when records are placed: their positions, filled in
// afterwards, may pack a little worse than the placeholders did.
constexpr size_t kPackingMargin = 64;

// A record of |TOPIC, its topic positions still to be filled in.
struct Record {
  std::string bytes;
  bool topicHeader = false;
  uint32_t characters = 0;  // what it adds to topic offsets
  size_t block = 0;
  size_t offset = 0;
  uint32_t Position() const { return uint32_t(kBlockHeaderSize + block * kBlockSpan + offset); }
};

std::string RecordBytes(uint8_t type, std::string_view linkData1, std::string_view linkData2) {
  std::string out;
  Append32(out, uint32_t(kRecordHeaderSize + linkData1.size() + linkData2.size()));
  Append32(out, uint32_t(linkData2.size()));
  Append32(out, kNone);  // previous, filled in
  Append32(out, kNone);  // next, filled in
  Append32(out, uint32_t(kRecordHeaderSize + linkData1.size()));
  out += char(type);
  return out.append(linkData1).append(linkData2);
}

Record TopicHeader(uint32_t number, std::string_view title) {
  std::string header;
  Append32(header, 0);      // the topic's size, filled in
  Append32(header, kNone);  // browse sequence: none
  Append32(header, kNone);
  Append32(header, number);
  Append32(header, kNone);  // no non-scrolling region
  Append32(header, kNone);  // scrolling region, filled in
  Append32(header, kNone);  // next topic, filled in
  return {RecordBytes(0x02, header, title), true};
}

Record Paragraph(std::string_view text) {
  const uint32_t size = uint32_t(text.size() + 1);
  if (size >= 0x4000) throw std::length_error("help paragraph too long");
  std::string formatting;
  Append16(formatting, (size + 0x4000) * 2);  // compressed long: the text's size
  if (size < 0x80) {
    formatting += char(size * 2);  // compressed short: its characters
  } else {
    Append16(formatting, size * 2 + 1);
  }
  formatting += std::string("\x00\x80\x00\x00", 4);  // paragraph id
  Append16(formatting, 0);                           // no spacing, indents, borders or tabs
  formatting += "\x82\xFF";                          // the paragraph ends; so do its commands
  std::string linkData2(text);
  linkData2 += '\0';
  return {RecordBytes(0x20, formatting, linkData2), false, size};
}

// Places the records in blocks, each whole in one, as many as pack into a block.
void PlaceRecords(std::vector<Record>& records) {
  Lz77Packer packer;
  size_t block = 0, used = 0;
  for (Record& record : records) {
    Lz77Packer trial = packer;
    trial.Add(record.bytes);
    if (used + record.bytes.size() > kBlockSpan - kBlockHeaderSize ||
        trial.Packed().size() > kBlockSize - kBlockHeaderSize - kPackingMargin) {
      if (used == 0) throw std::length_error("help record larger than a topic block");
      ++block, used = 0;
      trial = Lz77Packer();
      trial.Add(record.bytes);
    }
    record.block = block, record.offset = used;
    used += record.bytes.size();
    packer = std::move(trial);
  }
}

// Links the records and the topics by their positions; the topic offsets of the topics.
std::vector<uint32_t> LinkRecords(std::vector<Record>& records) {
  std::vector<uint32_t> offsets;
  std::optional<size_t> previousHeader;
  uint32_t characters = 0;
  for (size_t i = 0; i < records.size(); ++i) {
    Record& record = records[i];
    if (i > 0 && records[i - 1].block != record.block) characters = 0;
    Put32(record.bytes, 8, i > 0 ? records[i - 1].Position() : kNone);
    Put32(record.bytes, 12, i + 1 < records.size() ? records[i + 1].Position() : kNone);
    if (record.topicHeader) {
      offsets.push_back(uint32_t(record.block * 0x8000 + characters));
      if (previousHeader) Put32(records[*previousHeader].bytes, kRecordHeaderSize + 24, record.Position());
      previousHeader = i;
      const bool hasText = i + 1 < records.size() && !records[i + 1].topicHeader;
      Put32(record.bytes, kRecordHeaderSize + 20, hasText ? records[i + 1].Position() : kNone);
    }
    characters += record.characters;
  }
  // Each topic's size: its records' bytes.
  for (size_t i = 0; i < records.size(); ++i) {
    if (!records[i].topicHeader) continue;
    uint32_t size = 0;
    for (size_t j = i; j < records.size() && (j == i || !records[j].topicHeader); ++j)
      size += uint32_t(records[j].bytes.size());
    Put32(records[i].bytes, kRecordHeaderSize, size);
  }
  return offsets;
}

std::string TopicFile(const std::vector<Record>& records) {
  std::string out;
  const size_t blocks = records.empty() ? 0 : records.back().block + 1;
  uint32_t lastRecord = kNone, lastHeader = kNone;
  size_t next = 0;
  for (size_t block = 0; block < blocks; ++block) {
    std::string header;
    Append32(header, lastRecord);
    Append32(header, records[next].Position());
    Append32(header, lastHeader);
    Lz77Packer packer;
    for (; next < records.size() && records[next].block == block; ++next) {
      packer.Add(records[next].bytes);
      lastRecord = records[next].Position();
      if (records[next].topicHeader) lastHeader = lastRecord;
    }
    if (packer.Packed().size() > kBlockSize - kBlockHeaderSize) throw std::length_error("help topic block overflows");
    std::string data = header + packer.Packed();
    if (block + 1 < blocks) data.resize(kBlockSize, '\0');
    out += data;
  }
  return out;
}

std::string SystemFile(const WinHelpSource& source) {
  std::string out;
  Append16(out, 0x036C);
  Append16(out, 33);  // Windows 95's compiler
  Append16(out, 1);
  Append32(out, 0);  // date of generation: none, so that the file is the same each time
  Append16(out, 4);  // topics LZ77-packed in 4 KiB blocks
  Append16(out, 1);  // title
  Append16(out, uint32_t(source.title.size() + 1));
  out.append(source.title).append(1, '\0');
  Append16(out, 11);  // character set
  Append16(out, 2);
  Append16(out, source.charset);
  return out;
}

std::string ContextMapFile(const WinHelpSource& source, const std::vector<uint32_t>& offsets) {
  std::string out;
  Append16(out, uint32_t(source.topics.size()));
  for (size_t i = 0; i < source.topics.size(); ++i) {
    Append32(out, source.topics[i].context);
    Append32(out, offsets[i]);
  }
  return out;
}

// The directory: a B+ tree of one leaf page, names in byte order.
std::string Directory(const std::map<std::string, uint32_t>& files) {
  constexpr size_t kPageSize = 0x400;
  std::string page;
  for (const auto& [name, offset] : files) {
    page.append(name).append(1, '\0');
    Append32(page, offset);
  }
  if (page.size() + 8 > kPageSize) throw std::length_error("help directory overflows its page");
  std::string out;
  Append16(out, 0x293B);
  Append16(out, 0x0402);  // a directory
  Append16(out, kPageSize);
  std::string structure = "z4";
  structure.resize(16, '\0');
  out += structure;
  Append16(out, 0);       // must be zero
  Append16(out, 0);       // page splits
  Append16(out, 0);       // root page
  Append16(out, 0xFFFF);  // must be -1
  Append16(out, 1);       // pages
  Append16(out, 1);       // levels
  Append32(out, uint32_t(files.size()));
  Append16(out, uint32_t(kPageSize - 8 - page.size()));  // free bytes
  Append16(out, uint32_t(files.size()));
  Append16(out, 0xFFFF);  // previous leaf
  Append16(out, 0xFFFF);  // next leaf
  page.resize(kPageSize - 8, '\0');
  return out + page;
}

// An internal file: its header (reserved and used space, flags), then its bytes.
std::string InternalFile(std::string_view contents) {
  std::string out;
  Append32(out, uint32_t(contents.size() + 9));
  Append32(out, uint32_t(contents.size()));
  out += char(4);
  return out.append(contents);
}

}  // namespace

std::string WriteWinHelpFile(const WinHelpSource& source) {
  std::vector<Record> records;
  for (size_t i = 0; i < source.topics.size(); ++i) {
    records.push_back(TopicHeader(uint32_t(i), source.topics[i].title));
    for (const std::string& paragraph : source.topics[i].paragraphs) records.push_back(Paragraph(paragraph));
  }
  PlaceRecords(records);
  const std::vector<uint32_t> offsets = LinkRecords(records);
  const std::map<std::string, std::string> contents = {
      {"|CTXOMAP", ContextMapFile(source, offsets)},
      {"|SYSTEM", SystemFile(source)},
      {"|TOPIC", TopicFile(records)},
  };
  constexpr size_t kHeaderSize = 16;
  std::string body;
  std::map<std::string, uint32_t> directory;
  for (const auto& [name, bytes] : contents) {
    directory[name] = uint32_t(kHeaderSize + body.size());
    body += InternalFile(bytes);
  }
  const uint32_t directoryStart = uint32_t(kHeaderSize + body.size());
  body += InternalFile(Directory(directory));
  std::string out;
  Append32(out, 0x00035F3F);
  Append32(out, directoryStart);
  Append32(out, kNone);  // no free blocks
  Append32(out, uint32_t(kHeaderSize + body.size()));
  return out + body;
}

}  // namespace dxl::tools
