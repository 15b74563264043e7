// An initialisation file held as its bytes, read and edited the way Windows 95's
// profile functions do: sections and keys without regard to case, the first
// section and the first key of a name win, ';' comment lines, blanks trimmed and
// one pair of matching quotes removed from values. Edits touch only the lines
// they change; every other byte (comments, line ends, NULs) stays as it was.
// Lines are held as offsets into the bytes (names and values are ranges of
// them), found through one open-addressed index; a lookup builds no string.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace w95 {

class IniText {
 public:
  explicit IniText(std::string bytes = {});

  const std::string& Bytes() const { return bytes_; }

  std::optional<std::string> Value(std::string_view section, std::string_view key) const;
  // The same as a view into this text, valid while it is unchanged.
  std::optional<std::string_view> ValueView(std::string_view section, std::string_view key) const;
  std::vector<std::string> SectionNames() const;
  // Keys of the first section of that name; lines without '=' are not keys.
  std::vector<std::string> KeyNames(std::string_view section) const;
  bool HasSection(std::string_view section) const;
  // Calls `visit` with each section name, then each key of the first section
  // of that name (views into this text), in file order while it returns true.
  template <typename Visit>
  void VisitSectionNames(Visit visit) const {
    for (const auto& line : lines_)
      if (line.kind == Kind::Section && !visit(Name(line))) return;
  }
  template <typename Visit>
  void VisitKeyNames(std::string_view section, Visit visit) const {
    const size_t s = FindSection(section);
    if (s == static_cast<size_t>(-1)) return;
    for (size_t i = s + 1; i < lines_.size() && lines_[i].kind != Kind::Section; ++i)
      if (lines_[i].kind == Kind::Entry && !visit(Name(lines_[i]))) return;
  }

  // Edits; each returns whether the bytes changed.
  bool SetValue(std::string_view section, std::string_view key, std::string_view value);
  bool DeleteKey(std::string_view section, std::string_view key);
  // Removes the header and the entries of the first section of that name;
  // comment lines and blank lines inside it stay.
  bool DeleteSection(std::string_view section);

 private:
  enum class Kind : unsigned char { Blank, Comment, Section, Entry, Text };
  static constexpr std::uint32_t kNoLine = 0xFFFFFFFF;  // a file of more lines keeps the rest out of the index
  // A line as offsets into the bytes: its name (section name, key, or the
  // whole trimmed text of a Text line) and an entry's value (trimmed and
  // unquoted) are ranges of the line itself.
  // Offsets of 32 bits: a text of 4 GiB or more holds no lines (Parse).
  struct Line {
    std::uint32_t begin = 0;  // first byte of the line
    std::uint32_t end = 0;    // one past its last byte, line break excluded
    std::uint32_t next = 0;   // first byte of the following line
    std::uint32_t nameBegin = 0;
    std::uint32_t nameSize = 0;
    std::uint32_t valueBegin = 0;
    std::uint32_t valueSize = 0;
    std::uint32_t scope = kNoLine;  // an entry: the header of its indexed section (kNoLine: none)
    Kind kind = Kind::Blank;
  };
  // One slot of the index: the line of a section header or an entry, and the
  // hash of its scope and folded name; line == npos when empty.
  struct Slot {
    std::uint32_t hash = 0;        // its low half
    std::uint32_t line = kNoLine;  // kNoLine: empty
  };

  void Parse();
  // Fills the index, an open-addressed table of the first header of each
  // section name and the first entry of each key in the first section of each
  // name (names compared as EqualsNoCase compares them); lookups build no
  // key.
  void Index();
  std::string_view Name(const Line& line) const { return {bytes_.data() + line.nameBegin, line.nameSize}; }
  std::string_view ValueOf(const Line& line) const { return {bytes_.data() + line.valueBegin, line.valueSize}; }
  // The position in the index of `name` in `scope` (npos: section headers;
  // else the header's line index: its keys), an empty slot when it is not
  // there; the index must not be empty.
  size_t Probe(size_t scope, std::string_view name, size_t hash) const;
  // The line of `name` in `scope`, or npos.
  size_t Find(size_t scope, std::string_view name) const;
  // Indexes line `line` in `scope` unless the name is there already; whether it was not.
  bool Insert(size_t scope, size_t line);
  // Index of the first header of that section, or npos.
  size_t FindSection(std::string_view section) const;
  // One past the last line of the section that starts at header `index`.
  size_t SectionEnd(size_t index) const;
  size_t FindKey(size_t sectionIndex, std::string_view key) const;
  void Splice(size_t begin, size_t end, std::string_view replacement);

  std::string bytes_;
  std::vector<Line> lines_;
  std::vector<Slot> index_;  // a power of two in size, at most half full
};

}  // namespace w95
