// File calls and path mapping of the emulated machine, on real files.
#include "platform/files/files.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

#include "machine_builder/parallel_ports.h"
#include "platform/base/last_error.h"
#include "platform/machine/machine.h"
#include "platform/machine/paths.h"
#include "support/temp_machine.h"

namespace {

using namespace w95;
using dxl::testing::TempMachine;
namespace fs = std::filesystem;

std::string ReadAll(FileHandle& file) {
  std::string bytes(4096, '\0');
  DWORD read = 0;
  EXPECT_TRUE(ReadFile(file, bytes, read));
  bytes.resize(read);
  return bytes;
}

TEST(MachineDirectories, ComeFromMsdosSysWithWindowsDefault) {
  TempMachine machine;
  EXPECT_EQ(GetWindowsDirectoryA(), "C:\\WINDOWS");
  EXPECT_EQ(GetSystemDirectoryA(), "C:\\WINDOWS\\SYSTEM");
  EXPECT_EQ(GetTempPathA(), "C:\\WINDOWS\\TEMP\\");

  struct Case {
    const char* msdosSys;
    const char* windows;
  } cases[] = {
      {"[Paths]\r\nWinDir=C:\\WIN95\\\r\n", "C:\\WIN95"},
      {"[paths]\r\nwindir = c:\\Win95\r\n", "C:\\Win95"},
      {"[Paths]\r\nWinDir=D:\\WINDOWS\r\n", "C:\\WINDOWS"},
      {"[Paths]\r\nWinDir=C:\\..\\..\\etc\r\n", "C:\\WINDOWS"},
      {";xxxxxxxx padding\r\n[Options]\r\nBootGUI=1\r\n", "C:\\WINDOWS"},
      {"", "C:\\WINDOWS"},
  };
  for (const auto& c : cases) {
    machine.Builder().File("C:\\MSDOS.SYS", c.msdosSys);
    machine.Activate();
    EXPECT_EQ(GetWindowsDirectoryA(), c.windows) << c.msdosSys;
  }
}

TEST(PathMapping, FindsEntriesWithoutRegardToCase) {
  TempMachine machine;
  machine.Builder().File("C:\\Windows\\System\\Dxlq7.drv", "driver");
  auto host = HostPath(Machine::Current(), "c:\\WINDOWS\\SYSTEM\\DXLQ7.DRV");
  ASSERT_TRUE(host);
  EXPECT_EQ(host->filename(), "Dxlq7.drv");
  EXPECT_TRUE(HostPath(Machine::Current(), "\\windows\\system\\dxlq7.drv"));
  EXPECT_TRUE(HostPath(Machine::Current(), "C:/Windows//System/./DXLQ7.DRV. "));
}

TEST(PathMapping, RefusesEveryWayOutOfTheRoot) {
  TempMachine machine;
  fs::path outside = machine.Root().parent_path() / ("outside-" + std::to_string(getpid()));
  fs::create_directories(outside);
  std::ofstream(outside / "secret.txt") << "secret";
  fs::create_directory_symlink(outside, machine.Builder().HostPath("C:\\LINK"));
  machine.Builder().File("C:\\INSIDE\\OK.TXT", "ok");
  fs::create_directory_symlink(machine.Builder().HostPath("C:\\INSIDE"), machine.Builder().HostPath("C:\\ALIAS"));

  struct Case {
    std::string path;
    DWORD error;
  } cases[] = {
      {"C:\\..\\" + outside.filename().string() + "\\secret.txt", ERROR_ACCESS_DENIED},
      {"C:\\WINDOWS\\..\\..\\x", ERROR_ACCESS_DENIED},
      {"..\\x", ERROR_ACCESS_DENIED},
      {"C:\\LINK\\secret.txt", ERROR_ACCESS_DENIED},
      {"D:\\WINDOWS\\WIN.INI", ERROR_PATH_NOT_FOUND},
      {"C:\\WINDOWS\\A<B", ERROR_INVALID_NAME},
      {"C:\\WINDOWS\\A|B", ERROR_INVALID_NAME},
      {"C:\\WINDOWS\\A\x01", ERROR_INVALID_NAME},
  };
  for (const auto& c : cases) {
    SetLastError(0);
    FileHandle file = CreateFileA(c.path, GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING, 0);
    EXPECT_FALSE(file) << c.path;
    EXPECT_EQ(GetLastError(), c.error) << c.path;
    FileHandle created = CreateFileA(c.path, GENERIC_WRITE, 0, CREATE_ALWAYS, 0);
    EXPECT_FALSE(created) << c.path;
  }
  // An absolute host path is a path on C:, never the host's.
  EXPECT_FALSE(CreateFileA(outside.string() + "/secret.txt", GENERIC_READ, 0, OPEN_EXISTING, 0));
  // A link that stays inside the root is followed.
  FileHandle aliased = CreateFileA("C:\\ALIAS\\OK.TXT", GENERIC_READ, 0, OPEN_EXISTING, 0);
  ASSERT_TRUE(aliased);
  EXPECT_EQ(ReadAll(aliased), "ok");
  fs::remove_all(outside);
}

TEST(CreateFile, DispositionsAndTheirErrors) {
  TempMachine machine;
  const char* path = "C:\\WINDOWS\\TEMP\\A.TXT";
  EXPECT_FALSE(CreateFileA(path, GENERIC_READ, 0, OPEN_EXISTING, 0));
  EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
  EXPECT_FALSE(CreateFileA("C:\\NODIR\\A.TXT", GENERIC_READ, 0, OPEN_ALWAYS, 0));
  EXPECT_EQ(GetLastError(), ERROR_PATH_NOT_FOUND);

  FileHandle created = CreateFileA(path, GENERIC_READ | GENERIC_WRITE, 0, OPEN_ALWAYS, 0);
  ASSERT_TRUE(created);
  EXPECT_EQ(GetLastError(), ERROR_SUCCESS);
  DWORD written = 0;
  EXPECT_TRUE(WriteFile(created, "hello", written));
  EXPECT_EQ(written, 5u);
  CloseHandle(created);

  FileHandle again = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, OPEN_ALWAYS, 0);
  EXPECT_EQ(GetLastError(), ERROR_ALREADY_EXISTS);
  EXPECT_EQ(ReadAll(again), "hello");
  again.Close();

