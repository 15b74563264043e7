#include <gtest/gtest.h>

#include <string>

#include "checks/ini_checks.h"
#include "support/temp_machine.h"

namespace dxl {
namespace {

using testing::TempMachine;

class LoadLine : public ::testing::Test {
 protected:
  // WIN.INI with `line` as the second line of [windows] (no line when empty).
  void WriteLoad(const std::string& line) { machine_.Builder().WinIni(Surround(line)); }
  static std::string Surround(const std::string& line) {
    return "[windows]\r\nspooler=yes\r\n" + (line.empty() ? "" : line + "\r\n") +
           "run=\r\n\r\n[Devices]\r\nTavix KRT-310=DXLQ7,LPT1:\r\n";
  }
  std::string Read() { return machine_.Read(machine_.Builder().InWindows("WIN.INI")); }

  TempMachine machine_;
};

TEST_F(LoadLine, CheckFindsTheProgramAnywhereInAnyCase) {
  WriteLoad("load=DXLHRC.EXE");
  EXPECT_EQ(CheckLoadLine(), 0);
  WriteLoad("LOAD=C:\\WINDOWS\\dxlhrc.exe other.exe");
  EXPECT_EQ(CheckLoadLine(), 0);
  WriteLoad("load=other.exe DXLHRC");
  EXPECT_EQ(CheckLoadLine(), 1);
  WriteLoad("load=");
  EXPECT_EQ(CheckLoadLine(), 1);
  WriteLoad("");
  EXPECT_EQ(CheckLoadLine(), 1);
}

TEST_F(LoadLine, CheckSeesTheProgramBeyondTwoHundredFiftyFiveCharacters) {
  WriteLoad("load=" + std::string(300, 'x') + " DXLHRC.EXE");
  EXPECT_EQ(CheckLoadLine(), 0);
}

TEST_F(LoadLine, AddAppendsWithOneBlank) {
  WriteLoad("load=other.exe");
  EXPECT_EQ(AddLoadEntry(), 1);
  EXPECT_EQ(Read(), Surround("load=other.exe DXLHRC.EXE"));
  EXPECT_EQ(CheckLoadLine(), 0);

  WriteLoad("load=");
  EXPECT_EQ(AddLoadEntry(), 1);
  EXPECT_EQ(Read(), Surround("load= DXLHRC.EXE"));
}

TEST_F(LoadLine, AddCreatesAMissingKey) {
  WriteLoad("");
  EXPECT_EQ(AddLoadEntry(), 1);
  EXPECT_EQ(Read(),
            "[windows]\r\nspooler=yes\r\nrun=\r\nLoad= DXLHRC.EXE\r\n\r\n[Devices]\r\nTavix KRT-310=DXLQ7,LPT1:\r\n");
  EXPECT_EQ(CheckLoadLine(), 0);
}

TEST_F(LoadLine, AddKeepsALongValueWhole) {
  const std::string programs = std::string(400, 'p') + ".exe";
  WriteLoad("load=" + programs);
  EXPECT_EQ(AddLoadEntry(), 1);
  EXPECT_EQ(Read(), Surround("load=" + programs + " DXLHRC.EXE"));
}

TEST_F(LoadLine, RemoveTakesOutTheWholeEntryAndFollowingSeparators) {
  struct Case {
    const char* before;
    const char* after;
  };
  for (const Case& c : {
           // The entry goes with the path written before the name; the next entry stays as it was.
           Case{"load=C:\\DXL\\DXLHRC.EXE, other.exe", "load=other.exe"},
           Case{"load=other.exe DXLHRC.EXE ", "load=other.exe "},
           Case{"load=dxlhrc.exe,,  first.exe second.exe", "load=first.exe second.exe"},
           Case{"load=a.exe,C:/DXL/DXLHRC.EXE,b.exe", "load=a.exe,b.exe"},
           // Only the name as a whole entry counts: other programs' entries keep every byte.
           Case{"load=C:\\DXLHRC\\OTHER.EXE DXLHRC.EXE", "load=C:\\DXLHRC\\OTHER.EXE "},
           Case{"load=MYDXLHRC.EXE DXLHRC.EXE.BAK DXLHRC.EXE,x.exe", "load=MYDXLHRC.EXE DXLHRC.EXE.BAK x.exe"},
       }) {
    WriteLoad(c.before);
    EXPECT_EQ(RemoveLoadEntry(), 1);
    EXPECT_EQ(Read(), Surround(c.after)) << c.before;
  }
}

TEST_F(LoadLine, RemoveLeavesAValueWithoutTheWholeName) {
  for (const char* line : {"load=other.exe DXLHRC", "load=DXLHRC.E", "load=C:\\DXLHRC\\OTHER.EXE", "load=XDXLHRC.EXE",
                           "load=DXLHRC.EXE2"}) {
    WriteLoad(line);
    EXPECT_EQ(RemoveLoadEntry(), 1);
    EXPECT_EQ(Read(), Surround(line)) << line;
  }
}

TEST_F(LoadLine, RemoveWithoutTheProgramWritesNothing) {
  WriteLoad("load=other.exe ");
  EXPECT_EQ(RemoveLoadEntry(), 1);
  EXPECT_EQ(Read(), Surround("load=other.exe "));
  WriteLoad("");
  EXPECT_EQ(RemoveLoadEntry(), 1);
  EXPECT_EQ(Read(), Surround(""));
}

TEST_F(LoadLine, RemoveKeepsALongValueWhole) {
  const std::string before = std::string(300, 'a') + ".exe";
  const std::string after = std::string(200, 'b') + ".exe";
  WriteLoad("load=" + before + " DXLHRC.EXE " + after);
  EXPECT_EQ(RemoveLoadEntry(), 1);
  EXPECT_EQ(Read(), Surround("load=" + before + " " + after));
}

class Paging : public ::testing::Test {
 protected:
  void Write(const std::string& bytes) { machine_.Builder().SystemIni(bytes); }
  std::string Read() { return machine_.Read(machine_.Builder().InWindows("SYSTEM.INI")); }

  TempMachine machine_;
};

TEST_F(Paging, OffInAnyCaseMeansOff) {
  for (const char* value : {"off", "OFF", "Off", " oFf "}) {
    Write(std::string("[386Enh]\r\nPaging=") + value + "\r\n");
    EXPECT_EQ(CheckPaging(), 0) << value;
  }
  for (const char* text :
       {"[386Enh]\r\nPaging=on\r\n", "[386Enh]\r\ndevice=*vpd\r\n", "[boot]\r\nPaging=off\r\n", ""}) {
    Write(text);
    EXPECT_EQ(CheckPaging(), 1) << text;
  }
  machine_.Builder().Remove(machine_.Builder().InWindows("SYSTEM.INI"));
  EXPECT_EQ(CheckPaging(), 1);
}

TEST_F(Paging, EnableRewritesOnlyThePagingLine) {
  Write("[boot]\r\nshell=Explorer.exe\r\n\r\n[386Enh]\r\nPaging=OFF\r\ndevice=*vpd\r\n");
  EXPECT_EQ(EnablePaging(), 1);
  EXPECT_EQ(Read(), "[boot]\r\nshell=Explorer.exe\r\n\r\n[386Enh]\r\nPaging=on\r\ndevice=*vpd\r\n");
  EXPECT_EQ(CheckPaging(), 1);

  Write("[386Enh]\r\ndevice=*vpd\r\n");
  EXPECT_EQ(EnablePaging(), 1);
  EXPECT_EQ(Read(), "[386Enh]\r\ndevice=*vpd\r\nPaging=on\r\n");
}

}  // namespace
}  // namespace dxl
