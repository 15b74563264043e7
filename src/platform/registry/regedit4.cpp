#include "platform/registry/regedit4.h"

#include <cstdio>
#include <functional>
#include <vector>

#include "platform/base/case_rules.h"
#include "platform/base/text.h"
#include "platform/registry/registry.h"

namespace w95 {

namespace {

constexpr std::string_view kBlanks = " \t";
constexpr std::string_view kHeader = "REGEDIT4";
constexpr size_t kWrapColumn = 77;

// The lines of a text, one at a time (a list of them all would cost more than
// the tree of a hive): each ends before its CR, LF or CR LF.
class Lines {
 public:
  explicit Lines(std::string_view bytes) : bytes_(bytes) { Find(0); }

  bool AtEnd() const { return begin_ >= bytes_.size(); }
  // Whether a line follows the current one.
  bool HasNext() const { return next_ < bytes_.size(); }
  std::string_view Text() const { return bytes_.substr(begin_, end_ - begin_); }
  size_t Begin() const { return begin_; }
  size_t Number() const { return number_; }  // 1-based
  void Next() {
    ++number_;
    Find(next_);
  }

 private:
  void Find(size_t pos) {
    begin_ = pos;
    size_t end = FindLineEnd(bytes_, pos);
    end_ = end;
    if (end < bytes_.size() && bytes_[end] == '\r') ++end;
    if (end < bytes_.size() && bytes_[end] == '\n') ++end;
    next_ = end;
  }

  std::string_view bytes_;
  size_t begin_ = 0;
  size_t end_ = 0;
  size_t next_ = 0;
  size_t number_ = 1;
};

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

// A quoted text starting at text[0] == '"', with \\ and \" escapes, into
// `out`. Leaves `text` after the closing quote.
bool ReadQuoted(std::string_view& text, std::string& out, std::string& reason) {
  out.clear();
  for (size_t i = 1; i < text.size(); ++i) {
    char c = text[i];
    if (c == '"') {
      text.remove_prefix(i + 1);
      return true;
    }
    if (c == '\\') {
      if (i + 1 >= text.size() || (text[i + 1] != '\\' && text[i + 1] != '"')) {
        reason = "unknown escape sequence in a quoted text";
        return false;
      }
      c = text[++i];
    }
    out += c;
  }
  reason = "quoted text without its closing quote";
  return false;
}

// The value lines of a REGEDIT4 text: read into a key's values, or only
// checked (when the file is read: the key parses them when they are asked for).
class ValueLines {
 public:
  // The value line at `lines` (left at its last continuation line) into
  // `values`, or checked only when `values` is null. The reason when it is wrong.
  std::optional<std::string> Read(Lines& lines, std::vector<RegValue>* values);

 private:
  std::optional<std::string> HexData(std::string_view rest, Lines& lines);

