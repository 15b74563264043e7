#include "platform/registry/reg_hive.h"

#include <algorithm>

#include "platform/base/text.h"

namespace w95 {

RegNode* RegNode::Child(std::string_view name) const {
  auto it = childIndex_.find(ToUpperAscii(name));
  return it == childIndex_.end() ? nullptr : it->second;
}

RegNode& RegNode::ChildOrNew(std::string_view name) {
  std::string folded = ToUpperAscii(name);
  if (auto it = childIndex_.find(folded); it != childIndex_.end()) return *it->second;
  children_.push_back(std::make_unique<RegNode>(std::string(name)));
  childIndex_.emplace(std::move(folded), children_.back().get());
  return *children_.back();
}

bool RegNode::RemoveChild(std::string_view name) {
  auto indexed = childIndex_.find(ToUpperAscii(name));
  if (indexed == childIndex_.end()) return false;
  RegNode* child = indexed->second;
  childIndex_.erase(indexed);
  children_.erase(std::find_if(children_.begin(), children_.end(), [&](const auto& c) { return c.get() == child; }));
  // A key that was only implied by its subkeys' lines must now be written itself.
  if (!hasOriginalText_) changed_ = true;
  return true;
}

const RegValue* RegNode::Value(std::string_view name) const {
  for (const auto& value : values_) {
    if (EqualsNoCase(value.name, name)) return &value;
  }
  return nullptr;
}

void RegNode::SetValue(std::string_view name, DWORD type, std::string data) {
  changed_ = true;
  for (auto& value : values_) {
    if (EqualsNoCase(value.name, name)) {
      value.type = type;
      value.data = std::move(data);
      return;
    }
  }
  values_.push_back(RegValue{std::string(name), type, std::move(data)});
}

bool RegNode::RemoveValue(std::string_view name) {
  auto it = std::find_if(values_.begin(), values_.end(),
                         [&](const RegValue& value) { return EqualsNoCase(value.name, name); });
  if (it == values_.end()) return false;
  values_.erase(it);
  changed_ = true;
  return true;
}

void RegNode::AppendOriginalText(std::string_view text) {
  originalText_.append(text);
  hasOriginalText_ = true;
}

std::vector<std::string> SplitKeyPath(std::string_view path) {
  std::vector<std::string> parts;
  std::string current;
  for (size_t i = 0; i < path.size(); ++i) {
    char c = path[i];
    if (IsCp936LeadByte(static_cast<unsigned char>(c)) && i + 1 < path.size()) {
      current += c;
      current += path[++i];
      continue;
    }
    if (c == '\\') {
      if (!current.empty()) parts.push_back(std::move(current));
      current.clear();
      continue;
    }
    current += c;
  }
  if (!current.empty()) parts.push_back(std::move(current));
  return parts;
}

RegHive::RegHive(std::string rootName)
    : rootName_(std::move(rootName)), preamble_("REGEDIT4\r\n\r\n"), root_(std::make_unique<RegNode>(rootName_)) {
  // An empty hive has nothing to write for its root until something changes.
  root_->MarkUnchanged();
}

RegNode* RegHive::Find(const std::vector<std::string>& path) {
  RegNode* node = root_.get();
  for (const auto& name : path) {
    node = node->Child(name);
    if (!node) return nullptr;
  }
  return node;
}

RegNode& RegHive::Create(const std::vector<std::string>& path) {
  RegNode* node = root_.get();
  for (const auto& name : path) node = &node->ChildOrNew(name);
  return *node;
}

bool RegHive::Remove(const std::vector<std::string>& path) {
  if (path.empty()) return false;
  std::vector<std::string> parentPath(path.begin(), path.end() - 1);
  RegNode* parent = Find(parentPath);
  return parent && parent->RemoveChild(path.back());
}

}  // namespace w95
