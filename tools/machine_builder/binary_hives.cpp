#include "machine_builder/binary_hives.h"

#include <filesystem>
#include <stdexcept>

#include "machine_builder/used_hive.h"
#include "platform/registry/creg_read.h"
#include "platform/registry/creg_serialize.h"
#include "platform/registry/reg_store.h"
#include "platform/registry/regedit4.h"

namespace dxl::tools {

namespace {

std::string FileOf(const MachineBuilder& builder, bool user) {
  return builder.InWindows(user ? "USER.DAT" : "SYSTEM.DAT");
}

}  // namespace

w95::RegHive ReadBinaryHive(const MachineBuilder& builder, bool user) {
  w95::RegHive hive{user ? "HKEY_USERS" : "HKEY_LOCAL_MACHINE"};
  std::string file = FileOf(builder, user);
  if (!std::filesystem::exists(builder.HostPath(file))) return hive;
  if (auto error = w95::ReadCregFile(builder.HostPath(file), hive))
    throw std::runtime_error("machine builder: " + file + ": " + *error);
  return hive;
}

void EditBinaryHive(MachineBuilder& builder, bool user, const std::vector<std::string>& path,
                    const std::function<void(w95::RegHive&, const std::vector<std::string>&)>& edit) {
  w95::RegHive hive = ReadBinaryHive(builder, user);
  std::vector<std::string> full = path;
  if (user) full.insert(full.begin(), ".Default");
  if (user) hive.Create({".Default"});
  edit(hive, full);
  const auto& used = builder.UsedHives();
  builder.File(FileOf(builder, user), used ? UsedCregHive(hive.Root(), *used) : w95::SerializeCreg(hive.Root()));
  // A real installation always has both files, and the registry takes the binary store only when SYSTEM.DAT is there.
  if (!std::filesystem::exists(builder.HostPath(FileOf(builder, !user))))
    EditBinaryHive(builder, !user, {}, [](w95::RegHive&, const std::vector<std::string>&) {});
}

void ConvertHivesToBinary(MachineBuilder& builder) {
  for (bool user : {false, true}) {
    const auto& layout = w95::LayoutOf(user ? w95::RootKey::CurrentUser : w95::RootKey::LocalMachine);
    std::string text = builder.InWindows(layout.fileName);
    if (!std::filesystem::exists(builder.HostPath(text))) continue;
    w95::RegHive parsed{std::string(layout.rootName)};
    if (auto error = w95::ParseRegedit4(builder.Read(text), layout.fileRoots, parsed))
      throw std::runtime_error("machine builder: " + text + " line " + std::to_string(error->line));
    EditBinaryHive(builder, user, {}, [&](w95::RegHive& hive, const std::vector<std::string>& at) {
      w95::CopyRegTree(parsed.Root(), hive.Create(at));
    });
    builder.Remove(text);
  }
  // Both files, empty when there was nothing to convert, as on a real installation.
  EditBinaryHive(builder, false, {}, [](w95::RegHive&, const std::vector<std::string>&) {});
}

}  // namespace dxl::tools
