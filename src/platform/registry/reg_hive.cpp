#include "platform/registry/reg_hive.h"

#include <algorithm>

#include "platform/base/text.h"

namespace w95 {

RegNode* RegNode::Child(std::string_view name) const {
  if (childIndex_) {
    auto it = childIndex_->find(ToUpperAscii(name));
    return it == childIndex_->end() ? nullptr : it->second;
  }
  for (const auto& child : children_)
    if (EqualsNoCase(child->Name(), name)) return child.get();
  return nullptr;
}

void RegNode::IndexChild(RegNode* child) {
  if (!childIndex_) {
    if (children_.size() < kIndexedFrom) return;
    childIndex_ = std::make_unique<ChildIndex>();
    for (const auto& each : children_) childIndex_->emplace(ToUpperAscii(each->Name()), each.get());
    return;
  }
  childIndex_->emplace(ToUpperAscii(child->Name()), child);
}

RegNode& RegNode::ChildOrNew(std::string_view name) {
  if (RegNode* found = Child(name)) return *found;
  children_.push_back(std::make_unique<RegNode>(std::string(name)));
  IndexChild(children_.back().get());
  return *children_.back();
}

bool RegNode::RemoveChild(std::string_view name) {
  RegNode* child = Child(name);
  if (!child) return false;
  if (childIndex_) childIndex_->erase(ToUpperAscii(child->Name()));
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
  hasOriginalText_ = true;
  if (originalText_.empty()) {
    originalText_ = text;
  } else if (ownText_.empty() && originalText_.data() + originalText_.size() == text.data()) {
    originalText_ = std::string_view(originalText_.data(), originalText_.size() + text.size());
  } else {
    // A key whose header appears twice in the file: its lines joined in a copy of its own.
    if (ownText_.empty()) ownText_ = std::string(originalText_);
    ownText_.append(text);
    originalText_ = ownText_;
  }
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
