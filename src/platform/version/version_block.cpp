// Walking a VS_VERSIONINFO block: a tree of nodes, each a length, a value
// length, (32-bit form: a type,) a NUL-terminated key, the value and the child
// nodes, every part aligned to four bytes. The 16-bit form (NE and VxD files)
// has ANSI keys, the 32-bit form (PE files) UTF-16 keys and texts. Every
// length is clamped to the node and the block that hold it.
#include <optional>
#include <vector>

#include "platform/base/case_rules.h"
#include "platform/base/cp936.h"
#include "platform/base/last_error.h"
#include "platform/base/text.h"
#include "platform/version/version.h"
#include "platform/version/version_image.h"

namespace w95 {

namespace {

using version::Le16;
using version::Le32;

constexpr std::string_view kRootKey = "VS_VERSION_INFO";

struct Node {
  std::size_t end = 0;  // one past the node's last byte
  std::string key;      // code page 936
  std::size_t valueAt = 0;
  std::size_t valueLength = 0;  // bytes
  bool text = false;            // 32-bit form: a UTF-16 text value
  std::size_t childrenAt = 0;
};

std::size_t Align4(std::size_t offset) { return (offset + 3) & ~std::size_t{3}; }

bool IsWideBlock(std::string_view block) { return block.size() > 4 && static_cast<unsigned char>(block[4]) < 0x20; }

void AppendUtf8(std::string& out, char32_t c) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | c >> 6);
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | c >> 12);
    out += static_cast<char>(0x80 | (c >> 6 & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | c >> 18);
    out += static_cast<char>(0x80 | (c >> 12 & 0x3F));
    out += static_cast<char>(0x80 | (c >> 6 & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

// UTF-16LE up to its first NUL (or the end) in code page 936; characters the
// code page lacks become '?', as WideCharToMultiByte's default character.
std::string WideToAnsi(std::string_view bytes) {
  std::string out;
  for (std::size_t at = 0; at + 1 < bytes.size(); at += 2) {
    char32_t c = Le16(bytes, at);
    if (c == 0) break;
    if (c >= 0xD800 && c < 0xDC00 && at + 3 < bytes.size()) {
      char32_t low = Le16(bytes, at + 2);
      if (low >= 0xDC00 && low < 0xE000) {
        c = 0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00);
        at += 2;
      }
    }
    std::string utf8;
    AppendUtf8(utf8, c);
    out += Utf8ToCp936(utf8).value_or("?");
  }
  return out;
}

// The node at `at`, within [at, limit) of `block`; nullopt when its header or
// key does not fit.
std::optional<Node> ReadNode(std::string_view block, std::size_t at, std::size_t limit, bool wide) {
  const std::size_t header = wide ? 6 : 4;
  if (at > limit || limit - at < header) return std::nullopt;
  const std::size_t length = Le16(block, at);
  if (length < header) return std::nullopt;
  Node node;
  node.end = length > limit - at ? limit : at + length;
  std::size_t valueLength = Le16(block, at + 2);
  std::size_t keyEnd = at + header;
  if (wide) {
    node.text = Le16(block, at + 4) == 1;
    if (node.text) valueLength *= 2;
    while (keyEnd + 1 < node.end && Le16(block, keyEnd) != 0) keyEnd += 2;
    if (keyEnd + 1 >= node.end) return std::nullopt;
    node.key = WideToAnsi(block.substr(at + header, keyEnd - at - header));
    keyEnd += 2;
  } else {
    while (keyEnd < node.end && block[keyEnd] != '\0') ++keyEnd;
    if (keyEnd >= node.end) return std::nullopt;
    node.key = std::string(block.substr(at + header, keyEnd - at - header));
    keyEnd += 1;
  }
  node.valueAt = std::min(Align4(keyEnd), node.end);
  node.valueLength = std::min(valueLength, node.end - node.valueAt);
  node.childrenAt = std::min(Align4(node.valueAt + node.valueLength), node.end);
  return node;
}

std::optional<Node> FindChild(std::string_view block, const Node& parent, std::string_view key, bool wide) {
  std::size_t at = parent.childrenAt;
  while (auto child = ReadNode(block, at, parent.end, wide)) {
    if (EqualsNoCase(child->key, key)) return child;
    at = Align4(child->end);
  }
  return std::nullopt;
}

std::vector<std::string_view> PathComponents(std::string_view path) {
  std::vector<std::string_view> parts;
  std::size_t at = 0;
  while (at <= path.size()) {
    std::size_t end = path.find('\\', at);
    if (end == std::string_view::npos) end = path.size();
    if (end > at) parts.push_back(path.substr(at, end - at));
    at = end + 1;
  }
  return parts;
}

}  // namespace

namespace version {

bool IsVersionBlock(std::string_view block) {
  if (block.size() < 5) return false;
  auto root = ReadNode(block, 0, block.size(), IsWideBlock(block));
  return root && Le16(block, 0) == block.size() && root->key == kRootKey;
}

}  // namespace version

bool VerQueryValueA(std::span<const char> data, std::string_view subBlock, std::string& value) {
  const std::string_view block(data.data(), data.size());
  const bool wide = IsWideBlock(block);
  auto node = ReadNode(block, 0, block.size(), wide);
  const auto parts = PathComponents(subBlock);
  for (std::size_t i = 0; node && i < parts.size(); ++i) node = FindChild(block, *node, parts[i], wide);
  if (!node) return Fail(ERROR_RESOURCE_TYPE_NOT_FOUND, false);

  const std::string_view raw = block.substr(node->valueAt, node->valueLength);
  const bool stringTable = parts.size() == 3 && EqualsNoCase(parts[0], "StringFileInfo");
  if (wide && node->text) {
    value = WideToAnsi(raw);
  } else if (!wide && stringTable) {
    value = std::string(raw.substr(0, raw.find('\0')));
  } else {
    value = std::string(raw);
  }
  return true;
}

bool VerQueryValueA(std::span<const char> data, std::string_view subBlock, VS_FIXEDFILEINFO& info) {
  if (!PathComponents(subBlock).empty()) return Fail(ERROR_RESOURCE_TYPE_NOT_FOUND, false);
  std::string value;
  if (!VerQueryValueA(data, subBlock, value)) return false;
  constexpr std::size_t kFields = sizeof(VS_FIXEDFILEINFO) / sizeof(DWORD);
  if (value.size() < kFields * 4 || Le32(value, 0) != VS_FFI_SIGNATURE)
    return Fail(ERROR_RESOURCE_TYPE_NOT_FOUND, false);
  DWORD* fields[kFields] = {&info.dwSignature,     &info.dwStrucVersion,     &info.dwFileVersionMS,
                            &info.dwFileVersionLS, &info.dwProductVersionMS, &info.dwProductVersionLS,
                            &info.dwFileFlagsMask, &info.dwFileFlags,        &info.dwFileOS,
                            &info.dwFileType,      &info.dwFileSubtype,      &info.dwFileDateMS,
                            &info.dwFileDateLS};
  for (std::size_t i = 0; i < kFields; ++i) *fields[i] = Le32(value, i * 4);
  return true;
}

}  // namespace w95
