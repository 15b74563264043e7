#include "platform/registry/reg_hive.h"

#include <algorithm>
#include <bit>
#include <functional>
#include <utility>

#include "platform/base/case_rules.h"
#include "platform/base/cp936_chars.h"
#include "platform/registry/creg_read.h"
#include "platform/registry/regedit4.h"

namespace w95 {

namespace {

const std::vector<RegValue>& NoValues() {
  static const std::vector<RegValue> none;
  return none;
}

}  // namespace

void SetValueIn(std::vector<RegValue>& values, std::string_view name, DWORD type, std::string data) {
  for (auto& value : values) {
    if (EqualsNoCase(value.name, name)) {
      value.type = type;
      value.data = std::move(data);
      return;
    }
  }
  values.push_back(RegValue{std::string(name), type, std::move(data)});
}

bool RemoveValueIn(std::vector<RegValue>& values, std::string_view name) {
  auto it =
      std::find_if(values.begin(), values.end(), [&](const RegValue& value) { return EqualsNoCase(value.name, name); });
  if (it == values.end()) return false;
  values.erase(it);
  return true;
}

// A hive holds one node per key it built: its size is most of the tree's memory (docs/performance.md).
static_assert(sizeof(RegNode) <= 80);

struct RegNode::Extra {
  std::string name;             // a name not in the file text
  std::string text;             // a key whose lines are not all in one place: them joined
  std::vector<RegNode*> index;  // open addressing by FoldedNameHash; a power of two long, or empty
};

RegNode::RegNode(std::string_view name) {
  Rare().name = std::string(name);
  name_ = extra_->name.data();
  nameSize_ = static_cast<std::uint32_t>(name.size());
}

RegNode::RegNode(KeptName, std::string_view name)
    : name_(name.data()), nameSize_(static_cast<std::uint32_t>(name.size())) {}

RegNode::~RegNode() = default;

RegNode::Extra& RegNode::Rare() {
  if (!extra_) extra_ = std::make_unique<Extra>();
  return *extra_;
}

const std::vector<RegValue>& RegNode::Values() const {
  if (valuesDeferred_) ParseValues();
  return values_ ? *values_ : NoValues();
}

std::vector<RegValue>& RegNode::MutableValues() {
  if (valuesDeferred_) ParseValues();
  if (!values_) values_ = std::make_unique<std::vector<RegValue>>();
  return *values_;
}

void RegNode::ParseValues() const {
  valuesDeferred_ = false;
  auto values = std::make_unique<std::vector<RegValue>>();
  if (source_ == RegSource::Creg) {
    ParseCregEntryValues(OriginalText(), *values);
  } else {
    ParseRegedit4Values(OriginalText(), *values);
  }
  if (values->empty()) return;
  values->shrink_to_fit();
  values_ = std::move(values);
}

void RegNode::DeferValues(RegSource source) {
  source_ = source;
  valuesDeferred_ = true;
}

void RegNode::BuildDeferredChildren() const {
  const RegChildSource* source = std::exchange(childSource_, nullptr);
  source->BuildChildren(const_cast<RegNode&>(*this));  // the subkeys were there all along
}

void RegNode::ShrinkToFit() { children_.shrink_to_fit(); }

void RegNode::ReserveChildren(size_t count) {
  children_.reserve(count);
  if (count >= kIndexedFrom) Reindex(count);
}

RegNode* RegNode::Child(std::string_view name) const {
  BuildChildren();
  if (extra_ && !extra_->index.empty()) {
    const std::vector<RegNode*>& index = extra_->index;
    const size_t mask = index.size() - 1;
    for (size_t slot = FoldedNameHash(name) & mask; index[slot]; slot = (slot + 1) & mask)
      if (EqualsNoCase(index[slot]->Name(), name)) return index[slot];
    return nullptr;
  }
  for (const auto& child : children_)
    if (EqualsNoCase(child->Name(), name)) return child.get();
  return nullptr;
}

// Room for `count` children, at most half of the slots taken.
void RegNode::Reindex(size_t count) {
  std::vector<RegNode*>& index = Rare().index;
  index.assign(std::bit_ceil(count * 2 + 2), nullptr);
  for (const auto& child : children_) IndexChild(child.get());
}

void RegNode::IndexChild(RegNode* child) {
  std::vector<RegNode*>& index = extra_->index;
  const size_t mask = index.size() - 1;
  size_t slot = FoldedNameHash(child->Name()) & mask;
  while (index[slot]) slot = (slot + 1) & mask;
  index[slot] = child;
}

RegNode& RegNode::AddChild(std::unique_ptr<RegNode> child) {
  BuildChildren();
  children_.push_back(std::move(child));
  RegNode* added = children_.back().get();
  const bool indexed = extra_ && !extra_->index.empty();
  if (indexed ? children_.size() * 2 > extra_->index.size() : children_.size() >= kIndexedFrom) {
    Reindex(children_.size());
  } else if (indexed) {
    IndexChild(added);
  }
  return *added;
}

RegNode& RegNode::ChildOrNew(std::string_view name) {
  if (RegNode* found = Child(name)) return *found;
  return AddChild(std::make_unique<RegNode>(name));
}

RegNode& RegNode::ChildOrNewKeptName(std::string_view name) {
  if (RegNode* found = Child(name)) return *found;
  return AddChild(std::unique_ptr<RegNode>(new RegNode(KeptName{}, name)));
}

bool RegNode::RemoveChild(std::string_view name) {
  RegNode* child = Child(name);
  if (!child) return false;
  children_.erase(std::find_if(children_.begin(), children_.end(), [&](const auto& c) { return c.get() == child; }));
  if (extra_ && !extra_->index.empty()) Reindex(children_.size());
  // A key that was only implied by its subkeys' lines must now be written itself.
  if (!hasOriginalText_) changed_ = true;
  return true;
}

const RegValue* RegNode::Value(std::string_view name) const {
  for (const auto& value : Values()) {
    if (EqualsNoCase(value.name, name)) return &value;
  }
  return nullptr;
}

bool RegNode::FindValue(std::string_view name, DWORD& type, std::string_view& data) const {
  if (valuesDeferred_ && source_ == RegSource::Creg) return FindCregEntryValue(OriginalText(), name, type, data);
  const RegValue* value = Value(name);
  if (!value) return false;
  type = value->type;
  data = value->data;
  return true;
}

void RegNode::SetValue(std::string_view name, DWORD type, std::string data) {
  changed_ = true;
  SetValueIn(MutableValues(), name, type, std::move(data));
}

bool RegNode::RemoveValue(std::string_view name) {
  if (!RemoveValueIn(MutableValues(), name)) return false;
  changed_ = true;
  return true;
}

void RegNode::VisitChildren(const std::function<void(const RegNode&)>& visit) const {
  if (childSource_) return childSource_->VisitChildren(*this, visit);
  for (const auto& child : children_) visit(*child);
}

void RegNode::AppendOriginalText(std::string_view text) {
  hasOriginalText_ = true;
  const bool ownText = extra_ && !extra_->text.empty();
  if (textSize_ == 0) {
    text_ = text.data();
  } else if (!ownText && text_ + textSize_ == text.data()) {
    // the next block of the file: one range
  } else {
    // A key whose header appears twice in the file: its lines joined in a copy of its own.
    if (!ownText) Rare().text = std::string(OriginalText());
    extra_->text.append(text);
    text_ = extra_->text.data();
    textSize_ = static_cast<std::uint32_t>(extra_->text.size());
    return;
  }
  textSize_ += static_cast<std::uint32_t>(text.size());
}

namespace {

template <typename Part>
std::vector<Part> SplitPath(std::string_view path) {
  std::vector<Part> parts;
  size_t start = 0;
  for (size_t i = 0; i < path.size(); ++i) {
    if (Cp936CharSize(path, i) == 2) {
      ++i;
      continue;
    }
    if (path[i] == '\\') {
      if (i > start) parts.emplace_back(path.substr(start, i - start));
      start = i + 1;
    }
  }
  if (path.size() > start) parts.emplace_back(path.substr(start));
  return parts;
}

}  // namespace

std::vector<std::string> SplitKeyPath(std::string_view path) { return SplitPath<std::string>(path); }
std::vector<std::string_view> SplitKeyPathViews(std::string_view path) { return SplitPath<std::string_view>(path); }

RegHive::RegHive(std::string rootName)
    : rootName_(std::move(rootName)), preamble_("REGEDIT4\r\n\r\n"), root_(std::make_unique<RegNode>(rootName_)) {
  // An empty hive has nothing to write for its root until something changes.
  root_->MarkUnchanged();
}

bool RegHive::InText(std::string_view part) const {
  if (!text_ || part.empty()) return false;
  std::less_equal<const char*> before;
  return before(text_->data(), part.data()) && before(part.data() + part.size(), text_->data() + text_->size());
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
