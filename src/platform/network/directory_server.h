// The embedded server backend: a host directory whose sub-directories are the
// server's disk shares; its print shares are declared in MACHINE.INI. A server
// declared unreachable, or whose directory is missing, answers as one that is
// down.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "platform/network/server_backend.h"

namespace w95 {

class DirectoryServer : public ServerBackend {
 public:
  DirectoryServer(std::string name, std::filesystem::path directory, std::vector<std::string> printShares,
                  bool declaredReachable);

  const std::string& Name() const override { return name_; }
  bool Reachable() override;
  std::optional<std::vector<std::string>> ListShares() override;
  std::optional<std::vector<std::string>> ListPrintShares() override;
  std::optional<std::vector<FindData>> FindEntries(std::string_view share, const std::vector<std::string>& directory,
                                                   std::string_view pattern) override;
  std::unique_ptr<FileObject> OpenForReading(std::string_view share, const std::vector<std::string>& path) override;

 private:
  // The canonical host directory of the disk share, or nullopt with the error.
  std::optional<std::filesystem::path> ShareRoot(std::string_view share);

  std::string name_;
  std::filesystem::path directory_;
  std::vector<std::string> printShares_;
  bool declaredReachable_;
};

}  // namespace w95
