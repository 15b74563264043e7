#include "platform/base/ini_text.h"

#include <cstdint>
#include <cstring>

#include "platform/base/case_rules.h"
#include "platform/base/text.h"

namespace w95 {

namespace {

constexpr size_t npos = std::string::npos;

// The blanks trimmed from names and values: " \t\v\f\x1a".
[[gnu::always_inline]] inline bool IsBlank(char c) {
  return c == ' ' || c == '\t' || c == '\v' || c == '\f' || c == '\x1a';
}

// The range [begin, end) of `data` without its blanks at either end.
[[gnu::always_inline]] inline void TrimRange(const char* data, size_t& begin, size_t& end) {
  while (begin < end && IsBlank(data[begin])) ++begin;
  while (end > begin && IsBlank(data[end - 1])) --end;
}

}  // namespace

IniText::IniText(std::string bytes) : bytes_(std::move(bytes)) { Parse(); }

void IniText::Parse() {
  lines_.clear();
  // Lines hold 32-bit offsets: a larger text has none (every lookup misses).
  if (bytes_.size() >= kNoLine) {
    index_.clear();
    return;
  }
  lines_.reserve(bytes_.size() / 32 + 8);  // about what a profile's lines take
  const char* data = bytes_.data();
  const size_t size = bytes_.size();
  size_t pos = 0;
  while (pos < size) {
    Line line;
    const size_t begin = pos;
    const size_t end = FindLineEnd(bytes_, pos);
    size_t next = end;
    if (next < size && data[next] == '\r') ++next;
    if (next < size && data[next] == '\n') ++next;
    line.begin = static_cast<std::uint32_t>(begin);
    line.end = static_cast<std::uint32_t>(end);
    line.next = static_cast<std::uint32_t>(next);
    pos = next;

    size_t first = begin, last = end;
    TrimRange(data, first, last);
    size_t nameEnd = last;
    if (first == last) {
      line.kind = Kind::Blank;
    } else if (data[first] == ';') {
      line.kind = Kind::Comment;
    } else if (data[first] == '[') {
      line.kind = Kind::Section;
      ++first;
      if (const void* close = std::memchr(data + first, ']', last - first))
        nameEnd = static_cast<size_t>(static_cast<const char*>(close) - data);
    } else if (const void* eq = std::memchr(data + first, '=', last - first)) {
      line.kind = Kind::Entry;
      nameEnd = static_cast<size_t>(static_cast<const char*>(eq) - data);
      size_t valueBegin = nameEnd + 1, valueEnd = last;
      TrimRange(data, valueBegin, valueEnd);
      // One pair of matching quotes around the value goes.
      if (valueEnd - valueBegin > 1 && (data[valueBegin] == '"' || data[valueBegin] == '\'') &&
          data[valueEnd - 1] == data[valueBegin]) {
        ++valueBegin;
        --valueEnd;
      }
      line.valueBegin = static_cast<std::uint32_t>(valueBegin);
      line.valueSize = static_cast<std::uint32_t>(valueEnd - valueBegin);
    } else {
      line.kind = Kind::Text;
    }
    if (line.kind != Kind::Blank && line.kind != Kind::Comment) {
      TrimRange(data, first, nameEnd);
      line.nameBegin = static_cast<std::uint32_t>(first);
      line.nameSize = static_cast<std::uint32_t>(nameEnd - first);
    }
    lines_.push_back(line);
  }
  Index();
}

bool IniText::Insert(size_t scope, size_t lineIndex) {
  if (lineIndex >= kNoLine) return false;
  const std::string_view name = Name(lines_[lineIndex]);
  const size_t hash = FoldedNameHash(name, scope);
  Slot& slot = index_[Probe(scope, name, hash)];
  if (slot.line != kNoLine) return false;
  slot = Slot{static_cast<std::uint32_t>(hash), static_cast<std::uint32_t>(lineIndex)};
  return true;
}

void IniText::Index() {
  index_.clear();
  if (lines_.empty()) return;
  size_t capacity = 16;
  while (capacity < 2 * lines_.size()) capacity *= 2;
  index_.assign(capacity, Slot{});
  size_t section = npos;
  for (size_t i = 0; i < lines_.size(); ++i) {
    Line& line = lines_[i];
    if (line.kind == Kind::Section) {
      section = Insert(npos, i) ? i : npos;
    } else if (line.kind == Kind::Entry) {
      line.scope = section == npos ? kNoLine : static_cast<std::uint32_t>(section);
      if (section != npos) Insert(section, i);
    }
  }
}

size_t IniText::Probe(size_t scope, std::string_view name, size_t hash) const {
  const size_t mask = index_.size() - 1;
  for (size_t at = hash & mask;; at = (at + 1) & mask) {
    const Slot& slot = index_[at];
    if (slot.line == kNoLine) return at;
    if (slot.hash != static_cast<std::uint32_t>(hash)) continue;
    const Line& line = lines_[slot.line];
    const bool inScope = scope == npos ? line.kind == Kind::Section : line.kind == Kind::Entry && line.scope == scope;
    if (inScope && EqualsNoCase(Name(line), name)) return at;
  }
}

size_t IniText::Find(size_t scope, std::string_view name) const {
  if (index_.empty()) return npos;
  const std::uint32_t line = index_[Probe(scope, name, FoldedNameHash(name, scope))].line;
  return line == kNoLine ? npos : line;
}

size_t IniText::FindSection(std::string_view section) const { return Find(npos, section); }

size_t IniText::SectionEnd(size_t index) const {
  size_t i = index + 1;
  while (i < lines_.size() && lines_[i].kind != Kind::Section) ++i;
  return i;
}

size_t IniText::FindKey(size_t sectionIndex, std::string_view key) const { return Find(sectionIndex, key); }

bool IniText::HasSection(std::string_view section) const { return FindSection(section) != npos; }

std::optional<std::string_view> IniText::ValueView(std::string_view section, std::string_view key) const {
  size_t s = FindSection(section);
  if (s == npos) return std::nullopt;
  size_t k = FindKey(s, key);
  if (k == npos) return std::nullopt;
  return ValueOf(lines_[k]);
}

std::optional<std::string> IniText::Value(std::string_view section, std::string_view key) const {
  auto value = ValueView(section, key);
  if (!value) return std::nullopt;
  return std::string(*value);
}

std::vector<std::string> IniText::SectionNames() const {
  std::vector<std::string> names;
  VisitSectionNames([&](std::string_view name) {
    names.emplace_back(name);
    return true;
  });
  return names;
}

std::vector<std::string> IniText::KeyNames(std::string_view section) const {
  std::vector<std::string> names;
  VisitKeyNames(section, [&](std::string_view name) {
    names.emplace_back(name);
    return true;
  });
  return names;
}

void IniText::Splice(size_t begin, size_t end, std::string_view replacement) {
  bytes_.replace(begin, end - begin, replacement);
  Parse();
}

bool IniText::SetValue(std::string_view section, std::string_view key, std::string_view value) {
  std::string entry = std::string(key) + "=" + std::string(value);
  size_t s = FindSection(section);
  if (s == npos) {
    std::string block;
    bool openLastLine = false;
    if (!bytes_.empty()) {
      char last = bytes_.back();
      openLastLine = last != '\n' && last != '\r';
      if (openLastLine) block += "\r\n";
      block += "\r\n";  // Windows 95 sets every new section off with a blank line
    }
    // After a last line without a line end, Windows 95 leaves the new entry
    // without one too.
    block += "[" + std::string(section) + "]\r\n" + entry + (openLastLine ? "" : "\r\n");
    Splice(bytes_.size(), bytes_.size(), block);
    return true;
  }
  if (size_t k = FindKey(s, key); k != npos) {
    const Line& line = lines_[k];
    std::string rewritten = std::string(Name(line)) + "=" + std::string(value);
    if (ValueOf(line) == value && bytes_.compare(line.begin, line.end - line.begin, rewritten) == 0) return false;
    Splice(line.begin, line.end, rewritten);
    return true;
  }
  // A new key follows the last entry of the section (or its header).
  size_t after = s;
  for (size_t i = s + 1, end = SectionEnd(s); i < end; ++i)
    if (lines_[i].kind == Kind::Entry || lines_[i].kind == Kind::Text) after = i;
  const Line& anchor = lines_[after];
  if (anchor.next == anchor.end) {  // the anchor line ends the file without a line break
    Splice(anchor.end, anchor.end, "\r\n" + entry);
  } else {
    Splice(anchor.next, anchor.next, entry + "\r\n");
  }
  return true;
}

bool IniText::DeleteKey(std::string_view section, std::string_view key) {
  size_t s = FindSection(section);
  if (s == npos) return false;
  size_t k = FindKey(s, key);
  if (k == npos) return false;
  Splice(lines_[k].begin, lines_[k].next, "");
  return true;
}

bool IniText::DeleteSection(std::string_view section) {
  size_t s = FindSection(section);
  if (s == npos) return false;
  std::string kept;
  size_t end = SectionEnd(s);
  for (size_t i = s + 1; i < end; ++i) {
    const Line& line = lines_[i];
    if (line.kind == Kind::Comment || line.kind == Kind::Blank) kept.append(bytes_, line.begin, line.next - line.begin);
  }
  size_t stop = end < lines_.size() ? lines_[end].begin : bytes_.size();
  Splice(lines_[s].begin, stop, kept);
  return true;
}

}  // namespace w95
