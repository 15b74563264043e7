// One registry hive held in memory: a tree of keys with their values, as read
// from (and written back to) a hive file.
//
// Keys keep the spelling of their first appearance and the order in which they
// appeared or were created; names compare without regard to case. A key that
// has not changed since it was read keeps the exact text it had in the file, so
// that saving a hive rewrites only the keys that changed.
//
// The tree is kept small: a hive of thousands of keys is mostly keys nobody asks
// about. A key read from a file names itself with the bytes of the file the hive
// keeps (RegHive::KeepText) instead of a copy, and it parses its values from its
// own part of that file the first time they are asked for; the reader checks
// every value when it reads the file, so that this later parse cannot fail.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/base/win_types.h"
#include "platform/registry/hive_bytes.h"

namespace w95 {

struct RegValue {
  std::string name;  // empty: the default value
  DWORD type = 0;
  std::string data;  // the bytes as stored (a REG_SZ with its NUL)
  bool operator==(const RegValue&) const = default;
};

// A value set in a key's list (names compared without case): a value set
// again keeps its place, a new one comes last.
void SetValueIn(std::vector<RegValue>& values, std::string_view name, DWORD type, std::string data);
bool RemoveValueIn(std::vector<RegValue>& values, std::string_view name);

class RegNode;

// Builds a key's subkeys the first time they are asked for: a binary hive
// builds only the keys a lookup walks to (and their siblings).
class RegChildSource {
 public:
  virtual ~RegChildSource() = default;
  virtual void BuildChildren(RegNode& node) const = 0;
  // Calls `visit` with each subkey BuildChildren would build, built for the call only.
  virtual void VisitChildren(const RegNode& node, const std::function<void(const RegNode&)>& visit) const = 0;
};

// What a key's original text is, and so how its values are parsed from it.
enum class RegSource : std::uint8_t {
  Regedit4,  // the key's lines of a REGEDIT4 file (regedit4.h)
  Creg,      // the key's name entry of a binary hive (creg_read.h)
};

class RegNode {
 public:
  explicit RegNode(std::string_view name);  // the name is copied
  ~RegNode();
  RegNode(const RegNode&) = delete;  // nor moved: children and the index point at nodes
  RegNode& operator=(const RegNode&) = delete;

  std::string_view Name() const { return {name_, nameSize_}; }
  // Parses the values from the original text on the first call.
  const std::vector<RegValue>& Values() const;
  // False while the values wait in the original text.
  bool ValuesParsed() const { return !valuesDeferred_; }
  RegSource Source() const { return source_; }
  // Builds the subkeys on the first call when they wait in their source.
  const std::vector<std::unique_ptr<RegNode>>& Children() const {
    BuildChildren();
    return children_;
  }
  // Calls `visit` with each subkey, in the order of Children(), without
  // building and keeping subkeys that wait in their source: a scan of
  // thousands of keys keeps none of them (nor what lies below them).
  void VisitChildren(const std::function<void(const RegNode&)>& visit) const;
  // False while the subkeys wait in their source (nothing below the key was asked for).
  bool ChildrenBuilt() const { return !childSource_; }

  RegNode* Child(std::string_view name) const;
  // The child of that name, created (as a changed key) when missing.
  RegNode& ChildOrNew(std::string_view name);
  // Removes the child and everything below it; false when there is none.
  bool RemoveChild(std::string_view name);

  const RegValue* Value(std::string_view name) const;
  // The type and data of the value of that name, as Value() gives them, without
  // parsing and keeping every value of a binary hive's key whose values wait in
  // its name entry: a scan of thousands of keys for one value each keeps nothing.
  // The data lies in the hive's bytes or in the key; valid until the key changes.
  bool FindValue(std::string_view name, DWORD& type, std::string_view& data) const;
  void SetValue(std::string_view name, DWORD type, std::string data);
  bool RemoveValue(std::string_view name);

  // The text (for a binary hive, the bytes) this key had in its file; written
  // back as it is while the key is unchanged.
  bool Changed() const { return changed_; }
  std::string_view OriginalText() const { return {text_, textSize_}; }
  bool HasOriginalText() const { return hasOriginalText_; }

