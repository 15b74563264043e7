#include "platform/registry/regedit4.h"

#include <cstdio>
#include <functional>
#include <vector>

#include "platform/base/text.h"
#include "platform/registry/registry.h"

namespace w95 {

namespace {

constexpr std::string_view kBlanks = " \t";
constexpr std::string_view kHeader = "REGEDIT4";
constexpr size_t kWrapColumn = 77;

struct Line {
  size_t begin = 0;  // first byte
  size_t end = 0;    // one past the last byte, line break excluded
};

std::vector<Line> SplitLines(std::string_view bytes) {
  std::vector<Line> lines;
  size_t pos = 0;
  while (pos < bytes.size()) {
    // A plain loop: find_first_of runs memchr over the set for every byte.
    size_t end = pos;
    while (end < bytes.size() && bytes[end] != '\r' && bytes[end] != '\n') ++end;
    lines.push_back(Line{pos, end});
    pos = end;
    if (pos < bytes.size() && bytes[pos] == '\r') ++pos;
    if (pos < bytes.size() && bytes[pos] == '\n') ++pos;
  }
  return lines;
}

std::string_view SkipBlanks(std::string_view text) {
  size_t first = text.find_first_not_of(kBlanks);
  return first == std::string_view::npos ? std::string_view() : text.substr(first);
}

// Only blanks, or blanks and a ';' comment, remain.
bool OnlyComment(std::string_view rest) {
  rest = SkipBlanks(rest);
  return rest.empty() || rest.front() == ';';
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
  return text.size() >= prefix.size() && EqualsNoCase(text.substr(0, prefix.size()), prefix);
}

// A quoted text starting at text[0] == '"', with \\ and \" escapes. Leaves
// `text` after the closing quote.
std::optional<std::string> ReadQuoted(std::string_view& text, std::string& reason) {
  std::string out;
  for (size_t i = 1; i < text.size(); ++i) {
    char c = text[i];
    if (c == '"') {
      text.remove_prefix(i + 1);
      return out;
    }
    if (c == '\\') {
      if (i + 1 >= text.size() || (text[i + 1] != '\\' && text[i + 1] != '"')) {
        reason = "unknown escape sequence in a quoted text";
        return std::nullopt;
      }
      c = text[++i];
    }
    out += c;
  }
  reason = "quoted text without its closing quote";
  return std::nullopt;
}

class Reader {
 public:
  Reader(std::string_view bytes, std::span<const RegRootName> roots, RegHive& hive)
      : bytes_(bytes), lines_(SplitLines(bytes)), roots_(roots), hive_(hive) {}

  std::optional<RegParseError> Run();

 private:
  std::string_view Text(size_t index) const {
    return bytes_.substr(lines_[index].begin, lines_[index].end - lines_[index].begin);
  }
  std::optional<RegParseError> Error(std::string reason) const { return RegParseError{index_ + 1, std::move(reason)}; }
  // Gives the text from the current block's start up to `end` to its owner.
  void CloseBlock(size_t end);
  std::optional<RegParseError> KeyLine(std::string_view text);
  std::optional<RegParseError> ValueLine(std::string_view text);
  std::optional<RegParseError> HexData(std::string_view rest, std::string& data);
  std::optional<std::vector<std::string>> KeyPath(std::string_view fullName, std::string& reason) const;
  void SettleFlags(RegNode& node, bool isRoot);

