// FindFirstFileA with a plain name in a crowded directory: the entry in the
// spelling given, in another case, or not at all, always as the directory is
// now, never through a link out of the machine.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "platform/base/last_error.h"
#include "platform/files/files.h"
#include "support/temp_machine.h"

namespace w95 {
namespace {

namespace fs = std::filesystem;

class FindOneName : public ::testing::Test {
 protected:
  void SetUp() override {
    for (int n = 0; n < 300; ++n) Builder().File(Builder().InSystem("LIB" + std::to_string(n) + ".DLL"), "x");
    Builder().File(Builder().InSystem("Mixed.Dll"), "mixed");
  }
  dxl::tools::MachineBuilder& Builder() { return machine_.Builder(); }
  // The names FindFirstFileA and FindNextFileA give for `pattern`.
  std::vector<std::string> Found(std::string_view pattern) {
    std::vector<std::string> names;
    FindData data;
    FindHandle find = FindFirstFileA(pattern, data);
    if (!find) return names;
    do names.push_back(data.fileName);
    while (FindNextFileA(find, data));
    EXPECT_EQ(GetLastError(), ERROR_NO_MORE_FILES);
    return names;
  }

  dxl::testing::TempMachine machine_;
};

TEST_F(FindOneName, AnyCaseGivesTheEntryOnceInTheDirectorysSpelling) {
  for (const char* pattern :
       {"C:\\WINDOWS\\SYSTEM\\Mixed.Dll", "c:\\windows\\system\\MIXED.DLL", "C:\\WINDOWS\\SYSTEM\\mixed.dll."}) {
    EXPECT_EQ(Found(pattern), (std::vector<std::string>{"Mixed.Dll"})) << pattern;
  }
  FindData data;
  ASSERT_TRUE(FindFirstFileA("C:\\WINDOWS\\SYSTEM\\LIB299.DLL", data));
  EXPECT_EQ(data.size, 1u);
  EXPECT_EQ(data.attributes & FILE_ATTRIBUTE_DIRECTORY, 0u);
}

TEST_F(FindOneName, FollowsTheDirectoryBetweenCalls) {
  const std::string path = Builder().InSystem("LATE.DLL");
  EXPECT_TRUE(Found(path).empty());
  EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
  Builder().File(path, "12345");
  FindData data;
  ASSERT_TRUE(FindFirstFileA(path, data));
  EXPECT_EQ(data.size, 5u);
  Builder().File(path, "123");
  ASSERT_TRUE(FindFirstFileA(path, data));
  EXPECT_EQ(data.size, 3u);
  ASSERT_TRUE(DeleteFileA(path));
  EXPECT_FALSE(FindFirstFileA(path, data));
}

TEST_F(FindOneName, DirectoriesAreFoundAsDirectories) {
  Builder().Directory(Builder().InSystem("IOSUBSYS"));
  FindData data;
  ASSERT_TRUE(FindFirstFileA("C:\\WINDOWS\\SYSTEM\\IOSUBSYS", data));
  EXPECT_NE(data.attributes & FILE_ATTRIBUTE_DIRECTORY, 0u);
  EXPECT_EQ(data.fileName, "IOSUBSYS");
}

TEST_F(FindOneName, LinksOutOfTheMachineHiddenFilesAndCutNamesAreNotFound) {
  const fs::path system = Builder().HostPath(Builder().InSystem(""));
  fs::create_symlink("/etc/hostname", system / "OUT.DLL");
  fs::create_symlink("LIB1.DLL", system / "INSIDE.DLL");
  Builder().File(Builder().InSystem(".HIDDEN"), "h");
  FindData data;
  EXPECT_FALSE(FindFirstFileA("C:\\WINDOWS\\SYSTEM\\OUT.DLL", data));
  EXPECT_FALSE(FindFirstFileA("C:\\WINDOWS\\SYSTEM\\.HIDDEN", data));
  // A NUL inside the name does not cut it short to an existing file.
  EXPECT_FALSE(FindFirstFileA(std::string("C:\\WINDOWS\\SYSTEM\\LIB1.DLL\0.TXT", 30), data));
  EXPECT_EQ(Found("C:\\WINDOWS\\SYSTEM\\INSIDE.DLL"), (std::vector<std::string>{"INSIDE.DLL"}));
}

TEST_F(FindOneName, DoubleByteNamesAreFoundInCodePage936) {
  const std::string name = "\xB4\xF2\xD3\xA1.DLL";  // a Chinese name in CP936
  Builder().File(Builder().InSystem(name), "cn");
  EXPECT_EQ(Found(Builder().InSystem(name)), (std::vector<std::string>{name}));
  EXPECT_EQ(Found(Builder().InSystem("\xB4\xF2\xD3\xA1.dll")), (std::vector<std::string>{name}));
}

}  // namespace
}  // namespace w95
