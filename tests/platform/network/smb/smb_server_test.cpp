// A server reached over SMB: a private smbd on loopback, browsed and read
// through WNetOpenEnumA, FindFirstFileA and CreateFileA like the embedded
// servers.
#include <gtest/gtest.h>

#include <set>

#include "platform/base/last_error.h"
#include "platform/files/files.h"
#include "platform/machine/machine.h"
#include "platform/network/network.h"
#include "platform/network/server_backend.h"
#include "support/file_queries.h"
#include "support/smb_test_server.h"
#include "support/temp_machine.h"

namespace w95 {
namespace {

using dxl::testing::Names;
using dxl::testing::OpenError;
using dxl::testing::SmbTestServer;
using dxl::testing::TempMachine;

constexpr std::int64_t kApdTime = 858342600;  // 1997-03-14 12:30:00 UTC

// PRINTSRV: the DXL share with the printing system's files and a
// sub-directory, an empty share, and a print share.
class SmbServerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    server_.AddDiskShare("DXL");
    server_.AddFile("DXL", "DXLQ7APD.APD", "apd bytes", kApdTime);
    server_.AddFile("DXL", "DXLHRC.BIN", "0123456789");
    server_.AddFile("DXL", "FONTS/ROMAN.FNT", "f");
    server_.AddDiskShare("EMPTY");
    server_.AddPrintShare("KRT310");
    ASSERT_TRUE(server_.Start());
    server_.Declare(machine_.Builder(), "PRINTSRV");
    machine_.Activate();
  }

  SmbTestServer server_;
  TempMachine machine_;
};

std::vector<std::string> Browse(DWORD type, DWORD usage, const std::string& container, DWORD* error = nullptr) {
  NetResource resource;
  resource.dwScope = RESOURCE_GLOBALNET;
  resource.remoteName = container;
  NetEnumHandle handle;
  DWORD result = WNetOpenEnumA(RESOURCE_GLOBALNET, type, usage, &resource, handle);
  if (error) *error = result;
  std::vector<std::string> names;
  if (result != ERROR_SUCCESS) return names;
  std::vector<NetResource> entries;
  DWORD count = 0xFFFFFFFFu, size = 16384;
  if (WNetEnumResourceA(handle, count, entries, size) == ERROR_SUCCESS)
    for (const auto& entry : entries) names.push_back(entry.remoteName);
  return names;
}

TEST_F(SmbServerTest, ListsItsDiskAndPrintShares) {
  auto backend = OpenServer(Machine::Current(), "printsrv");
  ASSERT_TRUE(backend);
  EXPECT_EQ(backend->Name(), "PRINTSRV");
  EXPECT_TRUE(backend->Reachable());
  EXPECT_EQ(backend->ListShares(), (std::vector<std::string>{"DXL", "EMPTY"}));  // no IPC$
  EXPECT_EQ(backend->ListPrintShares(), std::vector<std::string>{"KRT310"});

  EXPECT_EQ(Browse(RESOURCETYPE_ANY, RESOURCEUSAGE_CONNECTABLE | RESOURCEUSAGE_CONTAINER, "\\\\PRINTSRV"),
            (std::vector<std::string>{"\\\\PRINTSRV\\DXL", "\\\\PRINTSRV\\EMPTY", "\\\\PRINTSRV\\KRT310"}));
  EXPECT_EQ(Browse(RESOURCETYPE_PRINT, RESOURCEUSAGE_CONNECTABLE, "\\\\PRINTSRV"),
            std::vector<std::string>{"\\\\PRINTSRV\\KRT310"});
  DWORD error = 0;
  Browse(RESOURCETYPE_ANY, 3, "\\\\PRINTSRV\\DXL", &error);
  EXPECT_EQ(error, ERROR_NOT_CONTAINER);
}

TEST_F(SmbServerTest, FindsFilesWithoutRegardToCase) {
  std::set<std::string> root{"DXLQ7APD.APD", "DXLHRC.BIN", "FONTS"};
  EXPECT_EQ(Names("\\\\PRINTSRV\\DXL\\*.*"), root);  // a share's root has no "." and ".."
  EXPECT_EQ(Names("\\\\printsrv\\dxl\\*.*"), root);
  EXPECT_EQ(Names("\\\\PRINTSRV\\DXL\\*.apd"), std::set<std::string>{"DXLQ7APD.APD"});
  EXPECT_EQ(Names("\\\\PRINTSRV\\DXL\\fonts\\*.*"), (std::set<std::string>{".", "..", "ROMAN.FNT"}));
  EXPECT_EQ(Names("//PRINTSRV/DXL/dxlhrc.bin"), std::set<std::string>{"DXLHRC.BIN"});

  FindData data;
  FindHandle find = FindFirstFileA("\\\\PRINTSRV\\DXL\\DXLQ7APD.APD", data);
  ASSERT_TRUE(find);
  EXPECT_EQ(data.size, 9u);
  EXPECT_EQ(data.attributes & FILE_ATTRIBUTE_DIRECTORY, 0u);
  EXPECT_EQ(data.lastWriteTime, FileTimeFromUnix(kApdTime, 0));
  FindClose(find);
  find = FindFirstFileA("\\\\PRINTSRV\\DXL\\FONTS", data);
  ASSERT_TRUE(find);
  EXPECT_NE(data.attributes & FILE_ATTRIBUTE_DIRECTORY, 0u);
}

