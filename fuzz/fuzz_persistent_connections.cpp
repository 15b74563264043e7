// USER.REG of any bytes (REGEDIT4 text) under the persistent connections. What
// is read agrees with the hive as the REGEDIT4 reader loads it; a connection
// written reads back; a connection removed is gone, whatever spelling of the
// device its key had. A hive that does not load is never written.
#include <fuzzer/FuzzedDataProvider.h>

#include <map>

#include "fuzz_machine.h"
#include "fuzz_require.h"
#include "platform/machine/machine.h"
#include "platform/network/persistent_connections.h"
#include "platform/registry/reg_store.h"
#include "platform/registry/regedit4.h"

using dxl::fuzz::Require;

namespace {

constexpr std::string_view kPath = "C:\\WINDOWS\\USER.REG";

// The connections of the hive's Network\Persistent keys: a device name that
// fits the name buffer and a RemotePath text that fits the data buffer.
std::map<std::string, std::string> Expected(std::string_view text) {
  std::map<std::string, std::string> connections;
  w95::RegHive hive("HKEY_CURRENT_USER");
  if (w95::ParseRegedit4(text, w95::LayoutOf(w95::RootKey::CurrentUser).fileRoots, hive)) return connections;
  const w95::RegNode* persistent = hive.Find({"Network", "Persistent"});
  if (!persistent) return connections;
  for (const auto& key : persistent->Children()) {
    const std::string device = w95::RedirectableDevice(key->Name());
    const w95::RegValue* value = key->Value("RemotePath");
    if (device.empty() || key->Name().size() >= w95::kMaxPath || !value || value->data.size() > w95::kMaxPath) continue;
    if (value->type != w95::REG_SZ && value->type != w95::REG_EXPAND_SZ) continue;
    const std::string remote = value->data.substr(0, value->data.find('\0'));
    if (!remote.empty()) connections[device] = remote;
  }
  return connections;
}

std::string Storable(std::string text) {
  for (char& c : text)
    if (c == '\0') c = '_';
  return text;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzedDataProvider input(data, size);
  const std::string device = "LPT" + std::to_string(input.ConsumeIntegralInRange(1, 9));
  const std::string remote = "\\\\" + Storable(input.ConsumeRandomLengthString(64));
  const bool write = input.ConsumeBool();
  const std::string text = input.ConsumeRemainingBytesAsString();
  auto& machine = dxl::fuzz::FuzzMachine::Get();
  machine.Write(kPath, text);
  w95::Machine::Use(machine.Root());

  Require(w95::ReadPersistentConnections() == Expected(text), "the connections read are the hive's");
  if (!w95::RegistryLoadError(w95::RootKey::CurrentUser).empty()) {
    Require(w95::WritePersistentConnection(device, remote) == w95::ERROR_BADDB, "a broken hive refuses a write");
    Require(w95::RemovePersistentConnection(device) == w95::ERROR_BADDB, "a broken hive refuses a removal");
    Require(machine.Builder().Read(kPath) == text, "a broken hive is never written");
    return 0;
  }
  if (write) {
    Require(w95::WritePersistentConnection(device, remote) == w95::ERROR_SUCCESS, "a connection is written");
    Require(w95::ReadPersistentConnections()[device] == remote, "a connection written reads back");
  } else {
    Require(w95::RemovePersistentConnection(device) == w95::ERROR_SUCCESS, "a connection is removed");
    Require(!w95::ReadPersistentConnections().contains(device), "a connection removed is gone");
  }
  machine.CheckOutsideUntouched();
  return 0;
}
