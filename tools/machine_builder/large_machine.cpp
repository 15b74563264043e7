#include "machine_builder/large_machine.h"

#include <cstdio>
#include <fstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "machine_builder/network_builder.h"
#include "platform/base/ini_text.h"
#include "platform/registry/regedit4.h"
#include "platform/registry/registry.h"

namespace fs = std::filesystem;

namespace dxl::tools {

namespace {

constexpr std::string_view kMachineRoot = "HKEY_LOCAL_MACHINE";

std::string Numbered(const char* format, std::size_t number) {
  char text[64];
  std::snprintf(text, sizeof text, format, static_cast<unsigned>(number));
  return text;
}

w95::RegValue Text(std::string name, std::string text) {
  text.push_back('\0');
  return w95::RegValue{std::move(name), w95::REG_SZ, std::move(text)};
}

w95::RegValue Binary(std::string name, std::size_t length, std::size_t seed) {
  std::string data(length, '\0');
  for (std::size_t i = 0; i < length; ++i) data[i] = static_cast<char>((seed * 31 + i * 7) & 0xFF);
  return w95::RegValue{std::move(name), w95::REG_BINARY, std::move(data)};
}

void AppendKey(std::string& out, const std::string& path, const std::vector<w95::RegValue>& values) {
  out += "[" + std::string(kMachineRoot) + "\\" + path + "]\r\n";
  for (const auto& value : values) out += w95::RenderRegValue(value) + "\r\n";
  out += "\r\n";
}

// The five keys of one component.
void AppendComponent(std::string& out, std::size_t n) {
  const std::string clsid = "SOFTWARE\\Classes\\CLSID\\" + Numbered("{%08X-0000-0000-C000-000000000046}", 0x20000 + n);
  const std::string device = Numbered("*PNP%04X", n);
  const std::string driver = Numbered("%04u", n);
  AppendKey(out, clsid, {Text("", Numbered("Component %u Object", n))});
  AppendKey(out, clsid + "\\InProcServer32",
            {Text("", "C:\\WINDOWS\\SYSTEM\\" + Numbered("SYS%05u.DLL", n)), Text("ThreadingModel", "Apartment")});
  AppendKey(out, "SOFTWARE\\Classes\\" + Numbered(".x%04u", n),
            {Text("", Numbered("x%04ufile", n)), Text("Content Type", Numbered("application/x-%04u", n))});
  AppendKey(
      out, "Enum\\Root\\" + device + "\\0000",
      {Text("HardwareID", device), Text("Class", "System"), Binary("ConfigFlags", 4, 0), Binary("BootConfig", 96, n),
       Text("DeviceDesc", Numbered("System board extension %u", n)), Text("Driver", "System\\" + driver)});
  AppendKey(out, "System\\CurrentControlSet\\Services\\Class\\System\\" + driver,
            {Text("DriverDesc", Numbered("System board extension %u", n)), Text("DevLoader", "*CONFIGMG"),
             Text("DriverDate", " 7-11-1995"), Text("InfPath", "MACHINE.INF"), Text("InfSection", "NO_DRV")});
}

}  // namespace

std::size_t AddRegisteredComponents(MachineBuilder& builder, std::size_t componentCount) {
  const std::string file = builder.InWindows("SYSTEM.REG");
  std::string hive = builder.Read(file);
  if (hive.empty()) hive = "REGEDIT4\r\n\r\n";
  if (!hive.ends_with("\r\n")) hive += "\r\n";
  for (std::size_t n = 0; n < componentCount; ++n) AppendComponent(hive, n);
  builder.File(file, hive);
  return componentCount * 5;
}

void AddSystemDirectoryFiles(MachineBuilder& builder, std::size_t count) {
  // Written straight into the host directory: the builder's own File() looks
  // for another spelling of every new name, which is slow for thousands.
  const fs::path directory = builder.HostPath(builder.InSystem(""));
  for (std::size_t n = 0; n < count; ++n) {
    const std::string name = Numbered("SYS%05u.DLL", n);
    std::ofstream out(directory / name, std::ios::binary | std::ios::trunc);
    out << "MZ" << name << " placeholder library of the system directory\r\n";
    if (!out) throw std::runtime_error("machine builder: cannot write " + (directory / name).string());
  }
}

void AddCrowdedServer(MachineBuilder& builder, std::string_view server, std::size_t diskShares,
                      std::size_t printShares) {
  w95::IniText ini(builder.Read("C:\\MACHINE.INI"));
  if (!ini.Value("Server " + std::string(server), "Directory")) AddServer(builder, server);
  for (std::size_t n = 0; n < diskShares; ++n) AddShare(builder, server, Numbered("DISK%03u", n));
  std::string list;
  for (std::size_t n = 0; n < printShares; ++n) list += (n ? "," : "") + Numbered("PRINT%03u", n);
  if (printShares) builder.MachineIni("Server " + std::string(server), "PrintShares", list);
}

}  // namespace dxl::tools