  // Reused from line to line: checking a file allocates nothing per value.
  std::string name_;
  std::string data_;
  std::string reason_;
};

std::optional<std::string> ValueLines::Read(Lines& lines, std::vector<RegValue>* values) {
  std::string_view text = SkipBlanks(lines.Text());
  name_.clear();
  data_.clear();
  if (text.front() == '@') {
    text.remove_prefix(1);
  } else if (!ReadQuoted(text, name_, reason_)) {
    return reason_;
  }
  text = SkipBlanks(text);
  if (text.empty() || text.front() != '=') return "a value name without '='";
  text = SkipBlanks(text.substr(1));

  DWORD type = REG_BINARY;
  if (!text.empty() && text.front() == '"') {
    if (!ReadQuoted(text, data_, reason_)) return reason_;
    if (!OnlyComment(text)) return "text after a quoted value";
    data_.push_back('\0');
    type = REG_SZ;
  } else if (!text.empty() && text.front() == '-') {
    if (!OnlyComment(text.substr(1))) return "text after a value deletion";
    if (values) RemoveValueIn(*values, name_);
    return std::nullopt;
  } else if (StartsWithNoCase(text, "dword:")) {
    text.remove_prefix(6);
    size_t digits = 0;
    std::uint32_t number = 0;
    while (digits < text.size() && HexDigit(text[digits]) >= 0) number = number * 16 + HexDigit(text[digits++]);
    if (digits == 0 || digits > 8 || !OnlyComment(text.substr(digits)))
      return "a dword value that is not 1 to 8 hex digits";
    data_.assign(4, '\0');
    for (int i = 0; i < 4; ++i) data_[i] = static_cast<char>((number >> (8 * i)) & 0xFF);
    type = REG_DWORD;
  } else {
    if (StartsWithNoCase(text, "hex(")) {
      size_t closeParen = text.find(')');
      std::string_view digits = text.substr(4, closeParen == std::string_view::npos ? 0 : closeParen - 4);
      if (digits.empty() || digits.size() > 8) return "a hex(N) value with a bad type number";
      type = 0;
      for (char c : digits) {
        if (HexDigit(c) < 0) return "a hex(N) value with a bad type number";
        type = type * 16 + static_cast<DWORD>(HexDigit(c));
      }
      text.remove_prefix(closeParen + 1);
      if (text.empty() || text.front() != ':') return "a hex(N) value without ':'";
      text.remove_prefix(1);
    } else if (StartsWithNoCase(text, "hex:")) {
      text.remove_prefix(4);
    } else {
      return "a value of an unknown form";
    }
    if (auto error = HexData(text, lines)) return error;
  }
  if (values) SetValueIn(*values, name_, type, data_);
  return std::nullopt;
}

// Comma-separated bytes; ",\" at the end of a line continues the list on the next.
std::optional<std::string> ValueLines::HexData(std::string_view rest, Lines& lines) {
  bool afterComma = true;
  for (;;) {
    rest = SkipBlanks(rest);
    if (rest.empty() || rest.front() == ';') return std::nullopt;
    if (rest.front() == '\\') {
      if (!afterComma) return "a line continuation without a comma before it";
      if (!OnlyComment(rest.substr(1))) return "text after a line continuation";
      if (!lines.HasNext()) return "a value continued past the end of the file";
      lines.Next();
      rest = SkipBlanks(lines.Text());
      if (rest.empty() || HexDigit(rest.front()) < 0) return "a continuation line that does not hold hex bytes";
      continue;
    }
    if (!afterComma) return "hex bytes without a comma between them";
    size_t digits = 0;
    int byte = 0;
    while (digits < 2 && digits < rest.size() && HexDigit(rest[digits]) >= 0)
      byte = byte * 16 + HexDigit(rest[digits++]);
    if (digits == 0) return "a hex list with something other than hex bytes";
    data_.push_back(static_cast<char>(byte));
    rest = SkipBlanks(rest.substr(digits));
    afterComma = !rest.empty() && rest.front() == ',';
    if (afterComma) rest.remove_prefix(1);
  }
}

class Reader {
 public:
  Reader(std::string_view bytes, std::span<const RegRootName> roots, RegHive& hive)
      : bytes_(bytes), lines_(bytes), roots_(roots), hive_(hive) {}

  std::optional<RegParseError> Run();

 private:
  std::optional<RegParseError> Error(std::string reason) const {
    return RegParseError{lines_.Number(), std::move(reason)};
  }
  // Gives the text from the current block's start up to `end` to its owner.
  void CloseBlock(size_t end);
  std::optional<RegParseError> KeyLine(std::string_view text);
  std::optional<RegParseError> ValueLine();
  bool KeyPath(std::string_view fullName, std::vector<std::string_view>& path, std::string& reason) const;
  void SettleFlags(RegNode& node, bool isRoot);

