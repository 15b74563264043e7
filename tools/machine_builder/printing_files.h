// The files of the printing system on a built machine and their set-up
// information, DXLQ7SET.INF in the system directory: one table of files, each
// written right by size, time stamp and version, with helpers that make one
// of them wrong or missing.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "machine_builder/executables.h"
#include "machine_builder/machine_builder.h"

namespace dxl::tools {

enum class FileKind { Ne, Le, Pe, Data };

struct PrintingFile {
  std::string_view section;  // "Win4System" or "pcl"
  std::string_view name;
  std::string_view directory;  // "WINDOWS", "SYSTEM" or "DXLDIR"
  FileKind kind;
  std::string_view version;  // four numbers, or "0" for a file without version information
  std::uint32_t size;
  std::string_view stamp;  // "YYYY/MM/DD HH:MM:SS", local time
};

// The standard installation: the [Win4System] list, then the [pcl] list.
std::span<const PrintingFile> StandardPrintingFiles();
// The entry of `name` (any case); throws std::invalid_argument when there is none.
const PrintingFile& StandardPrintingFile(std::string_view name);

// The Windows path of a file in the directory a keyword names.
std::string PrintingFilePath(const MachineBuilder& builder, std::string_view directory, std::string_view name);

// Sets a file's last-write time from a stamp in the machine's local time
// (MACHINE.INI [Clock] Bias honoured).
void SetLocalFileTime(MachineBuilder& builder, std::string_view windowsPath, std::string_view stamp);

// Writes `file` as the table says: its contents, size and time stamp.
void WritePrintingFile(MachineBuilder& builder, const PrintingFile& file);

// One record line "1, NAME, YYYY/MM/DD, HH:MM:SS, SIZE, DIRECTORY, VERSION" with CR LF.
std::string SetupRecord(const PrintingFile& file);
// DXLQ7SET.INF listing `files` under their sections, in table order.
std::string SetupInfText(std::span<const PrintingFile> files);
void WriteSetupInf(MachineBuilder& builder, std::string_view text);
std::string SetupInfPath(const MachineBuilder& builder);

// Every file of the standard table and DXLQ7SET.INF.
void InstallPrintingFiles(MachineBuilder& builder);

// DXLQ7CST.INF [Config] DOPCL (the [pcl] list is verified when nonzero).
void SetDoPcl(MachineBuilder& builder, int value);

// Making one standard file wrong: another version (size and time stamp kept),
// another time stamp, another size (contents and time stamp kept), or missing.
void SetPrintingFileVersion(MachineBuilder& builder, std::string_view name, std::string_view version);
void SetPrintingFileTime(MachineBuilder& builder, std::string_view name, std::string_view stamp);
void SetPrintingFileSize(MachineBuilder& builder, std::string_view name, std::uint32_t size);
void RemovePrintingFile(MachineBuilder& builder, std::string_view name);

}  // namespace dxl::tools