  FileHandle truncated = CreateFileA(path, GENERIC_WRITE, 0, CREATE_ALWAYS, 0);
  EXPECT_EQ(GetLastError(), ERROR_ALREADY_EXISTS);
  EXPECT_EQ(GetFileSize(truncated), 0u);
  truncated.Close();

  EXPECT_FALSE(CreateFileA(path, GENERIC_WRITE, 0, CREATE_NEW, 0));
  EXPECT_EQ(GetLastError(), ERROR_FILE_EXISTS);
  EXPECT_FALSE(CreateFileA("C:\\WINDOWS", GENERIC_READ, 0, OPEN_EXISTING, 0));
  EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
}

TEST(CreateFile, AccessRightsAndShareModes) {
  TempMachine machine;
  machine.Builder().File("C:\\F.TXT", "0123456789");
  FileHandle reader = CreateFileA("C:\\F.TXT", GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING, 0);
  ASSERT_TRUE(reader);
  DWORD written = 0;
  EXPECT_FALSE(WriteFile(reader, "x", written));
  EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);

  EXPECT_FALSE(CreateFileA("C:\\F.TXT", GENERIC_WRITE, FILE_SHARE_READ, OPEN_EXISTING, 0));
  EXPECT_EQ(GetLastError(), ERROR_SHARING_VIOLATION);
  EXPECT_TRUE(CreateFileA("C:\\F.TXT", GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING, 0));
  reader.Close();
  EXPECT_TRUE(CreateFileA("C:\\F.TXT", GENERIC_WRITE, 0, OPEN_EXISTING, 0));
}

