#include "platform/files/devices.h"

#include <string>

#include "platform/base/case_rules.h"
#include "platform/base/last_error.h"
#include "platform/base/text.h"
#include "platform/files/enumerated_ports.h"
#include "platform/files/file_providers.h"
#include "platform/machine/machine_ini.h"

namespace w95 {

namespace {

struct PortHardwareText {
  PortHardware state;
  std::string_view name;
};

constexpr PortHardwareText kPortHardwareNames[] = {
    {PortHardware::Present, "present"},
    {PortHardware::InUse, "in use"},
    {PortHardware::Absent, "absent"},
};

// An opened device: what is written is accepted and dropped (nothing is
// attached that could print), a read finds no data, the position stays 0.
class DeviceFile : public FileObject {
 public:
  explicit DeviceFile(DWORD access) : access_(access) {}

  bool Read(std::span<char>, DWORD& bytesRead) override {
    bytesRead = 0;
    if (!(access_ & GENERIC_READ)) return Fail(ERROR_ACCESS_DENIED, false);
    return true;
  }

  bool Write(std::string_view bytes, DWORD& bytesWritten) override {
    bytesWritten = 0;
    if (!(access_ & GENERIC_WRITE)) return Fail(ERROR_ACCESS_DENIED, false);
    bytesWritten = static_cast<DWORD>(bytes.size());
    return true;
  }

  DWORD Seek(LONG, DWORD) override { return 0; }
  DWORD Size() override { return 0; }

 private:
  DWORD access_;
};

// The port number of "LPTn" or "PRN"; nullopt for other devices.
std::optional<unsigned> ParallelPortNumber(std::string_view device) {
  if (device == "PRN") return 1;
  if (device.size() == 4 && device.starts_with("LPT") && device[3] >= '1' && device[3] <= '9')
    return static_cast<unsigned>(device[3] - '0');
  return std::nullopt;
}

std::unique_ptr<FileObject> OpenParallelPort(Machine& machine, unsigned number, DWORD access) {
  switch (ParallelPortHardware(machine, number)) {
    case PortHardware::Present: return std::make_unique<DeviceFile>(access);
    case PortHardware::InUse: return Fail(ERROR_ACCESS_DENIED, std::unique_ptr<FileObject>());
    case PortHardware::Absent: break;
  }
  return Fail(ERROR_FILE_NOT_FOUND, std::unique_ptr<FileObject>());
}

}  // namespace

std::string_view PortHardwareName(PortHardware state) {
  for (const auto& entry : kPortHardwareNames)
    if (entry.state == state) return entry.name;
  return {};
}

std::optional<PortHardware> ParsePortHardware(std::string_view text) {
  std::string_view trimmed = Trim(text);
  for (const auto& entry : kPortHardwareNames)
    if (EqualsNoCase(trimmed, entry.name)) return entry.state;
  return std::nullopt;
}

PortHardware ParallelPortHardware(Machine& machine, unsigned number) {
  auto setting = MachineSetting(machine, kParallelPortsSection, "LPT" + std::to_string(number));
  if (setting) {
    if (auto state = ParsePortHardware(*setting)) return *state;
  }
  // Without a MACHINE.INI that describes the ports, the ports Windows found.
  if (MachineSettingKeys(machine, kParallelPortsSection).empty()) {
    const auto& found = EnumeratedParallelPorts(machine);
    if (!found.empty()) return found.contains(number) ? PortHardware::Present : PortHardware::Absent;
  }
  return number == 1 ? PortHardware::Present : PortHardware::Absent;
}

// Parallel ports as MACHINE.INI describes them; NUL always opens; the serial
// ports and the console are not part of the emulated machine.
std::unique_ptr<FileObject> OpenDeviceFile(Machine& machine, const ParsedPath& path, DWORD desiredAccess) {
  if (auto number = ParallelPortNumber(path.device)) return OpenParallelPort(machine, *number, desiredAccess);
  if (path.device == "NUL") return std::make_unique<DeviceFile>(desiredAccess);
  return Fail(ERROR_FILE_NOT_FOUND, std::unique_ptr<FileObject>());
}

}  // namespace w95
