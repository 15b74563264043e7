#include <new>
#include <vector>

#include "platform/base/last_error.h"
#include "platform/files/files.h"
#include "port_object/port.h"

namespace dxl {

namespace {

constexpr w95::DWORD kEnumBufferSize = 16384;
constexpr w95::DWORD kAllThatFit = 0xFFFFFFFFu;

w95::NetResource ServerRecord(const std::string& name, w95::DWORD type, w95::DWORD usage) {
  w95::NetResource record;
  record.dwScope = w95::RESOURCE_GLOBALNET;
  record.dwType = type;
  record.dwUsage = usage;
  record.remoteName = name;
  return record;
}

}  // namespace

std::uint32_t NetworkResource::Enumerate(std::uint32_t scope, std::uint32_t type, std::uint32_t usage,
                                         const w95::NetResource& resource) {
  w95::NetEnumHandle handle;
  lastError = w95::WNetOpenEnumA(scope, type, usage, &resource, handle);
  if (lastError != w95::ERROR_SUCCESS) return lastError;
  // The entries of one 16,384-byte buffer; the smallest entry takes 32 bytes.
  std::vector<w95::NetResource> entries;
  try {
    entries.reserve(kEnumBufferSize / 32);
  } catch (const std::bad_alloc&) {
    lastError = w95::ERROR_NOT_ENOUGH_MEMORY;
    w95::SetLastError(w95::ERROR_NOT_ENOUGH_MEMORY);
    return lastError;
  }
  w95::DWORD count = kAllThatFit;
  w95::DWORD size = kEnumBufferSize;
  lastError = w95::WNetEnumResourceA(handle, count, entries, size);
  w95::WNetCloseEnum(handle);
  return lastError;
}

int NetworkResource::CanAccess() {
  constexpr auto usage = w95::RESOURCEUSAGE_CONNECTABLE | w95::RESOURCEUSAGE_CONTAINER;
  Enumerate(w95::RESOURCE_GLOBALNET, w95::RESOURCETYPE_ANY, usage, ServerRecord(name, w95::RESOURCETYPE_ANY, usage));
  return lastError == 0 ? 1 : 0;
}

int NetworkResource::CanAccessPrinters() {
  Enumerate(w95::RESOURCE_GLOBALNET, w95::RESOURCETYPE_PRINT, w95::RESOURCEUSAGE_CONNECTABLE,
            ServerRecord(name, w95::RESOURCETYPE_PRINT, w95::RESOURCEUSAGE_CONNECTABLE));
  return lastError == 0 ? 1 : 0;
}

int NetworkResource::HasDirectory(std::string_view subDirectory) const {
  std::string pattern = name + "\\" + std::string(subDirectory) + "\\*.*";
  w95::FindData data;
  w95::FindHandle find = w95::FindFirstFileA(pattern, data);
  if (!find) return 0;
  w95::FindClose(find);
  return 1;
}

}  // namespace dxl
