#include <charconv>

#include "platform/base/ini_text.h"
#include "platform/base/text.h"
#include "platform/network/smb/smb_server.h"

namespace w95 {

namespace {

std::uint16_t ParsePort(std::string_view text) {
  unsigned value = 0;
  auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size() || value == 0 || value > 65535) return 0;
  return static_cast<std::uint16_t>(value);
}

}  // namespace

SmbServerSettings SmbSettingsFromIni(const IniText& ini, const std::string& section, const std::string& name,
                                     bool declaredReachable) {
  auto value = [&](std::string_view key) { return std::string(Trim(ini.Value(section, key).value_or(""))); };
  SmbServerSettings settings;
  settings.address = value("Address");
  if (settings.address.empty()) settings.address = name;
  std::string port = value("Port");
  if (!port.empty()) settings.port = ParsePort(port);
  settings.user = value("User");
  settings.password = ini.Value(section, "Password").value_or("");
  std::string workgroup = value("Workgroup");
  if (!workgroup.empty()) settings.workgroup = workgroup;
  settings.declaredReachable = declaredReachable;
  return settings;
}

}  // namespace w95
