// Whether a directory holds a Windows 95 installation the program can work on:
// a Windows directory (MSDOS.SYS [Paths] WinDir, else C:\WINDOWS) with
// SYSTEM.INI and a registry (SYSTEM.DAT, or the text hive SYSTEM.REG).
#pragma once

#include <filesystem>
#include <optional>
#include <string>

namespace dxl {

// What is missing, in one or two lines for standard error (what was looked
// for, where, and what to set); nothing when the installation is there.
std::optional<std::string> InstallationProblem(const std::filesystem::path& root);

}  // namespace dxl
