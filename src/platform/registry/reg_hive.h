// One registry hive held in memory: a tree of keys with their values, as read
// from (and written back to) a REGEDIT4 file.
//
// Keys keep the spelling of their first appearance and the order in which they
// appeared or were created; names compare without regard to case. A key that
// has not changed since it was read keeps the exact text it had in the file, so
// that saving a hive rewrites only the keys that changed.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "platform/base/win_types.h"

namespace w95 {

struct RegValue {
  std::string name;  // empty: the default value
  DWORD type = 0;
  std::string data;  // the bytes as stored (a REG_SZ with its NUL)
};

class RegNode {
 public:
  explicit RegNode(std::string name) : name_(std::move(name)) {}
  RegNode(const RegNode&) = delete;  // nor moved: the original text may point into the node itself
  RegNode& operator=(const RegNode&) = delete;

  const std::string& Name() const { return name_; }
  const std::vector<RegValue>& Values() const { return values_; }
  const std::vector<std::unique_ptr<RegNode>>& Children() const { return children_; }

  RegNode* Child(std::string_view name) const;
  // The child of that name, created (as a changed key) when missing.
  RegNode& ChildOrNew(std::string_view name);
  // Removes the child and everything below it; false when there is none.
  bool RemoveChild(std::string_view name);

  const RegValue* Value(std::string_view name) const;
  void SetValue(std::string_view name, DWORD type, std::string data);
  bool RemoveValue(std::string_view name);

  // The text this key had in its file while it is unchanged.
  bool Changed() const { return changed_; }
  std::string_view OriginalText() const { return originalText_; }
  bool HasOriginalText() const { return hasOriginalText_; }

  // Used by the reader: the key's own lines, and the state "as read". The text
  // is not copied: it must lie in the file text its hive keeps (RegHive::KeepText).
  void AppendOriginalText(std::string_view text);
  void MarkUnchanged() { changed_ = false; }
  void MarkChanged() { changed_ = true; }

 private:
  std::string name_;
  std::vector<RegValue> values_;
  std::vector<std::unique_ptr<RegNode>> children_;
  // The children by their upper-cased names, once there are more than a few:
  // hives have keys with thousands of subkeys (CLSID, Enum), and reading a hive
  // looks a key up for every line; most keys have none or a handful, scanned.
  using ChildIndex = std::unordered_map<std::string, RegNode*>;
  static constexpr size_t kIndexedFrom = 16;
  void IndexChild(RegNode* child);
  std::unique_ptr<ChildIndex> childIndex_;
  std::string_view originalText_;  // within the hive's file text, or ownText_
  std::string ownText_;            // only for a key whose lines are not all in one place
  bool hasOriginalText_ = false;
  bool changed_ = true;
};

// Splits a key path at its backslashes; a backslash that is the second byte of
// a double-byte character does not split. Empty components are dropped.
std::vector<std::string> SplitKeyPath(std::string_view path);

class RegHive {
 public:
  // `rootName` is the root key's name as files write it ("HKEY_LOCAL_MACHINE").
  explicit RegHive(std::string rootName);

  const std::string& RootName() const { return rootName_; }
  RegNode& Root() { return *root_; }
  const RegNode& Root() const { return *root_; }

  // Text before the first key of the file ("REGEDIT4" and what follows it).
  const std::string& Preamble() const { return preamble_; }
  void SetPreamble(std::string text) { preamble_ = std::move(text); }

  // The file text the keys' original text lies in (kept while the hive lives).
  void KeepText(std::string text) { text_ = std::make_shared<const std::string>(std::move(text)); }
  const std::shared_ptr<const std::string>& Text() const { return text_; }

  // Keys by path relative to the root; null when missing.
  RegNode* Find(const std::vector<std::string>& path);
  // Creates missing keys on the way.
  RegNode& Create(const std::vector<std::string>& path);
  // Removes a key with everything below it; the root cannot be removed.
  bool Remove(const std::vector<std::string>& path);

 private:
  std::string rootName_;
  std::string preamble_;
  std::shared_ptr<const std::string> text_;
  std::unique_ptr<RegNode> root_;  // after text_: destroyed first
};

}  // namespace w95
