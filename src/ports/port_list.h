// The entries of the start page's port list and what a chosen entry means.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/spooler/spooler.h"

namespace dxl {

// The spooler's port records (EnumPortsA level 2 into a 16,384-byte buffer);
// empty when the call fails.
std::vector<w95::PortInfo2> SpoolerPortRecords();

// One entry per spooler port whose name contains "LPT": "<name>[<remote
// name>]" for a redirected port, "<name>[本地]" for a local one.
std::vector<std::string> SpoolerPortEntries(const std::vector<w95::PortInfo2>& ports);

// Whether HKEY_CLASSES_ROOT can be opened for reading.
bool CanReadClassesRoot();

// "<port>[不存在]" for each remote printer of the family whose port the
// spooler does not list, in enumeration order, each text once.
std::vector<std::string> MissingRemotePortEntries(const std::vector<w95::PortInfo2>& ports);

// Reads what the port list is made of (WIN.INI, the connections, the
// registry), so that the start page finds it kept: done while the Qt pages
// load, the page then waits for none of it. Nothing is shown or changed.
void ReadPortListSources();

// What the selected entry text names.
struct PortChoice {
  std::int32_t portNumber = 0;
  bool portNotLocal = true;
  // The entry names a parallel port LPT0 to LPT9 that the checks can work on.
  bool checkable = false;
};

PortChoice ChoosePort(std::string_view entryText, const std::vector<w95::PortInfo2>& ports);

}  // namespace dxl