TEST_F(SmbServerTest, FindFailsLikeTheNetwork) {
  DWORD error = 0;
  EXPECT_TRUE(Names("\\\\PRINTSRV\\EMPTY\\*.*", &error).empty());
  EXPECT_NE(error, ERROR_SUCCESS);
  Names("\\\\PRINTSRV\\NOSHARE\\*.*", &error);
  EXPECT_EQ(error, ERROR_BAD_NET_NAME);
  Names("\\\\PRINTSRV\\KRT310\\*.*", &error);  // a print share has no files
  EXPECT_EQ(error, ERROR_BAD_NET_NAME);
  Names("\\\\PRINTSRV\\*.*", &error);
  EXPECT_EQ(error, ERROR_BAD_NETPATH);
  Names("\\\\PRINTSRV\\DXL\\NODIR\\*.*", &error);
  EXPECT_EQ(error, ERROR_PATH_NOT_FOUND);
  Names("\\\\PRINTSRV\\DXL\\DXLHRC.BIN\\*.*", &error);  // a file is no directory
  EXPECT_EQ(error, ERROR_PATH_NOT_FOUND);
}

TEST_F(SmbServerTest, ReadsAServersFileReadOnly) {
  dxl::testing::ExpectReadOnlyShareFile("\\\\printsrv\\DXL\\dxlhrc.bin", "0123456789");
  FileHandle file = CreateFileA("\\\\PRINTSRV\\DXL\\DXLHRC.BIN", GENERIC_READ, 0, OPEN_EXISTING, 0);
  ASSERT_TRUE(file);
  EXPECT_EQ(SetFilePointer(file, -20, FILE_CURRENT), INVALID_SET_FILE_POINTER);
  EXPECT_EQ(GetLastError(), ERROR_NEGATIVE_SEEK);

  EXPECT_EQ(OpenError("\\\\PRINTSRV\\DXL\\DXLHRC.BIN", GENERIC_WRITE), ERROR_ACCESS_DENIED);
  EXPECT_EQ(OpenError("\\\\PRINTSRV\\DXL\\NEW.TXT", GENERIC_READ, CREATE_ALWAYS), ERROR_ACCESS_DENIED);
  EXPECT_EQ(OpenError("\\\\PRINTSRV\\DXL\\NEW.TXT", GENERIC_READ, OPEN_ALWAYS), ERROR_ACCESS_DENIED);
  EXPECT_EQ(OpenError("\\\\PRINTSRV\\DXL\\FONTS"), ERROR_ACCESS_DENIED);  // a directory
  EXPECT_EQ(OpenError("\\\\PRINTSRV\\DXL\\MISSING.TXT"), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(OpenError("\\\\PRINTSRV\\DXL\\NODIR\\X.TXT"), ERROR_PATH_NOT_FOUND);
  EXPECT_EQ(OpenError("\\\\PRINTSRV\\NOSHARE\\X.TXT"), ERROR_BAD_NET_NAME);
  EXPECT_EQ(OpenError("\\\\PRINTSRV\\DXL\\..\\EMPTY\\X.TXT"), ERROR_ACCESS_DENIED);
  EXPECT_EQ(OpenError("\\\\PRINTSRV\\DXL\\A%2F..%2F..%2FX"), ERROR_FILE_NOT_FOUND);  // '%' is only a character
}

TEST_F(SmbServerTest, AServerThatIsDownIsABadPath) {
  server_.Stop();
  DWORD error = 0;
  Names("\\\\PRINTSRV\\DXL\\*.*", &error);
  EXPECT_EQ(error, ERROR_BAD_NETPATH);
  EXPECT_EQ(OpenError("\\\\PRINTSRV\\DXL\\DXLHRC.BIN"), ERROR_BAD_NETPATH);
  Browse(RESOURCETYPE_PRINT, RESOURCEUSAGE_CONNECTABLE, "\\\\PRINTSRV", &error);
  EXPECT_EQ(error, ERROR_BAD_NETPATH);
  auto backend = OpenServer(Machine::Current(), "PRINTSRV");
  ASSERT_TRUE(backend);
  EXPECT_FALSE(backend->Reachable());
  EXPECT_FALSE(backend->ListShares());
  EXPECT_EQ(GetLastError(), ERROR_BAD_NETPATH);
}

TEST_F(SmbServerTest, SettingsThatCannotReachTheServerMeanItIsDown) {
  auto& b = machine_.Builder();
  for (const char* port : {"0", "65536", "44x5", "-1"}) {
    b.MachineIni("Server PRINTSRV", "Port", port);
    DWORD error = 0;
    Names("\\\\PRINTSRV\\DXL\\*.*", &error);
    EXPECT_EQ(error, ERROR_BAD_NETPATH) << port;
  }
  b.MachineIni("Server PRINTSRV", "Port", std::to_string(server_.Port()));
  b.MachineIni("Server PRINTSRV", "Reachable", "0");
  EXPECT_FALSE(OpenServer(Machine::Current(), "PRINTSRV")->Reachable());
  b.MachineIni("Server PRINTSRV", "Reachable", std::nullopt);
  // Credentials travel; this server takes users it does not know as guests.
  b.MachineIni("Server PRINTSRV", "User", "nosuchuser");
  b.MachineIni("Server PRINTSRV", "Password", "secret");
  EXPECT_EQ(Names("\\\\PRINTSRV\\DXL\\*.BIN"), std::set<std::string>{"DXLHRC.BIN"});
}

}  // namespace
}  // namespace w95
