// Version information of NE, LE and PE files made by the machine builder, and
// of the same files truncated and corrupted.
#include "platform/version/version.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <random>

#include "machine_builder/executables.h"
#include "platform/base/last_error.h"
#include "support/temp_machine.h"

namespace {

using namespace w95;
using dxl::testing::TempMachine;
using dxl::tools::ImageFormat;

constexpr std::string_view kPath = "C:\\WINDOWS\\SYSTEM\\TEST.BIN";

struct Format {
  ImageFormat format;
  const char* name;
};
constexpr Format kFormats[] = {{ImageFormat::Ne, "NE"}, {ImageFormat::Le, "LE"}, {ImageFormat::Pe, "PE"}};

class VersionInfo : public ::testing::Test {
 protected:
  void Write(std::string_view bytes) { machine_.Builder().File(kPath, bytes); }

  // The whole version block of the file, or nullopt when there is none.
  std::optional<std::string> Block() {
    DWORD handle = 99;
    const DWORD size = GetFileVersionInfoSizeA(kPath, handle);
    EXPECT_EQ(handle, 0u);
    if (size == 0) return std::nullopt;
    std::string block(size, '\x55');
    EXPECT_TRUE(GetFileVersionInfoA(kPath, handle, block));
    return block;
  }

  TempMachine machine_;
};

std::uint16_t Le16(std::string_view bytes, std::size_t at) {
  return static_cast<std::uint16_t>(static_cast<unsigned char>(bytes[at]) | static_cast<unsigned char>(bytes[at + 1])
                                                                                << 8);
}
void Put16(std::string& bytes, std::size_t at, std::uint16_t value) {
  bytes[at] = static_cast<char>(value & 0xFF);
  bytes[at + 1] = static_cast<char>(value >> 8);
}

TEST_F(VersionInfo, EachFormatGivesItsFixedInformationAndStrings) {
  for (const Format& f : kFormats) {
    SCOPED_TRACE(f.name);
    Write(dxl::tools::MakeExecutable(f.format, "4.10.0.950", "Tavix driver", 9000));
    auto block = Block();
    ASSERT_TRUE(block);

    VS_FIXEDFILEINFO info;
    ASSERT_TRUE(VerQueryValueA(*block, "\\", info));
    EXPECT_EQ(info.dwSignature, VS_FFI_SIGNATURE);
    EXPECT_EQ(info.dwFileVersionMS, 0x0004000Au);
    EXPECT_EQ(info.dwFileVersionLS, 0x000003B6u);

    std::string value;
    ASSERT_TRUE(VerQueryValueA(*block, "\\StringFileInfo\\080403a8\\fileversion", value));
    EXPECT_EQ(value, "4.10.0.950");
    ASSERT_TRUE(VerQueryValueA(*block, "\\\\StringFileInfo\\\\080403A8\\FileDescription", value));
    EXPECT_EQ(value, "Tavix driver");
    ASSERT_TRUE(VerQueryValueA(*block, "\\VarFileInfo\\Translation", value));
    EXPECT_EQ(value, std::string("\x04\x08\xA8\x03", 4));

    EXPECT_FALSE(VerQueryValueA(*block, "\\StringFileInfo\\080403A8\\Comments", value));
    EXPECT_EQ(GetLastError(), ERROR_RESOURCE_TYPE_NOT_FOUND);
    EXPECT_FALSE(VerQueryValueA(*block, "\\StringFileInfo\\080403A8\\FileVers", value));
    EXPECT_FALSE(VerQueryValueA(*block, "\\VarFileInfo", info)) << "only the root holds the fixed information";
  }
}

TEST_F(VersionInfo, FilesWithoutVersionInformationFailWithWindows95sError) {
  DWORD handle = 0;
  EXPECT_EQ(GetFileVersionInfoSizeA(kPath, handle), 0u);
  EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);

  const std::string noVersion[] = {
      "",
      "MZ",
      dxl::tools::MakeDataFile("DXLQ7APD.APD", 8192),
      std::string(4096, '\0'),
      "MZ" + std::string(0x3A, '\0') + std::string("\xFF\xFF\xFF\x7F", 4),  // new header far beyond the end
  };
  for (const std::string& bytes : noVersion) {
    Write(bytes);
    SetLastError(0);
    EXPECT_EQ(GetFileVersionInfoSizeA(kPath, handle), 0u);
    EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
    std::array<char, 64> buffer{};
    EXPECT_FALSE(GetFileVersionInfoA(kPath, 0, buffer));
  }
}

TEST_F(VersionInfo, ResourceMustBeTheVersionOfThatFormat) {
  const std::string ne = dxl::tools::MakeExecutable(ImageFormat::Ne, "1.0.0.1", "d");
  // The NE name record of the resource at 0xCA: an id other than VS_VERSION_INFO is not the version.
  std::string other = ne;
  ASSERT_EQ(Le16(other, 0xCA + 6), 0x8001);
  Put16(other, 0xCA + 6, 0x8002);
  Write(other);
  EXPECT_FALSE(Block());
  // A resource table as long as nothing (the resident names start where it does).
  other = ne;
  Put16(other, 0x80 + 0x26, Le16(other, 0x80 + 0x24));
  Write(other);
  EXPECT_FALSE(Block());

  // A VxD without a Windows resource.
  std::string le = dxl::tools::MakeExecutable(ImageFormat::Le, "1.0.0.1", "d");
  Put16(le, 0x80 + 0xBC, 0);
  Write(le);
  EXPECT_FALSE(Block());

  // PE32+ keeps the resource directory 16 bytes further on.
  std::string pe = dxl::tools::MakeExecutable(ImageFormat::Pe, "1.0.0.1", "d");
  const std::size_t optional = 0x80 + 24;
  Put16(pe, optional, 0x20B);
  Write(pe);
  EXPECT_FALSE(Block()) << "the PE32 position is empty in a PE32+ header";
  pe.replace(optional + 128, 8, pe.substr(optional + 112, 8));
  Write(pe);
  EXPECT_TRUE(Block());
}

