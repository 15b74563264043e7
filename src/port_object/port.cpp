#include "port_object/port.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <memory>
#include <new>

#include "platform/base/last_error.h"
#include "platform/registry/registry.h"

namespace dxl {

namespace {

constexpr std::size_t kRemoteNameBuffer = 261;
constexpr const char* kPersistentPrefix = "Network\\Persistent\\LPT";

// The number after "LPT", read with automatic base as strtol does.
std::int32_t PortNumberOf(const std::string& name) {
  if (name.size() < 3) return 0;
  return static_cast<std::int32_t>(std::strtol(name.c_str() + 3, nullptr, 0));
}

void ReportOutOfMemory(const char* line) { std::cout << line << std::endl; }

}  // namespace

Port::Port(std::string_view localName) : name(localName), portNumber(PortNumberOf(name)) {
  w95::DWORD length = kRemoteNameBuffer;
  std::string remote;
  if (w95::WNetGetConnectionA(name, remote, length) != w95::ERROR_SUCCESS) {
    lastError = w95::GetLastError();
    if (lastError != w95::ERROR_SUCCESS && lastError != w95::ERROR_CONNECTION_UNAVAIL) return;
  }
  remoteName = remote;
}

std::string Port::GetServerName() const {
  if (remoteName.empty()) return std::string();
  std::unique_ptr<char[]> buffer(new (std::nothrow) char[remoteName.size() + 1]);
  if (!buffer) {
    ReportOutOfMemory("Port::GetServerName(): Ran out of memory.");
    return std::string();
  }
  std::memcpy(buffer.get(), remoteName.c_str(), remoteName.size() + 1);
  char* end = buffer.get();
  while (*end == '\\') ++end;
  while (*end != '\0' && *end != '\\') ++end;
  *end = '\0';
  return std::string(buffer.get());
}

int Port::IsPersitentRedirected() const {
  // Room for the prefix, any port number and the NUL.
  const std::size_t size = std::strlen(kPersistentPrefix) + 12;
  std::unique_ptr<char[]> keyName(new (std::nothrow) char[size]);
  if (!keyName) {
    ReportOutOfMemory("Port::IsPersitentRedirected(): Ran out of memory");
    return 0;
  }
  std::snprintf(keyName.get(), size, "%s%d", kPersistentPrefix, static_cast<int>(portNumber));
  w95::RegKey key;
  if (w95::RegOpenKeyExA(w95::RootKey::CurrentUser, keyName.get(), 0, w95::KEY_ALL_ACCESS, key) != w95::ERROR_SUCCESS)
    return 0;
  w95::DWORD valueSize = 0;
  int answer = 0;
  if (w95::RegQueryValueExA(key, "RemotePath", nullptr, nullptr, valueSize) == w95::ERROR_SUCCESS) {
    // Only the value's presence counts; its text is read but not compared.
    std::string value;
    w95::DWORD readSize = valueSize + 1;
    w95::RegQueryValueExA(key, "RemotePath", nullptr, &value, readSize);
    answer = 1;
  }
  w95::RegCloseKey(key);
  return answer;
}

}  // namespace dxl
