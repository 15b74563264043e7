#include "machine_builder/executables.h"

#include <cstdio>
#include <stdexcept>
#include <vector>

#include "machine_builder/le_bytes.h"

namespace dxl::tools {

namespace {

constexpr std::uint32_t kHeaderOffset = 0x80;  // e_lfanew: the new header follows a short DOS stub
constexpr std::uint32_t kFixedSignature = 0xFEEF04BD;
constexpr std::uint16_t kLanguage = 0x0804;  // Chinese (PRC)
constexpr std::uint16_t kCodePage = 936;

void Pad(std::string& bytes, std::size_t alignment) {
  while (bytes.size() % alignment) bytes += '\0';
}

std::string Utf16(std::string_view ascii) {
  std::string out;
  for (char c : ascii) Append16(out, static_cast<unsigned char>(c));
  return out;
}

// A node: header, key, value, children; the length excludes the padding
// after the last child.
std::string Node(bool wide, std::string_view key, std::string_view value, std::uint16_t valueLength, bool text,
                 const std::vector<std::string>& children) {
  std::string node(wide ? 6 : 4, '\0');
  Put16(node, 2, valueLength);
  if (wide) Put16(node, 4, text ? 1 : 0);
  node += wide ? Utf16(key) + std::string(2, '\0') : std::string(key) + '\0';
  Pad(node, 4);
  node += value;
  for (const std::string& child : children) {
    Pad(node, 4);
    node += child;
  }
  Put16(node, 0, static_cast<std::uint32_t>(node.size()));
  return node;
}

std::string TextNode(bool wide, std::string_view key, std::string_view text) {
  if (wide)
    return Node(true, key, Utf16(text) + std::string(2, '\0'), static_cast<std::uint16_t>(text.size() + 1), true, {});
  return Node(false, key, std::string(text) + '\0', static_cast<std::uint16_t>(text.size() + 1), false, {});
}

std::string FixedFileInfo(std::string_view fileVersion, bool wide) {
  const auto v = ParseFileVersion(fileVersion);
  const std::uint32_t ms = static_cast<std::uint32_t>(v[0]) << 16 | v[1];
  const std::uint32_t ls = static_cast<std::uint32_t>(v[2]) << 16 | v[3];
  std::string info;
  for (std::uint32_t field :
       {kFixedSignature, 0x00010000u, ms, ls, ms, ls, 0x3Fu, 0u, wide ? 0x00010004u : 0x00010001u, 3u, 1u, 0u, 0u})
    Append32(info, field);
  return info;
}

std::string Block(bool wide, std::string_view fileVersion, std::string_view description) {
  char table[9];
  std::snprintf(table, sizeof table, "%04X%04X", kLanguage, kCodePage);
  std::string translation;
  Append16(translation, kLanguage);
  Append16(translation, kCodePage);
  const std::string strings =
      Node(wide, table, "", 0, true,
           {TextNode(wide, "CompanyName", "Tavix"), TextNode(wide, "FileDescription", description),
            TextNode(wide, "FileVersion", fileVersion), TextNode(wide, "ProductName", "Tavix KRT-310")});
  const std::string fixed = FixedFileInfo(fileVersion, wide);
  return Node(wide, "VS_VERSION_INFO", fixed, static_cast<std::uint16_t>(fixed.size()), false,
              {Node(wide, "StringFileInfo", "", 0, true, {strings}),
               Node(wide, "VarFileInfo", "", 0, true, {Node(wide, "Translation", translation, 4, false, {})})});
}

std::string MzStub() {
  std::string mz = "MZ";
  mz.resize(kHeaderOffset, '\0');
  Put16(mz, 0x18, 0x40);  // relocation table offset: a new-format executable
  Put32(mz, 0x3C, kHeaderOffset);
  const std::string_view message = "This program requires Microsoft Windows.\r\n$";
  mz.replace(0x40, message.size(), message);
  return mz;
}

// NE: the resource table (alignment shift 4) holds one resource, the version.
std::string NeImage(std::string_view block) {
  constexpr std::uint32_t kShift = 4;
  constexpr std::uint32_t kTable = 0x40;  // relative to the NE header
  constexpr std::uint32_t kData = 0x100;  // file offset of the resource
  std::string image = MzStub();
  const std::size_t ne = image.size();
  image += "NE";
  Put16(image, ne + 0x02, 0x0105);  // linker version
  Put16(image, ne + 0x0C, 0x8302);  // library, protected mode
  Put16(image, ne + 0x24, kTable);  // ne_rsrctab
  const std::uint32_t tableSize = 2 + 8 + 12 + 2 + 1;
  Put16(image, ne + 0x26, kTable + tableSize);  // ne_restab
  Put16(image, ne + 0x34, 1);                   // one resource segment
  Put16(image, ne + 0x36, 0x02);                // Windows
  Put16(image, ne + 0x3E, 0x030A);              // expected Windows version 3.10
  image.resize(ne + kTable, '\0');
  Append16(image, kShift);
  Append16(image, 0x8010);  // RT_VERSION
  Append16(image, 1);
  Append32(image, 0);
  const std::size_t units = (block.size() + (1u << kShift) - 1) >> kShift;
  Append16(image, kData >> kShift);
  Append16(image, static_cast<std::uint32_t>(units));
  Append16(image, 0x0030);  // moveable, pure
  Append16(image, 0x8001);  // VS_VERSION_INFO
  Append32(image, 0);
  Append16(image, 0);  // end of types
  image += '\0';       // no resource names
  image += '\0';       // empty resident-name table
  image.resize(kData, '\0');
  image += block;
  image.resize(kData + (units << kShift), '\0');
  return image;
}

// LE: the Windows resource at e32_winresoff, a 12-byte resource header
// (ordinal type 16, ordinal name 1, flags, size) and the block.
std::string LeImage(std::string_view block) {
  constexpr std::uint32_t kResource = 0x200;
  constexpr std::uint32_t kResourceHeader = 12;
  std::string image = MzStub();
  const std::size_t le = image.size();
  image += "LE";
  Put16(image, le + 0x08, 2);       // 80386
  Put16(image, le + 0x0A, 4);       // Windows 386
  Put32(image, le + 0x28, 0x1000);  // page size
  Put32(image, le + 0xB8, kResource);
  Put32(image, le + 0xBC, static_cast<std::uint32_t>(kResourceHeader + block.size()));
  Put16(image, le + 0xC0, 0x3C75);  // device id
  Put16(image, le + 0xC2, 0x0400);  // DDK 4.0
  image.resize(kResource, '\0');
  image += '\xFF';
  Append16(image, 0x0010);
  image += '\xFF';
  Append16(image, 0x0001);
  Append16(image, 0x1030);
  Append32(image, static_cast<std::uint32_t>(block.size()));
  image += block;
  return image;
}

// PE32: one section ".rsrc" holding the resource tree 16 -> 1 -> 0x0804.
std::string PeImage(std::string_view block) {
  constexpr std::uint32_t kOptionalSize = 0xE0;
  constexpr std::uint32_t kRawPointer = 0x200;
  constexpr std::uint32_t kSectionRva = 0x1000;
  constexpr std::uint32_t kDataEntry = 0x48;
  constexpr std::uint32_t kData = 0x58;
  std::string image = MzStub();
  const std::size_t pe = image.size();
  image += std::string("PE\0\0", 4);
  Put16(image, pe + 4, 0x014C);  // i386
  Put16(image, pe + 6, 1);       // one section
  Put32(image, pe + 8, 0x33B8E400);
  Put16(image, pe + 20, kOptionalSize);
  Put16(image, pe + 22, 0x210E);  // DLL
  const std::size_t optional = pe + 24;
  const std::uint32_t sectionSize = static_cast<std::uint32_t>(kData + block.size());
  const std::uint32_t rawSize = (sectionSize + 0x1FF) & ~0x1FFu;
  Put16(image, optional, 0x10B);
  Put32(image, optional + 28, 0x10000000);  // image base
  Put32(image, optional + 32, 0x1000);      // section alignment
  Put32(image, optional + 36, 0x200);       // file alignment
  Put16(image, optional + 40, 4);           // operating system 4.0
  Put16(image, optional + 48, 4);           // subsystem 4.0
  Put32(image, optional + 56, kSectionRva + ((sectionSize + 0xFFF) & ~0xFFFu));
  Put32(image, optional + 60, kRawPointer);
  Put16(image, optional + 68, 2);  // Windows GUI
  Put32(image, optional + 92, 16);
  Put32(image, optional + 112, kSectionRva);
  Put32(image, optional + 116, sectionSize);
  const std::size_t section = optional + kOptionalSize;
  image.resize(section, '\0');
  image += std::string(".rsrc\0\0\0", 8);
  Append32(image, sectionSize);
  Append32(image, kSectionRva);
  Append32(image, rawSize);
  Append32(image, kRawPointer);
  image.resize(section + 36, '\0');
  Append32(image, 0x40000040);  // initialised data, readable
  image.resize(kRawPointer, '\0');

  std::string tree(kData, '\0');
  const std::uint32_t directories[][2] = {{16, 0x80000018}, {1, 0x80000030}, {kLanguage, kDataEntry}};
  for (std::uint32_t i = 0; i < 3; ++i) {
    Put16(tree, i * 0x18 + 14, 1);
    Put32(tree, i * 0x18 + 16, directories[i][0]);
    Put32(tree, i * 0x18 + 20, directories[i][1]);
  }
  Put32(tree, kDataEntry, kSectionRva + kData);
  Put32(tree, kDataEntry + 4, static_cast<std::uint32_t>(block.size()));
  image += tree;
  image += block;
  image.resize(kRawPointer + rawSize, '\0');
  return image;
}

}  // namespace

std::array<std::uint16_t, 4> ParseFileVersion(std::string_view version) {
  std::array<std::uint16_t, 4> parts{};
  std::size_t part = 0, digits = 0;
  std::uint32_t value = 0;
  for (std::size_t i = 0; i <= version.size(); ++i) {
    const char c = i < version.size() ? version[i] : '.';
    if (c >= '0' && c <= '9' && digits < 5) {
      value = value * 10 + static_cast<std::uint32_t>(c - '0');
      ++digits;
    } else if (c == '.' && digits && value <= 0xFFFF && part < 4) {
      parts[part++] = static_cast<std::uint16_t>(value);
      value = 0, digits = 0;
    } else {
      throw std::invalid_argument("machine builder: bad file version " + std::string(version));
    }
  }
  if (part != 4) throw std::invalid_argument("machine builder: bad file version " + std::string(version));
  return parts;
}

std::string VersionBlock16(std::string_view fileVersion, std::string_view description) {
  return Block(false, fileVersion, description);
}

std::string VersionBlock32(std::string_view fileVersion, std::string_view description) {
  return Block(true, fileVersion, description);
}

std::string MakeExecutableWithBlock(ImageFormat format, std::string_view block) {
  switch (format) {
    case ImageFormat::Ne: return NeImage(block);
    case ImageFormat::Le: return LeImage(block);
    case ImageFormat::Pe: return PeImage(block);
  }
  return {};
}

std::string MakeExecutable(ImageFormat format, std::string_view fileVersion, std::string_view description,
                           std::size_t size) {
  std::string image =
      MakeExecutableWithBlock(format, format == ImageFormat::Pe ? VersionBlock32(fileVersion, description)
                                                                : VersionBlock16(fileVersion, description));
  if (image.size() < size) image.resize(size, '\0');
  return image;
}

std::string MakeDataFile(std::string_view name, std::size_t size) {
  std::string bytes;
  while (bytes.size() < size) bytes += std::string(name) + "\r\n";
  bytes.resize(size);
  return bytes;
}

}  // namespace dxl::tools
