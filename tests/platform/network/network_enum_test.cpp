// Browsing the network: WNetOpenEnumA, WNetEnumResourceA and WNetCloseEnum.
#include <gtest/gtest.h>

#include "machine_builder/network_builder.h"
#include "platform/base/last_error.h"
#include "platform/network/network.h"
#include "support/temp_machine.h"

namespace w95 {
namespace {

using dxl::testing::TempMachine;
namespace tools = dxl::tools;

constexpr DWORD kAll = 0xFFFFFFFFu;

void BuildNetwork(TempMachine& machine) {
  auto& b = machine.Builder();
  tools::AddServer(b, "PRINTSRV");
  tools::AddShare(b, "PRINTSRV", "DXL");
  tools::AddShare(b, "PRINTSRV", "APPS");
  tools::AddPrintShare(b, "PRINTSRV", "KRT310");
  tools::AddPrintShare(b, "PRINTSRV", "LASER");
  tools::AddServer(b, "EMPTYSRV");
  tools::AddServer(b, "DISKSRV");
  tools::AddShare(b, "DISKSRV", "DXL");
  tools::AddServer(b, "OFFSRV");
  tools::AddShare(b, "OFFSRV", "DXL");
  tools::SetServerReachable(b, "OFFSRV", false);
}

NetResource Container(std::string remoteName) {
  NetResource resource;
  resource.dwScope = RESOURCE_GLOBALNET;
  resource.dwUsage = RESOURCEUSAGE_CONTAINER;
  resource.remoteName = std::move(remoteName);
  return resource;
}

// The remote names of every entry, read in portions of `bufferSize` bytes.
std::vector<std::string> ReadAll(NetEnumHandle& handle, DWORD bufferSize = 16384) {
  std::vector<std::string> names;
  std::vector<NetResource> entries;
  for (;;) {
    DWORD count = kAll;
    DWORD size = bufferSize;
    DWORD result = WNetEnumResourceA(handle, count, entries, size);
    if (result != ERROR_SUCCESS) {
      EXPECT_EQ(result, ERROR_NO_MORE_ITEMS);
      return names;
    }
    EXPECT_EQ(count, entries.size());
    for (const auto& entry : entries) names.push_back(entry.remoteName);
  }
}

std::vector<std::string> Browse(DWORD type, DWORD usage, const std::string& server, DWORD* error = nullptr) {
  NetEnumHandle handle;
  NetResource container = Container(server);
  DWORD result = WNetOpenEnumA(RESOURCE_GLOBALNET, type, usage, &container, handle);
  if (error) *error = result;
  if (result != ERROR_SUCCESS) return {};
  auto names = ReadAll(handle);
  EXPECT_EQ(WNetCloseEnum(handle), ERROR_SUCCESS);
  return names;
}

TEST(BrowseServer, ListsItsSharesAsAContainer) {
  TempMachine machine;
  BuildNetwork(machine);
  const DWORD usage = RESOURCEUSAGE_CONNECTABLE | RESOURCEUSAGE_CONTAINER;
  EXPECT_EQ(Browse(RESOURCETYPE_ANY, usage, "\\\\PRINTSRV"),
            (std::vector<std::string>{"\\\\PRINTSRV\\APPS", "\\\\PRINTSRV\\DXL", "\\\\PRINTSRV\\KRT310",
                                      "\\\\PRINTSRV\\LASER"}));
  EXPECT_EQ(Browse(RESOURCETYPE_PRINT, RESOURCEUSAGE_CONNECTABLE, "\\\\printsrv"),
            (std::vector<std::string>{"\\\\PRINTSRV\\KRT310", "\\\\PRINTSRV\\LASER"}));
  EXPECT_EQ(Browse(RESOURCETYPE_DISK, RESOURCEUSAGE_CONNECTABLE, "\\\\PRINTSRV"),
            (std::vector<std::string>{"\\\\PRINTSRV\\APPS", "\\\\PRINTSRV\\DXL"}));
}

TEST(BrowseServer, DescribesEachShare) {
  TempMachine machine;
  BuildNetwork(machine);
  NetEnumHandle handle;
  NetResource container = Container("\\\\DISKSRV");
  ASSERT_EQ(WNetOpenEnumA(RESOURCE_GLOBALNET, RESOURCETYPE_ANY, 0, &container, handle), ERROR_SUCCESS);
  std::vector<NetResource> entries;
  DWORD count = kAll, size = 16384;
  ASSERT_EQ(WNetEnumResourceA(handle, count, entries, size), ERROR_SUCCESS);
  ASSERT_EQ(entries.size(), 1u);
  EXPECT_EQ(entries[0].dwScope, RESOURCE_GLOBALNET);
  EXPECT_EQ(entries[0].dwType, RESOURCETYPE_DISK);
  EXPECT_EQ(entries[0].dwDisplayType, RESOURCEDISPLAYTYPE_SHARE);
  EXPECT_EQ(entries[0].dwUsage, RESOURCEUSAGE_CONNECTABLE);
  EXPECT_EQ(entries[0].remoteName, "\\\\DISKSRV\\DXL");
  EXPECT_EQ(entries[0].localName, "");
}

TEST(BrowseServer, NothingToListIsNoSuccess) {
  TempMachine machine;
  BuildNetwork(machine);
  NetEnumHandle handle;
  NetResource container = Container("\\\\EMPTYSRV");
  ASSERT_EQ(WNetOpenEnumA(RESOURCE_GLOBALNET, RESOURCETYPE_ANY, 3, &container, handle), ERROR_SUCCESS);
  std::vector<NetResource> entries;
  DWORD count = kAll, size = 16384;
  EXPECT_EQ(WNetEnumResourceA(handle, count, entries, size), ERROR_NO_MORE_ITEMS);
  EXPECT_EQ(GetLastError(), ERROR_NO_MORE_ITEMS);
  EXPECT_EQ(count, 0u);
  // A server with disk shares only has no printers to list.
  EXPECT_TRUE(Browse(RESOURCETYPE_PRINT, RESOURCEUSAGE_CONNECTABLE, "\\\\DISKSRV").empty());
}

TEST(BrowseServer, UnknownOrSilentServersAreBadPaths) {
  TempMachine machine;
  BuildNetwork(machine);
  DWORD error = 0;
  for (const char* name : {"\\\\NOSUCH", "\\\\OFFSRV", "\\\\..", "PRINTSRV"}) {
    Browse(RESOURCETYPE_ANY, 3, name, &error);
    EXPECT_EQ(error, ERROR_BAD_NETPATH) << name;
    EXPECT_EQ(GetLastError(), ERROR_BAD_NETPATH) << name;
  }
  Browse(RESOURCETYPE_ANY, 3, "\\\\PRINTSRV\\DXL", &error);
  EXPECT_EQ(error, ERROR_NOT_CONTAINER);
  Browse(RESOURCETYPE_ANY, 3, "\\\\PRINTSRV\\..\\OFFSRV", &error);
  EXPECT_EQ(error, ERROR_NOT_CONTAINER);
  // The server's directory gone: the server is down.
  machine.Builder().Remove(tools::ServerDirectory("PRINTSRV"));
  Browse(RESOURCETYPE_PRINT, 1, "\\\\PRINTSRV", &error);
  EXPECT_EQ(error, ERROR_BAD_NETPATH);
}

TEST(BrowseNetwork, ListsTheServersThatAnswer) {
  TempMachine machine;
  BuildNetwork(machine);
  NetEnumHandle handle;
  ASSERT_EQ(WNetOpenEnumA(RESOURCE_GLOBALNET, RESOURCETYPE_ANY, 0, nullptr, handle), ERROR_SUCCESS);
  EXPECT_EQ(ReadAll(handle), (std::vector<std::string>{"\\\\PRINTSRV", "\\\\EMPTYSRV", "\\\\DISKSRV"}));
}

TEST(EnumBuffer, HandsOutWhatFitsAndAsksForMoreWhenNothingDoes) {
  TempMachine machine;
  BuildNetwork(machine);
  NetEnumHandle handle;
  NetResource container = Container("\\\\PRINTSRV");
  ASSERT_EQ(WNetOpenEnumA(RESOURCE_GLOBALNET, RESOURCETYPE_PRINT, 1, &container, handle), ERROR_SUCCESS);
  std::vector<NetResource> entries;
  // "\\PRINTSRV\KRT310": 32 bytes of record, 18 of name, and the provider's name.
  const DWORD oneEntry = 32 + 18 + static_cast<DWORD>(kNetworkProvider.size() + 1);
  DWORD count = kAll, size = oneEntry - 1;
  EXPECT_EQ(WNetEnumResourceA(handle, count, entries, size), ERROR_MORE_DATA);
  EXPECT_EQ(size, oneEntry);
  EXPECT_TRUE(entries.empty());
  count = kAll, size = oneEntry;
  ASSERT_EQ(WNetEnumResourceA(handle, count, entries, size), ERROR_SUCCESS);
  EXPECT_EQ(count, 1u);
  EXPECT_EQ(entries.at(0).remoteName, "\\\\PRINTSRV\\KRT310");
  count = 1, size = 16384;
  ASSERT_EQ(WNetEnumResourceA(handle, count, entries, size), ERROR_SUCCESS);
  EXPECT_EQ(entries.at(0).remoteName, "\\\\PRINTSRV\\LASER");
  count = kAll;
  EXPECT_EQ(WNetEnumResourceA(handle, count, entries, size), ERROR_NO_MORE_ITEMS);
  EXPECT_EQ(WNetCloseEnum(handle), ERROR_SUCCESS);
  EXPECT_EQ(WNetEnumResourceA(handle, count, entries, size), ERROR_INVALID_HANDLE);
  EXPECT_EQ(WNetCloseEnum(handle), ERROR_INVALID_HANDLE);
}

TEST(EnumConnections, ListsCurrentAndRememberedPorts) {
  TempMachine machine;
  BuildNetwork(machine);
  tools::AddPersistentConnection(machine.Builder(), 1, "\\\\PRINTSRV\\KRT310");
  tools::AddPersistentConnection(machine.Builder(), 2, "\\\\OFFSRV\\KRT310");
  tools::SetCurrentConnection(machine.Builder(), 3, "\\\\PRINTSRV\\LASER");
  NetEnumHandle handle;
  ASSERT_EQ(WNetOpenEnumA(RESOURCE_CONNECTED, RESOURCETYPE_ANY, 0, nullptr, handle), ERROR_SUCCESS);
  EXPECT_EQ(ReadAll(handle), (std::vector<std::string>{"\\\\PRINTSRV\\KRT310", "\\\\PRINTSRV\\LASER"}));
  ASSERT_EQ(WNetOpenEnumA(RESOURCE_REMEMBERED, RESOURCETYPE_PRINT, 0, nullptr, handle), ERROR_SUCCESS);
  EXPECT_EQ(ReadAll(handle), (std::vector<std::string>{"\\\\PRINTSRV\\KRT310", "\\\\OFFSRV\\KRT310"}));
  EXPECT_EQ(WNetOpenEnumA(7, RESOURCETYPE_ANY, 0, nullptr, handle), ERROR_INVALID_PARAMETER);
  EXPECT_FALSE(handle);
}

}  // namespace
}  // namespace w95