TEST_F(VersionInfo, BlockCutByTheBufferStillAnswersWithinIt) {
  Write(dxl::tools::MakeExecutable(ImageFormat::Ne, "3.1.4.1", "cut"));
  std::array<char, 72> exact{};  // the 16-bit root: 20 bytes of header and key, 52 of fixed information
  ASSERT_TRUE(GetFileVersionInfoA(kPath, 0, exact));
  VS_FIXEDFILEINFO info;
  ASSERT_TRUE(VerQueryValueA(exact, "\\", info));
  EXPECT_EQ(info.dwFileVersionLS, 0x00040001u);
  std::string value;
  EXPECT_FALSE(VerQueryValueA(exact, "\\StringFileInfo\\080403A8\\FileVersion", value));

  std::array<char, 71> shorter{};
  ASSERT_TRUE(GetFileVersionInfoA(kPath, 0, shorter));
  EXPECT_FALSE(VerQueryValueA(shorter, "\\", info));
  EXPECT_FALSE(VerQueryValueA(std::span<const char>(), "\\", info));
}

TEST_F(VersionInfo, FixedInformationNeedsItsSignature) {
  std::string block = dxl::tools::VersionBlock32("1.2.3.4", "x");
  block[0x28] = 0;  // the 32-bit root's fixed information starts at 0x28
  Write(dxl::tools::MakeExecutableWithBlock(ImageFormat::Pe, block));
  auto read = Block();
  ASSERT_TRUE(read);
  VS_FIXEDFILEINFO info;
  EXPECT_FALSE(VerQueryValueA(*read, "\\", info));
  std::string raw;
  EXPECT_TRUE(VerQueryValueA(*read, "\\", raw));
  EXPECT_EQ(raw.size(), 52u);
}

// Every prefix of each file: no version information until the whole block is
// there, the right one from then on.
TEST_F(VersionInfo, TruncatedFilesFailUntilTheBlockIsWhole) {
  for (const Format& f : kFormats) {
    SCOPED_TRACE(f.name);
    const std::string image = dxl::tools::MakeExecutable(f.format, "2.0.0.7", "t");
    const std::string block = f.format == ImageFormat::Pe ? dxl::tools::VersionBlock32("2.0.0.7", "t")
                                                          : dxl::tools::VersionBlock16("2.0.0.7", "t");
    const std::size_t blockEnd = image.find(block) + block.size();
    ASSERT_NE(image.find(block), std::string::npos);
    for (std::size_t length = 0; length <= blockEnd; ++length) {
      Write(std::string_view(image).substr(0, length));
      auto read = Block();
      ASSERT_EQ(read.has_value(), length == blockEnd) << "length " << length;
    }
  }
}

// Random corruption of headers, tables and block: any answer but a crash or a
// read outside the data; whatever is found must be queryable.
TEST_F(VersionInfo, CorruptedFilesGiveADefinedAnswer) {
  std::mt19937 random(1997);
  for (const Format& f : kFormats) {
    SCOPED_TRACE(f.name);
    const std::string image = dxl::tools::MakeExecutable(f.format, "2.0.0.7", "corrupt");
    for (int round = 0; round < 300; ++round) {
      std::string bytes = image;
      const int changes = 1 + static_cast<int>(random() % 4);
      for (int i = 0; i < changes; ++i) {
        const std::size_t at = random() % bytes.size();
        bytes[at] = static_cast<char>(random() % 3 == 0 ? 0xFF : random() % 256);
      }
      Write(bytes);
      auto read = Block();
      if (!read) continue;
      VS_FIXEDFILEINFO info;
      std::string value;
      VerQueryValueA(*read, "\\", info);
      VerQueryValueA(*read, "\\StringFileInfo\\080403A8\\FileVersion", value);
      VerQueryValueA(*read, "\\VarFileInfo\\Translation", value);
      EXPECT_LE(value.size(), read->size());
    }
  }
}

TEST_F(VersionInfo, GarbledBlockLengthsStayInsideTheBlock) {
  std::string block = dxl::tools::VersionBlock16("1.0.0.0", "lengths");
  // Children claiming more than their parent, and a zero-length node.
  for (std::size_t at = 0x48; at + 2 <= block.size(); at += 4) {
    std::string bad = block;
    Put16(bad, at, 0xFFFF);
    std::string value;
    VerQueryValueA(bad, "\\StringFileInfo\\080403A8\\ProductName", value);
    VerQueryValueA(bad, "\\VarFileInfo\\Translation", value);
    Put16(bad, at, 0);
    VerQueryValueA(bad, "\\StringFileInfo\\080403A8\\ProductName", value);
    EXPECT_LE(value.size(), bad.size());
  }
}

}  // namespace
