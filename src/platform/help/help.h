// WinHelp over the emulated machine. A help file is a WinHelp file of
// Windows 3.1 or 95 (platform/help/winhelp_file.h, docs/help.md);
// HELP_CONTEXT shows one topic, its title and paragraphs, through the
// user-interface backend.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "platform/base/win_types.h"
#include "platform/ui/backend.h"

namespace w95 {

constexpr UINT HELP_CONTEXT = 0x0001;
constexpr UINT HELP_QUIT = 0x0002;

// Shows the topic `data` of `helpFile` (a Windows path) for HELP_CONTEXT;
// HELP_QUIT succeeds (1) and closes the help window. 0 with the last error set
// when the file cannot be read (its error), is no help file or is damaged
// (ERROR_INVALID_DATA), or has no such topic (ERROR_INVALID_PARAMETER), or
// for another command (ERROR_NOT_SUPPORTED).
BOOL WinHelpA(std::string_view helpFile, UINT command, DWORD data);

// The topic `context` of the bytes of a help file, its paragraphs as lines
// of the body; nullopt with the last error set as WinHelpA sets it.
std::optional<ui::HelpTopic> FindHelpTopic(std::string_view fileBytes, DWORD context);

}  // namespace w95