// A file without the owner's write bit is read-only for Windows, and Windows
// refuses to write it whoever asks: so here root too.
TEST(CreateFile, TheReadOnlyAttributeRefusesWritingToEveryone) {
  TempMachine machine;
  machine.Builder().File("C:\\RO.TXT", "kept");
  ASSERT_EQ(chmod(machine.Builder().HostPath("C:\\RO.TXT").c_str(), 0444), 0);
  for (DWORD access : {DWORD{GENERIC_WRITE}, DWORD{GENERIC_READ | GENERIC_WRITE}}) {
    for (DWORD disposition : {DWORD{OPEN_EXISTING}, DWORD{OPEN_ALWAYS}, DWORD{CREATE_ALWAYS}}) {
      SetLastError(ERROR_SUCCESS);
      EXPECT_FALSE(CreateFileA("C:\\RO.TXT", access, 0, disposition, 0)) << access << " " << disposition;
      EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
    }
  }
  EXPECT_FALSE(CreateFileA("C:\\RO.TXT", GENERIC_READ, 0, TRUNCATE_EXISTING, 0));
  EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
  FileHandle reader = CreateFileA("C:\\RO.TXT", GENERIC_READ, 0, OPEN_EXISTING, 0);
  ASSERT_TRUE(reader);
  EXPECT_EQ(ReadAll(reader), "kept");
  reader.Close();

  EXPECT_FALSE(ReplaceFileAtomically("C:\\RO.TXT", "replaced"));
  EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
  EXPECT_EQ(machine.Read("C:\\RO.TXT"), "kept");
  EXPECT_EQ(ReplaceHostFile(machine.Builder().HostPath("C:\\RO.TXT"), "replaced"), ERROR_ACCESS_DENIED);
  EXPECT_EQ(machine.Read("C:\\RO.TXT"), "kept");
}

TEST(FilePointer, MovesFromTheStartAndTheEnd) {
  TempMachine machine;
  machine.Builder().File("C:\\F.TXT", "0123456789");
  FileHandle file = CreateFileA("C:\\F.TXT", GENERIC_READ | GENERIC_WRITE, 0, OPEN_EXISTING, 0);
  EXPECT_EQ(GetFileSize(file), 10u);
  EXPECT_EQ(SetFilePointer(file, 0, FILE_END), 10u);
  DWORD written = 0;
  EXPECT_TRUE(WriteFile(file, "AB", written));
  EXPECT_EQ(SetFilePointer(file, 3, FILE_BEGIN), 3u);
  EXPECT_TRUE(WriteFile(file, "x", written));
  EXPECT_EQ(SetFilePointer(file, -20, FILE_END), INVALID_SET_FILE_POINTER);
  EXPECT_EQ(GetLastError(), ERROR_NEGATIVE_SEEK);
  file.Close();
  EXPECT_EQ(machine.Read("C:\\F.TXT"), "012x456789AB");
  FileHandle invalid;
  EXPECT_EQ(GetFileSize(invalid), INVALID_FILE_SIZE);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
}

TEST(FindFile, ReportsSizeTimeAndWildcardMatches) {
  TempMachine machine;
  machine.Builder().File("C:\\WINDOWS\\DXL\\DXLQ7APD.APD", std::string(1024, 'a'));
  machine.Builder().FileTime("C:\\WINDOWS\\DXL\\DXLQ7APD.APD", "1997/07/01 12:00:00");
  machine.Builder().File("C:\\WINDOWS\\DXL\\DXLHRC.BIN", "b");

  FindData data;
  FindHandle one = FindFirstFileA("c:\\windows\\dxl\\dxlq7apd.apd", data);
  ASSERT_TRUE(one);
  EXPECT_EQ(data.fileName, "DXLQ7APD.APD");
  EXPECT_EQ(data.size, 1024u);
  EXPECT_EQ(data.lastWriteTime, FileTimeFromUnix(867758400, 0));
  EXPECT_FALSE(FindNextFileA(one, data));
  EXPECT_EQ(GetLastError(), ERROR_NO_MORE_FILES);
  EXPECT_TRUE(FindClose(one));

  std::vector<std::string> names;
  FindHandle all = FindFirstFileA("C:\\WINDOWS\\DXL\\*.*", data);
  ASSERT_TRUE(all);
  do names.push_back(data.fileName);
  while (FindNextFileA(all, data));
  std::sort(names.begin() + 2, names.end());
  EXPECT_EQ(names, (std::vector<std::string>{".", "..", "DXLHRC.BIN", "DXLQ7APD.APD"}));

  // A link that leads out of the machine is not listed.
  std::filesystem::create_symlink("/etc/hostname", machine.Builder().HostPath("C:\\WINDOWS\\DXL\\OUT.TXT"));
  FindHandle listed = FindFirstFileA("C:\\WINDOWS\\DXL\\OUT.*", data);
  EXPECT_FALSE(listed);

  EXPECT_TRUE(FindFirstFileA("C:\\WINDOWS\\DXL\\DXLQ7???.A*", data));
  EXPECT_EQ(data.fileName, "DXLQ7APD.APD");
  EXPECT_FALSE(FindFirstFileA("C:\\WINDOWS\\DXL\\NONE.TXT", data));
  EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
  EXPECT_FALSE(FindFirstFileA("C:\\NODIR\\*.*", data));
  EXPECT_EQ(GetLastError(), ERROR_PATH_NOT_FOUND);
}

