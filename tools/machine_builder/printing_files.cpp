#include "machine_builder/printing_files.h"

#include <ctime>
#include <sstream>
#include <stdexcept>

#include "machine_builder/hives.h"
#include "platform/base/case_rules.h"
#include "platform/base/ini_text.h"
#include "platform/base/text.h"

namespace dxl::tools {

namespace {

using K = FileKind;

constexpr PrintingFile kFiles[] = {
    {"Win4System", "DXLQ7.DRV", "SYSTEM", K::Ne, "2.10.0.31", 181248, "1997/07/01 12:00:00"},
    {"Win4System", "DXLQ7PSM.DLL", "SYSTEM", K::Pe, "2.10.0.31", 45056, "1997/07/01 12:00:00"},
    {"Win4System", "DXLCPEPY.386", "SYSTEM", K::Le, "2.10.0.28", 20480, "1997/06/20 08:15:30"},
    {"Win4System", "DXLBANDS.386", "SYSTEM", K::Le, "2.10.0.28", 16384, "1997/06/20 08:15:30"},
    {"Win4System", "DXLQ7EM.386", "SYSTEM", K::Le, "2.10.0.30", 28672, "1997/06/28 17:40:02"},
    {"Win4System", "DXLHRC.EXE", "WINDOWS", K::Pe, "2.10.0.12", 61440, "1997/06/28 17:42:10"},
    {"Win4System", "DXLQ7APD.APD", "DXLDIR", K::Data, "0", 8192, "1997/07/01 12:00:00"},
    {"Win4System", "DXLHRC.BIN", "DXLDIR", K::Data, "0", 4096, "1997/07/01 12:00:00"},
    {"Win4System", "README.TXT", "DXLDIR", K::Data, "0", 2048, "1997/07/01 12:00:00"},
    {"pcl", "DXLQ7PCL.DLL", "SYSTEM", K::Pe, "2.10.0.5", 98304, "1997/06/15 10:00:00"},
    {"pcl", "DXLPCLFT.DAT", "DXLDIR", K::Data, "0", 12288, "1997/06/15 10:00:00"},
};

std::int64_t ParseStamp(std::string_view stamp) {
  std::tm tm{};
  std::istringstream in{std::string(stamp)};
  char sep;
  in >> tm.tm_year >> sep >> tm.tm_mon >> sep >> tm.tm_mday >> tm.tm_hour >> sep >> tm.tm_min >> sep >> tm.tm_sec;
  if (!in) throw std::invalid_argument("machine builder: bad time stamp " + std::string(stamp));
  tm.tm_year -= 1900;
  tm.tm_mon -= 1;
  return timegm(&tm);
}

std::string FormatStamp(std::int64_t seconds) {
  const std::time_t time = seconds;
  std::tm tm{};
  gmtime_r(&time, &tm);
  char text[32];
  std::strftime(text, sizeof text, "%Y/%m/%d %H:%M:%S", &tm);
  return text;
}

std::int64_t BiasMinutes(const MachineBuilder& builder) {
  w95::IniText ini(builder.Read("C:\\MACHINE.INI"));
  try {
    return std::stoll(ini.Value("Clock", "Bias").value_or("0"));
  } catch (const std::exception&) {
    return 0;
  }
}

std::string Contents(const PrintingFile& file, std::string_view version) {
  std::string description = std::string(file.name);
  switch (file.kind) {
    case K::Ne: return MakeExecutable(ImageFormat::Ne, version, description, file.size);
    case K::Le: return MakeExecutable(ImageFormat::Le, version, description, file.size);
    case K::Pe: return MakeExecutable(ImageFormat::Pe, version, description, file.size);
    case K::Data: return MakeDataFile(file.name, file.size);
  }
  return {};
}

std::string PathOf(const MachineBuilder& builder, const PrintingFile& file) {
  return PrintingFilePath(builder, file.directory, file.name);
}

}  // namespace

std::span<const PrintingFile> StandardPrintingFiles() { return kFiles; }

const PrintingFile& StandardPrintingFile(std::string_view name) {
  for (const PrintingFile& file : kFiles)
    if (w95::EqualsNoCase(file.name, name)) return file;
  throw std::invalid_argument("machine builder: no printing file " + std::string(name));
}

std::string PrintingFilePath(const MachineBuilder& builder, std::string_view directory, std::string_view name) {
  if (directory == "WINDOWS") return builder.InWindows(name);
  if (directory == "SYSTEM") return builder.InSystem(name);
  if (directory == "DXLDIR") return builder.InWindows("Dxl\\" + std::string(name));
  throw std::invalid_argument("machine builder: no directory " + std::string(directory));
}

void SetLocalFileTime(MachineBuilder& builder, std::string_view windowsPath, std::string_view stamp) {
  builder.FileTime(windowsPath, FormatStamp(ParseStamp(stamp) + BiasMinutes(builder) * 60));
}

void WritePrintingFile(MachineBuilder& builder, const PrintingFile& file) {
  const std::string path = PathOf(builder, file);
  builder.File(path, Contents(file, file.version));
  SetLocalFileTime(builder, path, file.stamp);
}

std::string SetupRecord(const PrintingFile& file) {
  const std::string stamp(file.stamp);
  return "1, " + std::string(file.name) + ", " + stamp.substr(0, 10) + ", " + stamp.substr(11) + ", " +
         std::to_string(file.size) + ", " + std::string(file.directory) + ", " + std::string(file.version) + "\r\n";
}

std::string SetupInfText(std::span<const PrintingFile> files) {
  std::string text =
      "[Version]\r\nSignature=\"$CHICAGO$\"\r\nClass=Printer\r\nProvider=%Tavix%\r\n\r\n"
      "[Win4System]\r\n; disk, file, date, time, size, directory, version\r\n";
  for (const PrintingFile& file : files)
    if (file.section == "Win4System") text += SetupRecord(file);
  text += "\r\n[pcl]\r\n; PCL emulation\r\n";
  for (const PrintingFile& file : files)
    if (file.section == "pcl") text += SetupRecord(file);
  text += "\r\n[Strings]\r\nTavix=\"Tavix\"\r\nDisk1=\"Tavix KRT-310 Disk 1\"\r\n";
  return text;
}

std::string SetupInfPath(const MachineBuilder& builder) { return builder.InSystem("DXLQ7SET.INF"); }

void WriteSetupInf(MachineBuilder& builder, std::string_view text) { builder.File(SetupInfPath(builder), text); }

void InstallPrintingFiles(MachineBuilder& builder) {
  for (const PrintingFile& file : kFiles) WritePrintingFile(builder, file);
  WriteSetupInf(builder, SetupInfText(kFiles));
}

void SetDoPcl(MachineBuilder& builder, int value) {
  const std::string path = builder.InSystem("DXLQ7CST.INF");
  w95::IniText ini(builder.Read(path));
  ini.SetValue("Config", "DOPCL", std::to_string(value));
  builder.File(path, ini.Bytes());
}

void SetPrintingFileVersion(MachineBuilder& builder, std::string_view name, std::string_view version) {
  const PrintingFile& file = StandardPrintingFile(name);
  if (file.kind == K::Data) throw std::invalid_argument("machine builder: no version in " + std::string(name));
  const std::string path = PathOf(builder, file);
  builder.File(path, Contents(file, version));
  SetLocalFileTime(builder, path, file.stamp);
}

void SetPrintingFileTime(MachineBuilder& builder, std::string_view name, std::string_view stamp) {
  SetLocalFileTime(builder, PathOf(builder, StandardPrintingFile(name)), stamp);
}

void SetPrintingFileSize(MachineBuilder& builder, std::string_view name, std::uint32_t size) {
  const PrintingFile& file = StandardPrintingFile(name);
  const std::string path = PathOf(builder, file);
  std::string bytes = builder.Read(path);
  bytes.resize(size, '\0');
  builder.File(path, bytes);
  SetLocalFileTime(builder, path, file.stamp);
}

void RemovePrintingFile(MachineBuilder& builder, std::string_view name) {
  builder.Remove(PathOf(builder, StandardPrintingFile(name)));
}

}  // namespace dxl::tools
