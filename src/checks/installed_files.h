// The installed files of the printing system, judged against the set-up
// information by size, time stamp and version.
#pragma once

#include <string>
#include <string_view>

namespace dxl {

// 1: size, time stamp and version match; 0: they do not, or the version cannot
// be read (`currentLine` then holds the current values, unless the file has no
// version information); -1: the file cannot be opened or its size taken.
int CheckInstalledFile(std::string_view path, std::string_view sizeText, std::string_view versionText,
                       std::string_view timeStampText, std::string& currentLine);

// 1 when FindFirstFileA finds the file, else 0.
int FileExists(std::string_view path);

}  // namespace dxl