  std::string_view bytes_;
  std::vector<Line> lines_;
  std::span<const RegRootName> roots_;
  RegHive& hive_;
  size_t index_ = 0;
  size_t blockStart_ = 0;
  bool inPreamble_ = true;
  RegNode* blockOwner_ = nullptr;  // null for a deleted key's block
};

std::optional<RegParseError> Reader::Run() {
  if (bytes_.empty()) return std::nullopt;
  if (Trim(Text(0), kBlanks) != kHeader) return Error("the file does not begin with REGEDIT4");
  for (index_ = 1; index_ < lines_.size(); ++index_) {
    std::string_view text = SkipBlanks(Text(index_));
    if (text.empty() || text.front() == ';' || text.front() == '#') continue;
    std::optional<RegParseError> error;
    if (text.front() == '[') {
      error = KeyLine(text);
    } else if (text.front() == '@' || text.front() == '"') {
      error = ValueLine(text);
    } else {
      error = Error("a line that is neither a key nor a value");
    }
    if (error) return error;
  }
  CloseBlock(bytes_.size());
  SettleFlags(hive_.Root(), true);
  return std::nullopt;
}

void Reader::CloseBlock(size_t end) {
  std::string_view text = bytes_.substr(blockStart_, end - blockStart_);
  if (inPreamble_) {
    hive_.SetPreamble(std::string(text));
  } else if (blockOwner_) {
    blockOwner_->AppendOriginalText(text);
  }
  blockStart_ = end;
}

// Every key is as read; a key with neither its own lines nor subkeys (left
// behind by a deleted subkey) must be written out to survive.
void Reader::SettleFlags(RegNode& node, bool isRoot) {
  node.MarkUnchanged();
  if (!isRoot && !node.HasOriginalText() && node.Children().empty()) node.MarkChanged();
  for (const auto& child : node.Children()) SettleFlags(*child, false);
}

std::optional<std::vector<std::string>> Reader::KeyPath(std::string_view fullName, std::string& reason) const {
  size_t slash = fullName.find('\\');
  std::string_view rootName = fullName.substr(0, slash);
  std::string_view rest = slash == std::string_view::npos ? std::string_view() : fullName.substr(slash + 1);
  for (const auto& root : roots_) {
    if (!EqualsNoCase(root.name, rootName)) continue;
    std::vector<std::string> path = SplitKeyPath(root.prefix);
    for (auto& part : SplitKeyPath(rest)) path.push_back(std::move(part));
    return path;
  }
  reason = "a key outside this hive: " + std::string(rootName);
  return std::nullopt;
}

std::optional<RegParseError> Reader::KeyLine(std::string_view text) {
  size_t close = text.rfind(']');
  if (close == std::string_view::npos) return Error("a key line without its closing ']'");
  if (!Trim(text.substr(close + 1), kBlanks).empty()) return Error("text after a key line's closing ']'");
  std::string_view name = text.substr(1, close - 1);
  bool remove = !name.empty() && name.front() == '-';
  if (remove) name.remove_prefix(1);

  std::string reason;
  auto path = KeyPath(name, reason);
  if (!path) return Error(reason);

  CloseBlock(lines_[index_].begin);
  inPreamble_ = false;
  if (remove) {
    hive_.Remove(*path);
    blockOwner_ = nullptr;
  } else {
    blockOwner_ = &hive_.Create(*path);
  }
  return std::nullopt;
}

std::optional<RegParseError> Reader::ValueLine(std::string_view text) {
  if (!blockOwner_) return Error("a value that belongs to no key");
  std::string reason;
  std::string name;
  if (text.front() == '@') {
    text.remove_prefix(1);
  } else {
    auto quoted = ReadQuoted(text, reason);
    if (!quoted) return Error(reason);
    name = std::move(*quoted);
  }
  text = SkipBlanks(text);
  if (text.empty() || text.front() != '=') return Error("a value name without '='");
  text = SkipBlanks(text.substr(1));

  if (!text.empty() && text.front() == '"') {
    auto quoted = ReadQuoted(text, reason);
    if (!quoted) return Error(reason);
    if (!OnlyComment(text)) return Error("text after a quoted value");
    quoted->push_back('\0');
    blockOwner_->SetValue(name, REG_SZ, std::move(*quoted));
    return std::nullopt;
  }
  if (!text.empty() && text.front() == '-') {
    if (!OnlyComment(text.substr(1))) return Error("text after a value deletion");
    blockOwner_->RemoveValue(name);
    return std::nullopt;
  }
  if (StartsWithNoCase(text, "dword:")) {
    text.remove_prefix(6);
    size_t digits = 0;
    std::uint32_t number = 0;
    while (digits < text.size() && HexDigit(text[digits]) >= 0) number = number * 16 + HexDigit(text[digits++]);
    if (digits == 0 || digits > 8 || !OnlyComment(text.substr(digits)))
      return Error("a dword value that is not 1 to 8 hex digits");
    std::string data(4, '\0');
    for (int i = 0; i < 4; ++i) data[i] = static_cast<char>((number >> (8 * i)) & 0xFF);
    blockOwner_->SetValue(name, REG_DWORD, std::move(data));
    return std::nullopt;
  }
  DWORD type = REG_BINARY;
  if (StartsWithNoCase(text, "hex(")) {
    size_t closeParen = text.find(')');
    std::string_view digits = text.substr(4, closeParen == std::string_view::npos ? 0 : closeParen - 4);
    if (digits.empty() || digits.size() > 8) return Error("a hex(N) value with a bad type number");
    type = 0;
    for (char c : digits) {
      if (HexDigit(c) < 0) return Error("a hex(N) value with a bad type number");
      type = type * 16 + static_cast<DWORD>(HexDigit(c));
    }
    text.remove_prefix(closeParen + 1);
    if (text.empty() || text.front() != ':') return Error("a hex(N) value without ':'");
    text.remove_prefix(1);
  } else if (StartsWithNoCase(text, "hex:")) {
    text.remove_prefix(4);
  } else {
    return Error("a value of an unknown form");
  }
  std::string data;
  if (auto error = HexData(text, data)) return error;
  blockOwner_->SetValue(name, type, std::move(data));
  return std::nullopt;
}

// Comma-separated bytes; ",\" at the end of a line continues the list on the next.
std::optional<RegParseError> Reader::HexData(std::string_view rest, std::string& data) {
  bool afterComma = true;
  for (;;) {
    rest = SkipBlanks(rest);
    if (rest.empty() || rest.front() == ';') return std::nullopt;
    if (rest.front() == '\\') {
      if (!afterComma) return Error("a line continuation without a comma before it");
      if (!OnlyComment(rest.substr(1))) return Error("text after a line continuation");
      if (index_ + 1 >= lines_.size()) return Error("a value continued past the end of the file");
      ++index_;
      rest = SkipBlanks(Text(index_));
      if (rest.empty() || HexDigit(rest.front()) < 0) return Error("a continuation line that does not hold hex bytes");
      continue;
    }
    if (!afterComma) return Error("hex bytes without a comma between them");
    size_t digits = 0;
    int byte = 0;
    while (digits < 2 && digits < rest.size() && HexDigit(rest[digits]) >= 0)
      byte = byte * 16 + HexDigit(rest[digits++]);
    if (digits == 0) return Error("a hex list with something other than hex bytes");
    data.push_back(static_cast<char>(byte));
    rest = SkipBlanks(rest.substr(digits));
    afterComma = !rest.empty() && rest.front() == ',';
    if (afterComma) rest.remove_prefix(1);
  }
}

std::string Escape(std::string_view text) {
  std::string out;
  for (char c : text) {
    if (c == '\\' || c == '"') out += '\\';
    out += c;
  }
  return out;
}

// A REG_SZ that reads back the same from "text": one NUL at the end, none
// inside, and no line break.
bool FitsQuotedForm(const RegValue& value) {
  if (value.type != REG_SZ || value.data.empty() || value.data.back() != '\0') return false;
  std::string_view text(value.data.data(), value.data.size() - 1);
  return text.find_first_of(std::string_view("\0\r\n", 3)) == std::string_view::npos;
}

void AppendHex(std::string& line, std::string& out, const RegValue& value) {
  char buffer[16];
  if (value.type == REG_BINARY) {
    line += "hex:";
  } else {
    std::snprintf(buffer, sizeof buffer, "hex(%x):", static_cast<unsigned>(value.type));
    line += buffer;
  }
  for (size_t i = 0; i < value.data.size(); ++i) {
    std::snprintf(buffer, sizeof buffer, "%02x", static_cast<unsigned char>(value.data[i]));
    line += buffer;
    if (i + 1 == value.data.size()) break;
    line += ',';
    if (line.size() >= kWrapColumn) {
      out += line + "\\\r\n";
      line = "  ";
    }
  }
}

void RenderNode(const RegNode& node, const std::string& path, std::string& out) {
  if (!node.Changed() && node.HasOriginalText()) {
    if (!out.empty() && out.back() != '\n' && out.back() != '\r') out += "\r\n";
    out += node.OriginalText();
  } else if (node.Changed()) {
    if (!out.empty() && out.back() != '\n' && out.back() != '\r') out += "\r\n";
    out += "[" + path + "]\r\n";
    for (const auto& value : node.Values()) out += RenderRegValue(value) + "\r\n";
    out += "\r\n";
  }
  for (const auto& child : node.Children()) RenderNode(*child, path + "\\" + child->Name(), out);
}

}  // namespace

std::optional<RegParseError> ParseRegedit4(std::string_view bytes, std::span<const RegRootName> roots, RegHive& hive) {
  hive.KeepText(std::string(bytes));  // the keys' original text points into it
  return Reader(*hive.Text(), roots, hive).Run();
}

std::string RenderRegValue(const RegValue& value) {
  std::string line = value.name.empty() ? "@=" : "\"" + Escape(value.name) + "\"=";
  if (FitsQuotedForm(value))
    return line + "\"" + Escape(std::string_view(value.data).substr(0, value.data.size() - 1)) + "\"";
  if (value.type == REG_DWORD && value.data.size() == 4) {
    std::uint32_t number = 0;
    for (int i = 3; i >= 0; --i) number = number << 8 | static_cast<unsigned char>(value.data[i]);
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "dword:%08x", number);
    return line + buffer;
  }
  std::string out;
  AppendHex(line, out, value);
  return out + line;
}

std::string RenderRegedit4(const RegHive& hive) {
  std::string out = hive.Preamble();
  RenderNode(hive.Root(), hive.RootName(), out);
  return out;
}

}  // namespace w95
