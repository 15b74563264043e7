#include "platform/registry/reg_store.h"

#include <system_error>

#include "platform/machine/machine.h"
#include "platform/machine/paths.h"
#include "platform/registry/creg_hive_file.h"
#include "platform/registry/regedit4.h"

namespace fs = std::filesystem;

namespace w95 {

namespace {

constexpr RegRootName kMachineRoots[] = {{"HKEY_LOCAL_MACHINE", ""}, {"HKEY_CLASSES_ROOT", "SOFTWARE\\Classes"}};
constexpr RegRootName kUserRoots[] = {{"HKEY_CURRENT_USER", ""}};

const HiveLayout kClassesRoot{"SYSTEM.REG", "HKEY_LOCAL_MACHINE", kMachineRoots, "SOFTWARE\\Classes"};
const HiveLayout kCurrentUser{"USER.REG", "HKEY_CURRENT_USER", kUserRoots, ""};
const HiveLayout kLocalMachine{"SYSTEM.REG", "HKEY_LOCAL_MACHINE", kMachineRoots, ""};

}  // namespace

const HiveLayout& LayoutOf(RootKey root) {
  switch (root) {
    case RootKey::ClassesRoot: return kClassesRoot;
    case RootKey::CurrentUser: return kCurrentUser;
    case RootKey::LocalMachine: break;
  }
  return kLocalMachine;
}

HiveFile::HiveFile(const HiveLayout& layout, std::string windowsPath, std::optional<fs::path> hostPath)
    : layout_(layout),
      windowsPath_(std::move(windowsPath)),
      hostPath_(std::move(hostPath)),
      hive_(std::string(layout.rootName)) {
  if (!hostPath_) return;
  std::error_code ec;
  auto status = fs::status(*hostPath_, ec);
  if (ec || status.type() == fs::file_type::not_found) return;
  auto bytes = status.type() == fs::file_type::regular ? ReadHostFile(*hostPath_) : std::nullopt;
  if (!bytes) {
    loadError_ = windowsPath_ + ": the file cannot be read";
    return;
  }
  Parse(std::move(*bytes));  // the hive keeps the file's text
}

HiveFile::HiveFile(const HiveLayout& layout, std::string windowsPath)
    : layout_(layout), windowsPath_(std::move(windowsPath)), hive_(std::string(layout.rootName)) {}

bool HiveFile::Parse(std::string bytes) {
  RegHive hive{std::string(layout_.rootName)};
  if (auto error = ParseRegedit4Owned(std::move(bytes), layout_.fileRoots, hive)) {
    loadError_ = windowsPath_ + " line " + std::to_string(error->line) + ": " + error->reason;
    return false;
  }
  hive_ = std::move(hive);
  return true;
}

DWORD HiveFile::Commit() {
  if (!Usable()) return ERROR_BADDB;
  std::string bytes = RenderRegedit4(hive_);
  // Read the new text back first: it must hold what memory holds, and it
  // leaves every key "as read", ready for the next change.
  RegHive written{std::string(layout_.rootName)};
  DWORD error =
      ParseRegedit4Owned(std::move(bytes), layout_.fileRoots, written) ? ERROR_INVALID_PARAMETER : ERROR_SUCCESS;
  if (error == ERROR_SUCCESS) error = hostPath_ ? ReplaceHostFile(*hostPath_, *written.Text()) : ERROR_PATH_NOT_FOUND;
  if (error == ERROR_SUCCESS) {
    hive_ = std::move(written);
    return ERROR_SUCCESS;
  }
  const auto previous = hive_.Text();  // undo the change: the file as last read or written
  Parse(previous ? std::string(*previous) : std::string());
  return error;
}

RegistryStore::RegistryStore(Machine& machine) : machine_(machine) {}

std::shared_ptr<HiveFile> RegistryStore::Load(RootKey root) {
  if (UsesBinaryHives(machine_)) {
    HiveFile* machineHive = root == RootKey::CurrentUser ? Hive(RootKey::LocalMachine).get() : nullptr;
    return LoadBinaryHive(machine_, root, machineHive, userPrefix_);
  }
  const HiveLayout& layout = LayoutOf(root);
  std::string windowsPath = machine_.WindowsDirectory() + "\\" + std::string(layout.fileName);
  return std::make_shared<HiveFile>(layout, windowsPath, HostPath(machine_, windowsPath, Lookup::ParentOnly));
}

std::shared_ptr<HiveFile> RegistryStore::Hive(RootKey root) {
  if (root == RootKey::CurrentUser) {
    if (!userHive_) userHive_ = Load(RootKey::CurrentUser);
    return userHive_;
  }
  if (!machineHive_) machineHive_ = Load(RootKey::LocalMachine);
  return machineHive_;
}

std::string RegistryStore::Prefix(RootKey root) {
  Hive(root);  // the user hive decides where HKEY_CURRENT_USER is
  if (root == RootKey::CurrentUser) return userPrefix_;
  return std::string(LayoutOf(root).prefix);
}

}  // namespace w95