  std::string_view bytes_;
  Lines lines_;
  ValueLines values_;
  std::span<const RegRootName> roots_;
  RegHive& hive_;
  size_t blockStart_ = 0;
  bool inPreamble_ = true;
  RegNode* blockOwner_ = nullptr;  // null for a deleted key's block
  std::vector<std::string_view> path_;
};

std::optional<RegParseError> Reader::Run() {
  if (bytes_.empty()) return std::nullopt;
  if (bytes_.size() > UINT32_MAX) return RegParseError{1, "the file is larger than 4 GB"};
  if (Trim(lines_.Text(), kBlanks) != kHeader) return Error("the file does not begin with REGEDIT4");
  for (lines_.Next(); !lines_.AtEnd(); lines_.Next()) {
    std::string_view text = SkipBlanks(lines_.Text());
    if (text.empty() || text.front() == ';' || text.front() == '#') continue;
    std::optional<RegParseError> error;
    if (text.front() == '[') {
      error = KeyLine(text);
    } else if (text.front() == '@' || text.front() == '"') {
      error = ValueLine();
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
  node.ShrinkToFit();
  if (!isRoot && !node.HasOriginalText() && node.Children().empty()) node.MarkChanged();
  for (const auto& child : node.Children()) SettleFlags(*child, false);
}

bool Reader::KeyPath(std::string_view fullName, std::vector<std::string_view>& path, std::string& reason) const {
  size_t slash = fullName.find('\\');
  std::string_view rootName = fullName.substr(0, slash);
  std::string_view rest = slash == std::string_view::npos ? std::string_view() : fullName.substr(slash + 1);
  for (const auto& root : roots_) {
    if (!EqualsNoCase(root.name, rootName)) continue;
    path = SplitKeyPathViews(root.prefix);
    for (auto part : SplitKeyPathViews(rest)) path.push_back(part);
    return true;
  }
  reason = "a key outside this hive: " + std::string(rootName);
  return false;
}

std::optional<RegParseError> Reader::KeyLine(std::string_view text) {
  size_t close = text.rfind(']');
  if (close == std::string_view::npos) return Error("a key line without its closing ']'");
  if (!Trim(text.substr(close + 1), kBlanks).empty()) return Error("text after a key line's closing ']'");
  std::string_view name = text.substr(1, close - 1);
  bool remove = !name.empty() && name.front() == '-';
  if (remove) name.remove_prefix(1);

  std::string reason;
  if (!KeyPath(name, path_, reason)) return Error(reason);

  CloseBlock(lines_.Begin());
  inPreamble_ = false;
  RegNode* node = &hive_.Root();
  blockOwner_ = nullptr;
  if (remove) {
    for (size_t i = 0; node && i + 1 < path_.size(); ++i) node = node->Child(path_[i]);
    if (node && !path_.empty()) node->RemoveChild(path_.back());
    return std::nullopt;
  }
  // Names that are in the file as they are (all but a root's prefix) point into it.
  for (auto part : path_) node = hive_.InText(part) ? &node->ChildOrNewKeptName(part) : &node->ChildOrNew(part);
  blockOwner_ = node;
  return std::nullopt;
}

std::optional<RegParseError> Reader::ValueLine() {
  if (!blockOwner_) return Error("a value that belongs to no key");
  if (auto reason = values_.Read(lines_, nullptr)) return Error(std::move(*reason));
  blockOwner_->DeferValues(RegSource::Regedit4);
  return std::nullopt;
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

// `path` is the key's path; it comes back as it was.
void RenderNode(const RegNode& node, std::string& path, std::string& out) {
  if (!node.Changed() && node.HasOriginalText()) {
    if (!out.empty() && out.back() != '\n' && out.back() != '\r') out += "\r\n";
    out += node.OriginalText();
  } else if (node.Changed()) {
    if (!out.empty() && out.back() != '\n' && out.back() != '\r') out += "\r\n";
    out += '[';
    out += path;
    out += "]\r\n";
    for (const auto& value : node.Values()) out += RenderRegValue(value) + "\r\n";
    out += "\r\n";
  }
  const size_t length = path.size();
  for (const auto& child : node.Children()) {
    path += '\\';
    path += child->Name();
    RenderNode(*child, path, out);
    path.resize(length);
  }
}

}  // namespace

std::optional<RegParseError> ParseRegedit4(std::string_view bytes, std::span<const RegRootName> roots, RegHive& hive) {
  return ParseRegedit4Owned(std::string(bytes), roots, hive);
}

std::optional<RegParseError> ParseRegedit4Owned(std::string bytes, std::span<const RegRootName> roots, RegHive& hive) {
  hive.KeepText(std::move(bytes));  // the keys' names and original text point into it
  return Reader(*hive.Text(), roots, hive).Run();
}

void ParseRegedit4Values(std::string_view text, std::vector<RegValue>& values) {
  ValueLines reader;
  for (Lines lines(text); !lines.AtEnd(); lines.Next()) {
    std::string_view line = SkipBlanks(lines.Text());
    if (line.empty() || (line.front() != '@' && line.front() != '"')) continue;  // a key line, or a comment
    if (reader.Read(lines, &values)) return;                                     // not for text the reader took
  }
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
  std::string out;
  out.reserve(hive.Text() ? hive.Text()->size() + hive.Text()->size() / 64 : 0);
  out = hive.Preamble();
  std::string path = hive.RootName();
  RenderNode(hive.Root(), path, out);
  return out;
}

}  // namespace w95
