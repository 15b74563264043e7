#include "platform/network/directory_server.h"

#include <algorithm>

#include "platform/base/case_rules.h"
#include "platform/base/last_error.h"
#include "platform/base/text.h"
#include "platform/machine/paths.h"
#include "platform/network/share_tree.h"

namespace fs = std::filesystem;

namespace w95 {

DirectoryServer::DirectoryServer(std::string name, fs::path directory, std::vector<std::string> printShares,
                                 bool declaredReachable)
    : name_(std::move(name)),
      directory_(std::move(directory)),
      printShares_(std::move(printShares)),
      declaredReachable_(declaredReachable) {}

bool DirectoryServer::Reachable() {
  std::error_code ec;
  return declaredReachable_ && fs::is_directory(directory_, ec);
}

std::optional<std::vector<std::string>> DirectoryServer::ListShares() {
  using Result = std::optional<std::vector<std::string>>;
  if (!Reachable()) return Fail(ERROR_BAD_NETPATH, Result());
  std::vector<std::string> shares;
  std::error_code ec;
  for (fs::directory_iterator it(directory_, ec), end; !ec && it != end; it.increment(ec)) {
    std::string name = WindowsName(it->path().filename().string());
    if (IsValidNetName(name) && ShareRoot(name)) shares.push_back(name);
  }
  std::sort(shares.begin(), shares.end(),
            [](const std::string& a, const std::string& b) { return CompareNoCase(a, b) < 0; });
  return shares;
}

std::optional<std::vector<std::string>> DirectoryServer::ListPrintShares() {
  if (!Reachable()) return Fail(ERROR_BAD_NETPATH, std::optional<std::vector<std::string>>());
  return printShares_;
}

std::optional<fs::path> DirectoryServer::ShareRoot(std::string_view share) {
  using Result = std::optional<fs::path>;
  if (!Reachable()) return Fail(ERROR_BAD_NETPATH, Result());
  if (!IsValidNetName(share)) return Fail(ERROR_BAD_NET_NAME, Result());
  auto entry = FindEntryNoCase(directory_, share);
  if (!entry) return Fail(ERROR_BAD_NET_NAME, Result());
  std::error_code ec;
  fs::path server = fs::canonical(directory_, ec);
  fs::path root = ec ? fs::path() : fs::canonical(*entry, ec);
  // A share is a directory of the server; a link that leads elsewhere is none.
  if (ec || !IsWithin(server, root) || !fs::is_directory(root, ec)) return Fail(ERROR_BAD_NET_NAME, Result());
  return root;
}

std::optional<std::vector<FindData>> DirectoryServer::FindEntries(std::string_view share,
                                                                  const std::vector<std::string>& directory,
                                                                  std::string_view pattern) {
  auto root = ShareRoot(share);
  if (!root) return std::nullopt;
  return ShareTree(*root).Find(directory, pattern);
}

std::unique_ptr<FileObject> DirectoryServer::OpenForReading(std::string_view share,
                                                            const std::vector<std::string>& path) {
  auto root = ShareRoot(share);
  if (!root) return nullptr;
  return ShareTree(*root).OpenForReading(path);
}

}  // namespace w95
