// WinHelp over the emulated machine. A help file is a code page 936 text of
// numbered topics (the format is described in docs/help.md); HELP_CONTEXT
// shows one topic through the user-interface backend.
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
// HELP_QUIT succeeds (1) and closes the help window. 0 with the last error set when
// the file cannot be read (its error) or has no such topic
// (ERROR_INVALID_PARAMETER), or for another command (ERROR_NOT_SUPPORTED).
BOOL WinHelpA(std::string_view helpFile, UINT command, DWORD data);

// The topic `context` of the text of a help file; nullopt when it has none.
std::optional<ui::HelpTopic> FindHelpTopic(std::string_view fileText, DWORD context);

}  // namespace w95
