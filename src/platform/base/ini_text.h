// An initialisation file held as its bytes, read and edited the way Windows 95's
// profile functions do: sections and keys without regard to case, the first
// section and the first key of a name win, ';' comment lines, blanks trimmed and
// one pair of matching quotes removed from values. Edits touch only the lines
// they change; every other byte (comments, line ends, NULs) stays as it was.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace w95 {

class IniText {
 public:
  explicit IniText(std::string bytes = {});

  const std::string& Bytes() const { return bytes_; }

  std::optional<std::string> Value(std::string_view section, std::string_view key) const;
  std::vector<std::string> SectionNames() const;
  // Keys of the first section of that name; lines without '=' are not keys.
  std::vector<std::string> KeyNames(std::string_view section) const;
  // The same as views into this text, valid while it is unchanged.
  std::vector<std::string_view> SectionNameViews() const;
  std::vector<std::string_view> KeyNameViews(std::string_view section) const;
  bool HasSection(std::string_view section) const;

  // Edits; each returns whether the bytes changed.
  bool SetValue(std::string_view section, std::string_view key, std::string_view value);
  bool DeleteKey(std::string_view section, std::string_view key);
  // Removes the header and the entries of the first section of that name;
  // comment lines and blank lines inside it stay.
  bool DeleteSection(std::string_view section);

 private:
  enum class Kind { Blank, Comment, Section, Entry, Text };
  struct Line {
    size_t begin = 0;  // first byte of the line
    size_t end = 0;    // one past its last byte, line break excluded
    size_t next = 0;   // first byte of the following line
    Kind kind = Kind::Blank;
    std::string name;   // section name or key, trimmed
    std::string value;  // entry value, trimmed and unquoted
  };

  void Parse();
  // Fills the indexes: the first header of each section name, and the first
  // entry of each key in the first section of each name (both by ASCII upper
  // case, the comparison EqualsNoCase makes).
  void Index();
  static std::string KeyOf(size_t sectionIndex, std::string_view key);
  // Index of the first header of that section, or npos.
  size_t FindSection(std::string_view section) const;
  // One past the last line of the section that starts at header `index`.
  size_t SectionEnd(size_t index) const;
  size_t FindKey(size_t sectionIndex, std::string_view key) const;
  void Splice(size_t begin, size_t end, std::string_view replacement);

  std::string bytes_;
  std::vector<Line> lines_;
  std::unordered_map<std::string, size_t> sections_;
  std::unordered_map<std::string, size_t> keys_;
};

}  // namespace w95
