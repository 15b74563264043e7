#include "platform/reg_store.h"

#include <system_error>

#include "platform/machine.h"
#include "platform/paths.h"
#include "platform/regedit4.h"

namespace fs = std::filesystem;

namespace w95 {

namespace {

constexpr RegRootName kMachineRoots[] = {{"HKEY_LOCAL_MACHINE", ""}, {"HKEY_CLASSES_ROOT", "SOFTWARE\\Classes"}};
constexpr RegRootName kUserRoots[] = {{"HKEY_CURRENT_USER", ""}};

std::span<const RegRootName> RootsOf(const std::string& rootName) {
  if (rootName == "HKEY_CURRENT_USER") return kUserRoots;
  return kMachineRoots;
}

}  // namespace

HiveFile::HiveFile(std::string rootName, std::string windowsPath, std::optional<fs::path> hostPath)
    : rootName_(std::move(rootName)), windowsPath_(std::move(windowsPath)), hostPath_(std::move(hostPath)),
      hive_(rootName_) {
  if (!hostPath_) return;
  std::error_code ec;
  auto status = fs::status(*hostPath_, ec);
  if (ec || status.type() == fs::file_type::not_found) return;
  auto bytes = status.type() == fs::file_type::regular ? ReadHostFile(*hostPath_) : std::nullopt;
  if (!bytes) {
    loadError_ = windowsPath_ + ": the file cannot be read";
    return;
  }
  if (!Parse(*bytes)) return;
  savedBytes_ = std::move(*bytes);
}

bool HiveFile::Parse(const std::string& bytes) {
  RegHive hive(rootName_);
  if (auto error = ParseRegedit4(bytes, RootsOf(rootName_), hive)) {
    loadError_ = windowsPath_ + " line " + std::to_string(error->line) + ": " + error->reason;
    return false;
  }
  hive_ = std::move(hive);
  return true;
}

DWORD HiveFile::Commit() {
  if (!Usable()) return ERROR_BADDB;
  std::string bytes = RenderRegedit4(hive_);
  DWORD error = hostPath_ ? ReplaceHostFile(*hostPath_, bytes) : ERROR_PATH_NOT_FOUND;
  if (error == ERROR_SUCCESS) {
    savedBytes_ = std::move(bytes);
  }
  // Reading the saved text back leaves every key "as read", ready for the next change.
  if (!Parse(savedBytes_)) return ERROR_BADDB;
  return error;
}

RegistryStore::RegistryStore(Machine& machine) : machine_(machine) {}

std::shared_ptr<HiveFile> RegistryStore::Load(const std::string& rootName, const std::string& fileName) {
  std::string windowsPath = machine_.WindowsDirectory() + "\\" + fileName;
  return std::make_shared<HiveFile>(rootName, windowsPath, HostPath(machine_, windowsPath, Lookup::ParentOnly));
}

std::shared_ptr<HiveFile> RegistryStore::Hive(RootKey root) {
  if (root == RootKey::CurrentUser) {
    if (!userHive_) userHive_ = Load("HKEY_CURRENT_USER", "USER.REG");
    return userHive_;
  }
  if (!machineHive_) machineHive_ = Load("HKEY_LOCAL_MACHINE", "SYSTEM.REG");
  return machineHive_;
}

}  // namespace w95
