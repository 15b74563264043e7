#include "machine_builder/hives.h"

#include <filesystem>
#include <functional>
#include <stdexcept>

#include "machine_builder/binary_hives.h"
#include "platform/base/case_rules.h"
#include "platform/base/cp936.h"
#include "platform/base/ini_text.h"
#include "platform/base/text.h"
#include "platform/registry/creg_read.h"
#include "platform/registry/reg_store.h"
#include "platform/registry/regedit4.h"
#include "platform/registry/registry.h"
#include "platform/spooler/spooler.h"

namespace dxl::tools {

namespace {

using w95::RootKey;

struct Target {
  RootKey hiveRoot;
  std::vector<std::string> path;  // below the hive's root
};

Target Locate(std::string_view keyPath) {
  size_t slash = keyPath.find('\\');
  std::string_view rootName = keyPath.substr(0, slash);
  std::string_view rest = slash == std::string_view::npos ? std::string_view() : keyPath.substr(slash + 1);
  for (RootKey hiveRoot : {RootKey::LocalMachine, RootKey::CurrentUser}) {
    for (const auto& name : w95::LayoutOf(hiveRoot).fileRoots) {
      if (!w95::EqualsNoCase(name.name, rootName)) continue;
      Target target{hiveRoot, w95::SplitKeyPath(name.prefix)};
      for (auto& part : w95::SplitKeyPath(rest)) target.path.push_back(std::move(part));
      return target;
    }
  }
  throw std::invalid_argument("machine builder: no hive holds " + std::string(keyPath));
}

// Reads the hive file, lets `edit` change it, writes it back.
void EditHive(MachineBuilder& builder, std::string_view keyPath,
              const std::function<void(w95::RegHive&, const std::vector<std::string>&)>& edit) {
  Target target = Locate(keyPath);
  if (builder.BinaryRegistry())
    return EditBinaryHive(builder, target.hiveRoot == RootKey::CurrentUser, target.path, edit);
  const auto& layout = w95::LayoutOf(target.hiveRoot);
  std::string file = builder.InWindows(layout.fileName);
  w95::RegHive hive{std::string(layout.rootName)};
  if (auto error = w95::ParseRegedit4(builder.Read(file), layout.fileRoots, hive))
    throw std::runtime_error("machine builder: " + file + " line " + std::to_string(error->line) + ": " +
                             error->reason);
  edit(hive, target.path);
  builder.File(file, w95::RenderRegedit4(hive));
}

std::string Cp936(std::string_view utf8) { return w95::Utf8ToCp936(utf8).value_or(std::string(utf8)); }

struct NamedText {
  const char* name;
  std::string text;
};

}  // namespace

void SetRegistryValue(MachineBuilder& builder, std::string_view keyPath, std::string_view valueName, std::uint32_t type,
                      std::string data) {
  EditHive(builder, keyPath, [&](w95::RegHive& hive, const std::vector<std::string>& path) {
    hive.Create(path).SetValue(valueName, type, std::move(data));
  });
}

void SetRegistryText(MachineBuilder& builder, std::string_view keyPath, std::string_view valueName,
                     std::string_view text) {
  std::string data(text);
  data.push_back('\0');
  SetRegistryValue(builder, keyPath, valueName, w95::REG_SZ, std::move(data));
}

void SetRegistryDword(MachineBuilder& builder, std::string_view keyPath, std::string_view valueName,
                      std::uint32_t number) {
  std::string data(4, '\0');
  for (int i = 0; i < 4; ++i) data[i] = static_cast<char>((number >> (8 * i)) & 0xFF);
  SetRegistryValue(builder, keyPath, valueName, w95::REG_DWORD, std::move(data));
}

void SetRegistryBinary(MachineBuilder& builder, std::string_view keyPath, std::string_view valueName,
                       std::string_view bytes) {
  SetRegistryValue(builder, keyPath, valueName, w95::REG_BINARY, std::string(bytes));
}

void CreateRegistryKey(MachineBuilder& builder, std::string_view keyPath) {
  EditHive(builder, keyPath, [](w95::RegHive& hive, const std::vector<std::string>& path) { hive.Create(path); });
}

void DeleteRegistryValue(MachineBuilder& builder, std::string_view keyPath, std::string_view valueName) {
  EditHive(builder, keyPath, [&](w95::RegHive& hive, const std::vector<std::string>& path) {
    if (auto* node = hive.Find(path)) node->RemoveValue(valueName);
  });
}

void DeleteRegistryKey(MachineBuilder& builder, std::string_view keyPath) {
  EditHive(builder, keyPath, [](w95::RegHive& hive, const std::vector<std::string>& path) { hive.Remove(path); });
}

std::string HiveFile(const MachineBuilder& builder, bool user) {
  if (builder.BinaryRegistry()) return builder.InWindows(user ? "USER.DAT" : "SYSTEM.DAT");
  return builder.InWindows(w95::LayoutOf(user ? RootKey::CurrentUser : RootKey::LocalMachine).fileName);
}

namespace {

// The text of a tree read from a binary hive: every key rendered afresh (it has no text to copy).
std::string RenderWhole(w95::RegHive& hive) {
  auto markAll = [](auto& self, w95::RegNode& node) -> void {
    node.MarkChanged();
    for (const auto& child : node.Children()) self(self, *child);
  };
  for (const auto& child : hive.Root().Children()) markAll(markAll, *child);
  return w95::RenderRegedit4(hive);
}

}  // namespace

std::string HiveText(const MachineBuilder& builder, bool user) {
  std::string file = HiveFile(builder, user);
  if (!std::filesystem::exists(builder.HostPath(file))) return {};
  if (!builder.BinaryRegistry()) return builder.Read(file);
  w95::RegHive binary = ReadBinaryHive(builder, user);
  if (!user) return RenderWhole(binary);
  w95::RegHive currentUser{std::string(w95::LayoutOf(RootKey::CurrentUser).rootName)};
  if (const w95::RegNode* node = binary.Find({".Default"})) w95::CopyRegTree(*node, currentUser.Root());
  return RenderWhole(currentUser);
}

std::string PortKeyPath(std::string_view portName, bool remote) {
  return std::string("HKEY_CLASSES_ROOT\\DXL\\") + (remote ? "RemotePrinters" : "LocalPrinters") + "\\DXLQ7," +
         std::string(portName);
}

std::string StandardHelpDir(const MachineBuilder& builder) { return builder.InWindows("DXL"); }

void InstallPortKeys(MachineBuilder& builder, std::string_view portName, bool remote) {
  const NamedText entries[] = {
      {"APD", builder.InWindows("DXL\\DXLQ7APD.APD")},
      {"DeviceID", "TAVIXKRT-310__826D"},
      {"Emulation", "Tavix KRT-310 PCL Emulation"},
      {"HelpDir", StandardHelpDir(builder)},
      {"Mfg", "Tavix"},
      {"Model", "KRT-310"},
      {"Provider", "DXLQ7PSM"},
      {"Sleek", "1"},
  };
  std::string key = PortKeyPath(portName, remote);
  for (const auto& entry : entries) SetRegistryText(builder, key + "\\" + entry.name, "", entry.text);
}

void InstallSpoolerPrinter(MachineBuilder& builder, std::string_view printerName, std::string_view portName,
                           std::uint32_t attributes) {
  std::string key = std::string(kSpoolerPrintersKey) + "\\" + std::string(printerName);
  SetRegistryText(builder, key, "Name", printerName);
  SetRegistryText(builder, key, "Port", portName);
  SetRegistryText(builder, key, "Printer Driver", printerName);
  SetRegistryText(builder, key, "Print Processor", "WINPRINT");
  SetRegistryText(builder, key, "Datatype", "EMF");
  SetRegistryDword(builder, key, "Attributes", attributes);
}

void SetPrinterAttributes(MachineBuilder& builder, std::string_view printerName, std::uint32_t attributes) {
  SetRegistryDword(builder, std::string(kSpoolerPrintersKey) + "\\" + std::string(printerName), "Attributes",
                   attributes);
}

void SetDosSpoolMask(MachineBuilder& builder, std::uint32_t mask) {
  SetRegistryDword(builder, kSpoolerPrintersKey, "DOSSpoolMask", mask);
}

void SetPrintersMask(MachineBuilder& builder, std::string_view bytes) {
  SetRegistryBinary(builder, kSpoolerPrintersKey, "PrintersMask", bytes);
}

void WriteCustomSetupInf(MachineBuilder& builder, std::string_view helpDir) {
  std::string file = builder.InSystem("DXLQ7CST.INF");
  w95::IniText ini(builder.Read(file));
  ini.SetValue("Config", "DOPCL", "0");
  ini.SetValue("Config", "HELPDIR", helpDir);
  builder.File(file, ini.Bytes());
}

void WriteStandardHives(MachineBuilder& builder) {
  InstallPortKeys(builder, "LPT1:", false);
  SetRegistryText(builder, std::string(kProviderKey) + "\\InitialSpoolMethod", "", "1");
  SetRegistryText(builder, std::string(kProviderKey) + "\\Module", "", "DXLQ7PSM.DLL");

  // The spooler: bidirectional support on, MS-DOS spooling on for LPT1: to LPT8:.
  SetDosSpoolMask(builder, 0x000000FF);
  SetPrintersMask(builder, std::string("\xFF\x00\x00\x00", 4));
  InstallSpoolerPrinter(
      builder, kPrinterName,
      "LPT1:", w95::PRINTER_ATTRIBUTE_ENABLE_BIDI | w95::PRINTER_ATTRIBUTE_LOCAL | w95::PRINTER_ATTRIBUTE_DEFAULT);
  CreateRegistryKey(builder, kHardwareProfileKey);
  const NamedText driver[] = {
      {"Configuration File", "DXLQ7.DRV"}, {"Data File", "DXLQ7.DRV"}, {"Datatype", "EMF"}, {"Driver", "DXLQ7.DRV"},
      {"Monitor", "DXL Monitor"},
  };
  for (const auto& value : driver) SetRegistryText(builder, kDriverKey, value.name, value.text);

  const NamedText international[] = {
      {"Locale", "00000804"},
      {"sShortDate", "yyyy-M-d"},
      {"sTimeFormat", "H:mm:ss"},
      {"sDate", "-"},
      {"sTime", ":"},
      {"iDate", "2"},
      {"iTime", "1"},
      {"s1159", Cp936("上午")},
      {"s2359", Cp936("下午")},
  };
  for (const auto& value : international)
    SetRegistryText(builder, "HKEY_CURRENT_USER\\Control Panel\\International", value.name, value.text);

  WriteCustomSetupInf(builder, StandardHelpDir(builder));
}

}  // namespace dxl::tools