// GetFileTime of an open file is the time FindFirstFileA reports for it, for
// a file reached by its own spelling, in another case and through a link
// inside the machine; handles of no host file have none.
TEST(GetFileTime, IsTheTimeTheDirectoryEntryReports) {
  TempMachine machine;
  machine.Builder().File("C:\\WINDOWS\\DXL\\DXLHRC.BIN", "b");
  machine.Builder().FileTime("C:\\WINDOWS\\DXL\\DXLHRC.BIN", "1997/07/01 12:00:00");
  std::filesystem::create_symlink(machine.Builder().HostPath("C:\\WINDOWS\\DXL\\DXLHRC.BIN"),
                                  machine.Builder().HostPath("C:\\WINDOWS\\DXL\\LINKED.BIN"));
  for (const char* name :
       {"C:\\WINDOWS\\DXL\\DXLHRC.BIN", "c:\\windows\\dxl\\dxlhrc.bin", "C:\\WINDOWS\\DXL\\LINKED.BIN"}) {
    SCOPED_TRACE(name);
    FileHandle file = CreateFileA(name, GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL);
    ASSERT_TRUE(file);
    std::int64_t time = 0;
    ASSERT_TRUE(GetFileTime(file, time));
    FindData data;
    ASSERT_TRUE(FindFirstFileA(name, data));
    EXPECT_EQ(time, data.lastWriteTime);
    EXPECT_EQ(time, FileTimeFromUnix(867758400, 0));
  }
  std::int64_t time = 0;
  FileHandle closed;
  EXPECT_FALSE(GetFileTime(closed, time));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
  dxl::tools::SetParallelPort(machine.Builder(), 2, PortHardware::Present);
  FileHandle port = CreateFileA("LPT2:", 0, 0, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OVERLAPPED);
  ASSERT_TRUE(port);
  EXPECT_FALSE(GetFileTime(port, time));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_FUNCTION);
}

TEST(MoveAndDelete, KeepWindowsResults) {
  TempMachine machine;
  machine.Builder().File("C:\\A.TXT", "a").File("C:\\B.TXT", "b");
  EXPECT_FALSE(MoveFileA("C:\\A.TXT", "C:\\B.TXT"));
  EXPECT_EQ(GetLastError(), ERROR_ALREADY_EXISTS);
  EXPECT_TRUE(MoveFileA("C:\\a.txt", "C:\\WINDOWS\\TEMP\\C.TXT"));
  EXPECT_EQ(machine.Read("C:\\WINDOWS\\TEMP\\C.TXT"), "a");
  EXPECT_FALSE(MoveFileA("C:\\A.TXT", "C:\\D.TXT"));
  EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
  EXPECT_TRUE(DeleteFileA("C:\\b.TXT"));
  EXPECT_FALSE(machine.Exists("C:\\B.TXT"));
  EXPECT_FALSE(DeleteFileA("C:\\B.TXT"));
  EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
  EXPECT_FALSE(DeleteFileA("C:\\WINDOWS"));
}

TEST(ReplaceFileAtomically, WritesWholeFilesAndFailsCleanly) {
  TempMachine machine;
  machine.Builder().File("C:\\WINDOWS\\X.INI", "old");
  EXPECT_TRUE(ReplaceFileAtomically("C:\\windows\\x.ini", "new bytes"));
  EXPECT_EQ(machine.Read("C:\\WINDOWS\\X.INI"), "new bytes");
  EXPECT_FALSE(ReplaceFileAtomically("C:\\NODIR\\X.INI", "x"));
  EXPECT_EQ(GetLastError(), ERROR_PATH_NOT_FOUND);
  EXPECT_FALSE(ReplaceFileAtomically("C:\\WINDOWS\\..\\..\\X.INI", "x"));
  EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
}

}  // namespace
