#include "platform/base/ini_text.h"

#include "platform/base/text.h"

namespace w95 {

namespace {

constexpr std::string_view kBlanks = " \t\v\f\x1a";
constexpr size_t npos = std::string::npos;

std::string Unquote(std::string_view value) {
  if (value.size() > 1 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front())
    value = value.substr(1, value.size() - 2);
  return std::string(value);
}

}  // namespace

IniText::IniText(std::string bytes) : bytes_(std::move(bytes)) { Parse(); }

void IniText::Parse() {
  lines_.clear();
  size_t pos = 0;
  const size_t size = bytes_.size();
  while (pos < size) {
    Line line;
    line.begin = pos;
    size_t end = pos;
    while (end < size && bytes_[end] != '\r' && bytes_[end] != '\n') ++end;
    line.end = end;
    size_t next = end;
    if (next < bytes_.size() && bytes_[next] == '\r') ++next;
    if (next < bytes_.size() && bytes_[next] == '\n') ++next;
    line.next = next;
    pos = next;

    std::string_view text = Trim(std::string_view(bytes_).substr(line.begin, line.end - line.begin), kBlanks);
    if (text.empty()) {
      line.kind = Kind::Blank;
    } else if (text.front() == ';') {
      line.kind = Kind::Comment;
    } else if (text.front() == '[') {
      line.kind = Kind::Section;
      auto close = text.find(']');
      line.name = std::string(Trim(text.substr(1, close == npos ? npos : close - 1), kBlanks));
    } else if (auto eq = text.find('='); eq != npos) {
      line.kind = Kind::Entry;
      line.name = std::string(Trim(text.substr(0, eq), kBlanks));
      line.value = Unquote(Trim(text.substr(eq + 1), kBlanks));
    } else {
      line.kind = Kind::Text;
      line.name = std::string(text);
    }
    lines_.push_back(std::move(line));
  }
  Index();
}

void IniText::Index() {
  sections_.clear();
  keys_.clear();
  keys_.reserve(lines_.size());
  size_t section = npos;
  for (size_t i = 0; i < lines_.size(); ++i) {
    const Line& line = lines_[i];
    if (line.kind == Kind::Section) {
      section = sections_.try_emplace(ToUpperAscii(line.name), i).second ? i : npos;
    } else if (line.kind == Kind::Entry && section != npos) {
      keys_.try_emplace(KeyOf(section, line.name), i);
    }
  }
}

// The key folded as ToUpperAscii folds it, a NUL, then the section's index as
// raw bytes: one allocation per key at most.
std::string IniText::KeyOf(size_t sectionIndex, std::string_view key) {
  std::string joined;
  joined.reserve(key.size() + 1 + sizeof sectionIndex);
  for (size_t i = 0; i < key.size(); ++i) {
    auto c = static_cast<unsigned char>(key[i]);
    joined.push_back(c >= 'a' && c <= 'z' ? static_cast<char>(c - ('a' - 'A')) : key[i]);
    if (IsCp936LeadByte(c) && i + 1 < key.size()) joined.push_back(key[++i]);  // a trail byte keeps its case
  }
  joined.push_back('\0');
  joined.append(reinterpret_cast<const char*>(&sectionIndex), sizeof sectionIndex);
  return joined;
}

size_t IniText::FindSection(std::string_view section) const {
  auto found = sections_.find(ToUpperAscii(section));
  return found == sections_.end() ? npos : found->second;
}

size_t IniText::SectionEnd(size_t index) const {
  size_t i = index + 1;
  while (i < lines_.size() && lines_[i].kind != Kind::Section) ++i;
  return i;
}

size_t IniText::FindKey(size_t sectionIndex, std::string_view key) const {
  auto found = keys_.find(KeyOf(sectionIndex, key));
  return found == keys_.end() ? npos : found->second;
}

bool IniText::HasSection(std::string_view section) const { return FindSection(section) != npos; }

std::optional<std::string> IniText::Value(std::string_view section, std::string_view key) const {
  size_t s = FindSection(section);
  if (s == npos) return std::nullopt;
  size_t k = FindKey(s, key);
  if (k == npos) return std::nullopt;
  return lines_[k].value;
}

std::vector<std::string> IniText::SectionNames() const {
  auto views = SectionNameViews();
  return {views.begin(), views.end()};
}

std::vector<std::string> IniText::KeyNames(std::string_view section) const {
  auto views = KeyNameViews(section);
  return {views.begin(), views.end()};
}

std::vector<std::string_view> IniText::SectionNameViews() const {
  std::vector<std::string_view> names;
  for (const auto& line : lines_)
    if (line.kind == Kind::Section) names.push_back(line.name);
  return names;
}

std::vector<std::string_view> IniText::KeyNameViews(std::string_view section) const {
  std::vector<std::string_view> names;
  size_t s = FindSection(section);
  if (s == npos) return names;
  for (size_t i = s + 1, end = SectionEnd(s); i < end; ++i)
    if (lines_[i].kind == Kind::Entry) names.push_back(lines_[i].name);
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
    if (line.value == value &&
        bytes_.compare(line.begin, line.end - line.begin, line.name + "=" + std::string(value)) == 0)
      return false;
    Splice(line.begin, line.end, line.name + "=" + std::string(value));
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