  // Used by the readers. Neither the text nor a kept name is copied: both must
  // lie in the file text the hive keeps (RegHive::KeepText), which outlives the keys.
  RegNode& ChildOrNewKeptName(std::string_view name);
  void AppendOriginalText(std::string_view text);
  // The values are in the original text, parsed when first asked for.
  void DeferValues(RegSource source);
  // The subkeys are built by `source` (which outlives the key) when first asked for.
  void DeferChildren(const RegChildSource* source) { childSource_ = source; }
  // Trims the list of children to its size, once the file is read; or makes
  // room for `count` of them (and their index) in advance.
  void ShrinkToFit();
  void ReserveChildren(size_t count);
  // A key read from a binary hive: the offset of its navigation entry (relative
  // to the navigation record) in the file last read or saved.
  static constexpr std::uint32_t kNoCregKey = 0xFFFFFFFF;
  std::uint32_t CregKey() const { return cregKey_; }
  void SetCregKey(std::uint32_t offset) { cregKey_ = offset; }
  void MarkUnchanged() { changed_ = false; }
  void MarkChanged() { changed_ = true; }

 private:
  struct KeptName {};
  RegNode(KeptName, std::string_view name);
  // What few keys need: a name of their own, text gathered from several
  // places of the file, an index of many children.
  struct Extra;
  Extra& Rare();
  std::vector<RegValue>& MutableValues();
  void ParseValues() const;
  RegNode& AddChild(std::unique_ptr<RegNode> child);
  void BuildChildren() const {
    if (childSource_) BuildDeferredChildren();
  }
  void BuildDeferredChildren() const;
  // The children by a hash of their case-folded names, once there are more than
  // a few: hives have keys with thousands of subkeys (CLSID, Enum), and reading
  // a hive looks a key up for every line; most keys have none or a handful, scanned.
  static constexpr size_t kIndexedFrom = 16;
  void Reindex(size_t count);
  void IndexChild(RegNode* child);

  const char* name_ = nullptr;
  const char* text_ = nullptr;  // within the hive's file text, or the key's own copy
  std::uint32_t nameSize_ = 0;
  std::uint32_t textSize_ = 0;
  mutable std::unique_ptr<std::vector<RegValue>> values_;  // null: none, or not parsed yet
  std::vector<std::unique_ptr<RegNode>> children_;
  std::unique_ptr<Extra> extra_;
  mutable const RegChildSource* childSource_ = nullptr;
  std::uint32_t cregKey_ = kNoCregKey;
  RegSource source_ = RegSource::Regedit4;
  mutable bool valuesDeferred_ = false;
  bool hasOriginalText_ = false;
  bool changed_ = true;
};

// Splits a key path at its backslashes; a backslash that is the second byte of
// a double-byte character does not split. Empty components are dropped.
std::vector<std::string> SplitKeyPath(std::string_view path);
// The same, the parts pointing into `path`.
std::vector<std::string_view> SplitKeyPathViews(std::string_view path);

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

  // The file text the keys' original text and names lie in (kept while the hive lives).
  void KeepText(std::string text) { text_ = std::make_shared<const HiveBytes>(std::move(text)); }
  void ShareText(std::shared_ptr<const HiveBytes> text) { text_ = std::move(text); }
  const std::shared_ptr<const HiveBytes>& Text() const { return text_; }
  // What builds the keys' subkeys when they are first asked for (kept while the hive lives).
  void KeepChildSource(std::shared_ptr<const RegChildSource> source) { childSource_ = std::move(source); }
  // Whether `part` lies in the kept text.
  bool InText(std::string_view part) const;

  // Keys by path relative to the root; null when missing.
  RegNode* Find(const std::vector<std::string>& path);
  // Creates missing keys on the way.
  RegNode& Create(const std::vector<std::string>& path);
  // Removes a key with everything below it; the root cannot be removed.
  bool Remove(const std::vector<std::string>& path);

 private:
  std::string rootName_;
  std::string preamble_;
  std::shared_ptr<const HiveBytes> text_;
  std::shared_ptr<const RegChildSource> childSource_;
  std::unique_ptr<RegNode> root_;  // after text_ and childSource_: destroyed first
};

}  // namespace w95
