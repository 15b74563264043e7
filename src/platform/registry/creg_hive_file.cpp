#include "platform/registry/creg_hive_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <system_error>

#include "platform/base/last_error.h"
#include "platform/machine/host_open.h"
#include "platform/machine/machine.h"
#include "platform/machine/paths.h"
#include "platform/registry/creg_check.h"
#include "platform/registry/creg_read.h"
#include "platform/registry/creg_write.h"

namespace fs = std::filesystem;

namespace w95 {

namespace {

const HiveLayout kSystemDat{"SYSTEM.DAT", "HKEY_LOCAL_MACHINE", {}, ""};
const HiveLayout kUserDat{"USER.DAT", "HKEY_USERS", {}, ""};

bool IsFile(const std::optional<fs::path>& path) {
  std::error_code ec;
  return path && fs::is_regular_file(*path, ec);
}

// A hive the machine has no place for: empty, and every call fails.
std::shared_ptr<HiveFile> Unreadable(const HiveLayout& layout, const std::string& windowsPath) {
  return std::make_shared<BinaryHiveFile>(layout, windowsPath, fs::path(), fs::path());
}

std::string TextOf(const RegNode* node, std::string_view name) {
  const RegValue* value = node ? node->Value(name) : nullptr;
  return value ? value->data.substr(0, value->data.find('\0')) : std::string();
}

bool ProfilesOn(const RegNode* logon) {
  const RegValue* value = logon ? logon->Value("UserProfiles") : nullptr;
  if (!value || value->data.empty()) return false;
  if (value->type == REG_DWORD || value->type == REG_BINARY) return value->data[0] != 0;
  return TextOf(logon, "UserProfiles") == "1";
}

}  // namespace

std::string BinaryHiveBackupName(std::string_view hiveFileName) {
  return std::string(hiveFileName.substr(0, hiveFileName.find('.'))) + ".DXB";
}

BinaryHiveFile::BinaryHiveFile(const HiveLayout& layout, std::string windowsPath, fs::path hostPath,
                               fs::path backupPath)
    : HiveFile(layout, std::move(windowsPath)), hostPath_(std::move(hostPath)), backupPath_(std::move(backupPath)) {
  const std::string& name = WindowsPath();
  // One open serves both reads: the bytes kept (mapped), and libcreg's when the program's own reader cannot.
  UniqueFd file(hostPath_.empty() ? -1 : OpenHostFile(hostPath_, O_RDONLY));
  auto bytes = file.get() < 0 ? nullptr : HiveBytes::Map(file.get());
  if (!bytes) {
    loadError_ = name + ": the file cannot be read";
    return;
  }
  RegHive hive{std::string(layout.rootName)};
  if (auto error = ReadCregOpenFile(file.get(), std::move(bytes), hive)) {
    loadError_ = name + ": " + *error;
    return;
  }
  hive_ = std::move(hive);
  KeepSavedTree();
}

void BinaryHiveFile::KeepSavedTree() {
  saved_.reset();
  if (hive_.Root().CregKey() != RegNode::kNoCregKey) return;
  saved_ = std::make_unique<RegHive>(hive_.RootName());
  CopyRegTree(hive_.Root(), saved_->Root());
}

DWORD BinaryHiveFile::Commit() {
  if (!Usable()) return ERROR_BADDB;
  DWORD error = ERROR_INVALID_PARAMETER;
  const std::shared_ptr<const HiveBytes> savedBytes = hive_.Text();  // the file as last read or saved
  std::vector<CregChange> changes;
  std::string copy(savedBytes->View());  // the new file's bytes, patched
  auto bytes = saved_ ? PatchCreg(std::move(copy), saved_->Root(), hive_.Root(), &changes)
                      : PatchCreg(std::move(copy), hive_.Root(), &changes);
  SetLastError(ERROR_SUCCESS);
  // Every rule of Windows' bookkeeping holds on the new file, and libcreg reads each changed key of the new
  // file, written beside the old one, as it must before it replaces the old one.
  if (bytes && !CheckCregFile(*bytes)) {
    auto readBack = [&](int fd) { return LibraryReadsChanges(fd, *bytes, changes); };
    error = backedUp_ ? ERROR_SUCCESS : ReplaceHostFile(backupPath_, *savedBytes);
    if (error == ERROR_SUCCESS) error = ReplaceHostFile(hostPath_, *bytes, ReadOnlyFile::Replace, readBack);
    if (error == ERROR_INVALID_DATA) error = ERROR_INVALID_PARAMETER;  // as for any other change it cannot make
    if (error == ERROR_SUCCESS) {
      backedUp_ = true;
      Saved(std::make_shared<const HiveBytes>(std::move(*bytes)));
      return ERROR_SUCCESS;
    }
  } else if (GetLastError() == ERROR_DISK_FULL) {
    error = ERROR_DISK_FULL;
  }
  Undo(savedBytes);
  return error;
}

void BinaryHiveFile::Saved(std::shared_ptr<const HiveBytes> bytes) {
  RegHive written{hive_.RootName()};
  if (!ReadCregKept(bytes, written)) {
    // The program's reader does not understand the file: libcreg's reading of it holds, as at the start.
    written = RegHive(hive_.RootName());
    written.ShareText(bytes);
    ReadCregBytes(*bytes, written);
  }
  hive_ = std::move(written);
  KeepSavedTree();
}

void BinaryHiveFile::Undo(const std::shared_ptr<const HiveBytes>& savedBytes) {
  RegHive undone{hive_.RootName()};
  if (saved_) {
    undone.ShareText(savedBytes);
    CopyRegTree(saved_->Root(), undone.Root());
    undone.Root().MarkUnchanged();
  } else if (!ReadCregKept(savedBytes, undone)) {
    undone = RegHive(hive_.RootName());  // not expected: the program read these very bytes before
  }
  hive_ = std::move(undone);
}

bool UsesBinaryHives(Machine& machine) {
  return IsFile(HostPath(machine, machine.WindowsDirectory() + "\\SYSTEM.DAT"));
}

std::shared_ptr<HiveFile> LoadBinaryHive(Machine& machine, RootKey root, HiveFile* machineHive,
                                         std::string& userPrefix) {
  const HiveLayout* layout = root == RootKey::CurrentUser ? &kUserDat : &kSystemDat;
  std::string windowsPath = machine.WindowsDirectory() + "\\" + std::string(layout->fileName);
  userPrefix = ".Default";
  if (root == RootKey::CurrentUser && machineHive && machineHive->Usable()) {
    const RegNode* logon = machineHive->Hive().Find({"Network", "Logon"});
    std::string user = TextOf(logon, "username");
    std::string profile = machine.WindowsDirectory() + "\\Profiles\\" + user + "\\USER.DAT";
    if (ProfilesOn(logon) && !user.empty() && user.find('\\') == std::string::npos &&
        IsFile(HostPath(machine, profile))) {
      windowsPath = profile;
      userPrefix.clear();
    }
  }
  auto host = HostPath(machine, windowsPath);
  if (!IsFile(host)) return Unreadable(*layout, windowsPath);
  fs::path backup = host->parent_path() / BinaryHiveBackupName(layout->fileName);
  return std::make_shared<BinaryHiveFile>(*layout, windowsPath, *host, backup);
}

}  // namespace w95
