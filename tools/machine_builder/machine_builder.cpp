#include "machine_builder/machine_builder.h"

#include <algorithm>
#include <ctime>
#include <fstream>
#include <sstream>
#include <stdexcept>

#include "machine_builder/binary_hives.h"
#include "machine_builder/help_file.h"
#include "machine_builder/hives.h"
#include "machine_builder/printing_files.h"
#include "platform/base/case_rules.h"
#include "platform/base/cp936.h"
#include "platform/base/cp936_chars.h"
#include "platform/base/ini_text.h"
#include "platform/base/text.h"

namespace fs = std::filesystem;

namespace dxl::tools {

namespace {

std::string Crlf(std::string_view text) {
  std::string out;
  for (char c : text) {
    if (c == '\n') out += '\r';
    out += c;
  }
  return out;
}

// `dir/name`, spelt as an entry that exists already without regard to case:
// Windows' file system holds no two names that differ only in case.
fs::path ExistingSpelling(const fs::path& dir, const std::string& name) {
  std::error_code ec;
  if (fs::exists(dir / name, ec)) return dir / name;
  for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
    std::string entry = it->path().filename().string();
    if (w95::EqualsNoCase(entry, name)) return it->path();
  }
  return dir / name;
}

}  // namespace

std::string StandardSystemIni() {
  return Crlf(
      "[boot]\n"
      "shell=Explorer.exe\n"
      "system.drv=system.drv\n"
      "drivers=mmsystem.dll\n"
      "\n"
      "[386Enh]\n"
      "device=DXLCPEPY.386\n"
      "device=DXLBANDS.386\n"
      "device=DXLQ7EM.386\n"
      "device=*vpd\n"
      "mouse=*vmouse, msmouse.vxd\n"
      "\n"
      "[drivers]\n"
      "wavemapper=*.drv\n");
}

std::string StandardWinIni() {
  return Crlf(
      "[windows]\n"
      "load=DXLHRC.EXE\n"
      "run=\n"
      "NullPort=None\n"
      "device=Tavix KRT-310,DXLQ7,LPT1:\n"
      "\n"
      "[Devices]\n"
      "Tavix KRT-310=DXLQ7,LPT1:\n"
      "\n"
      "[PrinterPorts]\n"
      "Tavix KRT-310=DXLQ7,LPT1:,15,45\n"
      "\n"
      "[Ports]\n"
      "LPT1:=\n"
      "LPT2:=\n"
      "COM1:=9600,n,8,1,x\n"
      "FILE:=\n");
}

MachineBuilder::MachineBuilder(fs::path root, std::string windowsDirectory)
    : root_(std::move(root)), windowsDirectory_(std::move(windowsDirectory)) {
  fs::create_directories(root_);
  File("C:\\MSDOS.SYS", Crlf("[Paths]\nWinDir=" + windowsDirectory_ + "\nWinBootDir=" + windowsDirectory_ +
                             "\nHostWinBootDrv=C\n\n[Options]\nBootGUI=1\n"));
  Directory(windowsDirectory_);
  Directory(InWindows("SYSTEM"));
  Directory(InWindows("TEMP"));
  Directory(InWindows("DXL"));
}

MachineBuilder& MachineBuilder::UseBinaryRegistry() {
  binaryRegistry_ = true;
  ConvertHivesToBinary(*this);
  return *this;
}

MachineBuilder& MachineBuilder::UseUsedHives(const UsedHiveOptions& options) {
  usedHives_ = options;
  if (!binaryRegistry_) return *this;
  // Both hives laid out again, once each; SYSTEM.DAT with the installation's keys.
  for (bool user : {false, true})
    EditBinaryHive(*this, user, {}, [&](w95::RegHive& hive, const std::vector<std::string>&) {
      if (!user && options.installationKeys)
        AddUsedInstallationKeys(hive.Root(), options.installationKeys, options.seed);
    });
  return *this;
}

std::string MachineBuilder::InWindows(std::string_view relative) const {
  return windowsDirectory_ + "\\" + std::string(relative);
}

std::string MachineBuilder::InSystem(std::string_view relative) const {
  return InWindows("SYSTEM\\" + std::string(relative));
}

fs::path MachineBuilder::HostPath(std::string_view windowsPath) const {
  std::string_view rest = windowsPath;
  if (rest.size() >= 2 && rest[1] == ':') rest.remove_prefix(2);
  fs::path path = root_;
  size_t pos = 0;
  while (pos <= rest.size()) {
    size_t end = pos;  // a double-byte character's trail byte may be 0x5C
    while (end < rest.size() && rest[end] != '\\' && rest[end] != '/') end += w95::Cp936CharSize(rest, end);
    end = std::min(end, rest.size());
    std::string_view part = rest.substr(pos, end - pos);
    if (part == "..") throw std::invalid_argument("machine builder: '..' in " + std::string(windowsPath));
    if (!part.empty()) path = ExistingSpelling(path, w95::Cp936ToUtf8(part).value_or(std::string(part)));
    pos = end + 1;
  }
  return path;
}

MachineBuilder& MachineBuilder::File(std::string_view windowsPath, std::string_view bytes) {
  fs::path path = HostPath(windowsPath);
  fs::create_directories(path.parent_path());
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (!out) throw std::runtime_error("machine builder: cannot write " + path.string());
  return *this;
}

MachineBuilder& MachineBuilder::Directory(std::string_view windowsPath) {
  fs::create_directories(HostPath(windowsPath));
  return *this;
}

MachineBuilder& MachineBuilder::Remove(std::string_view windowsPath) {
  fs::remove_all(HostPath(windowsPath));
  return *this;
}

MachineBuilder& MachineBuilder::FileTime(std::string_view windowsPath, std::string_view stamp) {
  std::tm tm{};
  std::istringstream in{std::string(stamp)};
  char sep;
  in >> tm.tm_year >> sep >> tm.tm_mon >> sep >> tm.tm_mday >> tm.tm_hour >> sep >> tm.tm_min >> sep >> tm.tm_sec;
  if (!in) throw std::invalid_argument("machine builder: bad time stamp " + std::string(stamp));
  tm.tm_year -= 1900;
  tm.tm_mon -= 1;
  auto seconds = timegm(&tm);
  auto time = fs::file_time_type::clock::from_sys(std::chrono::system_clock::from_time_t(seconds));
  fs::last_write_time(HostPath(windowsPath), time);
  return *this;
}

MachineBuilder& MachineBuilder::MachineIni(std::string_view section, std::string_view key,
                                           std::optional<std::string_view> value) {
  w95::IniText ini(Read("C:\\MACHINE.INI"));
  if (value) {
    ini.SetValue(section, key, *value);
  } else {
    ini.DeleteKey(section, key);
  }
  return File("C:\\MACHINE.INI", ini.Bytes());
}

MachineBuilder& MachineBuilder::InstallPrintingSystem() {
  SystemIni(StandardSystemIni());
  WinIni(StandardWinIni());
  WriteHelpFile(*this);
  WriteStandardHives(*this);
  InstallPrintingFiles(*this);
  return *this;
}

std::string MachineBuilder::Read(std::string_view windowsPath) const {
  std::ifstream in(HostPath(windowsPath), std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

}  // namespace dxl::tools
