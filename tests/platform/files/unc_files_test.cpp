// Files on the servers of the network neighbourhood, through FindFirstFileA,
// CreateFileA and ReadFile with UNC paths.
#include <gtest/gtest.h>

#include <filesystem>
#include <set>

#include "machine_builder/network_builder.h"
#include "platform/base/last_error.h"
#include "platform/files/files.h"
#include "support/file_queries.h"
#include "support/temp_machine.h"

namespace w95 {
namespace {

using dxl::testing::Names;
using dxl::testing::OpenError;
using dxl::testing::TempMachine;
namespace tools = dxl::tools;
namespace fs = std::filesystem;

// PRINTSRV with a DXL share holding two files and a sub-directory, an empty
// share, and a print share.
void BuildPrintServer(TempMachine& machine) {
  auto& b = machine.Builder();
  tools::AddServer(b, "PRINTSRV");
  tools::AddShareFile(b, "PRINTSRV", "DXL", "DXLQ7APD.APD", "apd bytes", "1997/03/14 12:30:00");
  tools::AddShareFile(b, "PRINTSRV", "DXL", "DXLHRC.BIN", "0123456789");
  tools::AddShareFile(b, "PRINTSRV", "DXL", "FONTS\\ROMAN.FNT", "f");
  tools::AddShare(b, "PRINTSRV", "EMPTY");
  tools::AddPrintShare(b, "PRINTSRV", "KRT310");
}

TEST(UncFind, ListsAShareWithoutRegardToCase) {
  TempMachine machine;
  BuildPrintServer(machine);
  std::set<std::string> root{"DXLQ7APD.APD", "DXLHRC.BIN", "FONTS"};
  EXPECT_EQ(Names("\\\\PRINTSRV\\DXL\\*.*"), root);  // a share's root has no "." and ".."
  EXPECT_EQ(Names("\\\\printsrv\\dxl\\*.*"), root);
  EXPECT_EQ(Names("\\\\PRINTSRV\\DXL\\*.apd"), std::set<std::string>{"DXLQ7APD.APD"});
  EXPECT_EQ(Names("\\\\PRINTSRV\\DXL\\fonts\\*.*"), (std::set<std::string>{".", "..", "ROMAN.FNT"}));
  EXPECT_EQ(Names("//PRINTSRV/DXL/dxlhrc.bin"), std::set<std::string>{"DXLHRC.BIN"});
}

TEST(UncFind, GivesTheTimeAndSizeOfTheServersFile) {
  TempMachine machine;
  BuildPrintServer(machine);
  FindData data;
  FindHandle find = FindFirstFileA("\\\\PRINTSRV\\DXL\\DXLQ7APD.APD", data);
  ASSERT_TRUE(find);
  EXPECT_EQ(data.size, 9u);
  EXPECT_EQ(data.attributes & FILE_ATTRIBUTE_DIRECTORY, 0u);
  // 1997-03-14 12:30:00 UTC in FILETIME ticks.
  EXPECT_EQ(data.lastWriteTime, FileTimeFromUnix(858342600, 0));
}

TEST(UncFind, FailsLikeTheNetwork) {
  TempMachine machine;
  BuildPrintServer(machine);
  tools::AddServer(machine.Builder(), "DOWNSRV");
  tools::AddShareFile(machine.Builder(), "DOWNSRV", "DXL", "A.TXT", "a");
  tools::SetServerReachable(machine.Builder(), "DOWNSRV", false);
  DWORD error = 0;
  EXPECT_TRUE(Names("\\\\PRINTSRV\\EMPTY\\*.*", &error).empty());
  EXPECT_NE(error, ERROR_SUCCESS);
  Names("\\\\NOSUCH\\DXL\\*.*", &error);
  EXPECT_EQ(error, ERROR_BAD_NETPATH);
  Names("\\\\DOWNSRV\\DXL\\*.*", &error);
  EXPECT_EQ(error, ERROR_BAD_NETPATH);
  Names("\\\\PRINTSRV\\NOSHARE\\*.*", &error);
  EXPECT_EQ(error, ERROR_BAD_NET_NAME);
  Names("\\\\PRINTSRV\\KRT310\\*.*", &error);  // a print share has no files
  EXPECT_EQ(error, ERROR_BAD_NET_NAME);
  Names("\\\\PRINTSRV\\*.*", &error);
  EXPECT_EQ(error, ERROR_BAD_NETPATH);
  Names("\\\\PRINTSRV\\DXL\\NODIR\\*.*", &error);
  EXPECT_EQ(error, ERROR_PATH_NOT_FOUND);
}

TEST(UncFind, AServerWhoseDirectoryIsMissingIsDown) {
  TempMachine machine;
  BuildPrintServer(machine);
  fs::remove_all(machine.Builder().HostPath(tools::ServerDirectory("PRINTSRV")));
  DWORD error = 0;
  Names("\\\\PRINTSRV\\DXL\\*.*", &error);
  EXPECT_EQ(error, ERROR_BAD_NETPATH);
}

TEST(UncOpen, ReadsAServersFile) {
  TempMachine machine;
  BuildPrintServer(machine);
  dxl::testing::ExpectReadOnlyShareFile("\\\\printsrv\\DXL\\dxlhrc.bin", "0123456789");
}

TEST(UncOpen, SharesAreReadOnly) {
  TempMachine machine;
  BuildPrintServer(machine);
  EXPECT_EQ(OpenError("\\\\PRINTSRV\\DXL\\DXLHRC.BIN", GENERIC_WRITE), ERROR_ACCESS_DENIED);
  EXPECT_EQ(OpenError("\\\\PRINTSRV\\DXL\\NEW.TXT", GENERIC_READ, CREATE_ALWAYS), ERROR_ACCESS_DENIED);
  EXPECT_EQ(OpenError("\\\\PRINTSRV\\DXL\\NEW.TXT", GENERIC_READ, OPEN_ALWAYS), ERROR_ACCESS_DENIED);
  EXPECT_EQ(OpenError("\\\\PRINTSRV\\DXL\\DXLHRC.BIN", GENERIC_READ, TRUNCATE_EXISTING), ERROR_ACCESS_DENIED);
  EXPECT_FALSE(fs::exists(machine.Builder().HostPath(tools::ServerDirectory("PRINTSRV") + "\\DXL\\NEW.TXT")));
  EXPECT_EQ(machine.Read(tools::ServerDirectory("PRINTSRV") + "\\DXL\\DXLHRC.BIN"), "0123456789");
  EXPECT_EQ(OpenError("\\\\PRINTSRV\\DXL\\FONTS"), ERROR_ACCESS_DENIED);  // a directory
  EXPECT_EQ(OpenError("\\\\PRINTSRV\\DXL\\MISSING.TXT"), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(OpenError("\\\\PRINTSRV\\DXL\\NODIR\\X.TXT"), ERROR_PATH_NOT_FOUND);
  EXPECT_EQ(OpenError("\\\\NOSUCH\\DXL\\X.TXT"), ERROR_BAD_NETPATH);
  EXPECT_EQ(OpenError("\\\\NOSUCH\\DXL\\X.TXT", GENERIC_WRITE, CREATE_ALWAYS), ERROR_BAD_NETPATH);
}

TEST(UncPaths, NeverLeaveTheShare) {
  TempMachine machine;
  BuildPrintServer(machine);
  auto& b = machine.Builder();
  b.File("C:\\SECRET.TXT", "secret");
  tools::AddShareFile(b, "PRINTSRV", "OTHER", "OTHER.TXT", "other");
  fs::path dxl = b.HostPath(tools::ServerDirectory("PRINTSRV") + "\\DXL");
  fs::create_symlink(b.HostPath("C:\\SECRET.TXT"), dxl / "ESCAPE.TXT");
  fs::create_symlink(b.HostPath(tools::ServerDirectory("PRINTSRV") + "\\OTHER"), dxl / "OUTDIR");
  fs::create_symlink(dxl / "DXLHRC.BIN", dxl / "INSIDE.BIN");
  fs::create_symlink("/etc", b.HostPath(tools::ServerDirectory("PRINTSRV")) / "ETC");

  EXPECT_EQ(OpenError("\\\\PRINTSRV\\DXL\\..\\OTHER\\OTHER.TXT"), ERROR_ACCESS_DENIED);
  EXPECT_EQ(OpenError("\\\\PRINTSRV\\DXL\\FONTS\\..\\..\\OTHER\\OTHER.TXT"), ERROR_ACCESS_DENIED);
  EXPECT_NE(OpenError("\\\\PRINTSRV\\..\\..\\SECRET.TXT"), ERROR_SUCCESS);
  EXPECT_NE(OpenError("\\\\..\\PRINTSRV\\DXL\\DXLHRC.BIN"), ERROR_SUCCESS);
  EXPECT_EQ(OpenError("\\\\PRINTSRV\\DXL\\ESCAPE.TXT"), ERROR_ACCESS_DENIED);
  EXPECT_EQ(OpenError("\\\\PRINTSRV\\DXL\\OUTDIR\\OTHER.TXT"), ERROR_ACCESS_DENIED);
  EXPECT_EQ(OpenError("\\\\PRINTSRV\\ETC\\passwd"), ERROR_BAD_NET_NAME);  // a share must stay on its server
  EXPECT_EQ(OpenError("\\\\PRINTSRV\\DXL\\INSIDE.BIN"), ERROR_SUCCESS);
  // Links out of the share are not listed either.
  EXPECT_EQ(Names("\\\\PRINTSRV\\DXL\\*.*"),
            (std::set<std::string>{"DXLQ7APD.APD", "DXLHRC.BIN", "FONTS", "INSIDE.BIN"}));
  DWORD error = 0;
  Names("\\\\PRINTSRV\\DXL\\OUTDIR\\*.*", &error);
  EXPECT_EQ(error, ERROR_ACCESS_DENIED);
}

}  // namespace
}  // namespace w95
