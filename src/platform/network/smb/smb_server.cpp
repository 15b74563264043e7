#include "platform/network/smb/smb_server.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>

#include "platform/base/case_rules.h"
#include "platform/base/cp936.h"
#include "platform/base/last_error.h"
#include "platform/base/text.h"
#include "platform/network/smb/client/smb_client.h"
#include "platform/network/smb/smb_client_module.h"
#include "platform/network/smb/tcp_probe.h"

namespace w95 {

namespace {

// A server that takes longer than this to accept a connection counts as down.
constexpr std::chrono::milliseconds kConnectTimeout{1500};
// Each SMB request after that.
constexpr int kRequestTimeoutMs = 5000;

// Errors that mean the server itself did not answer (or did not speak SMB).
bool IsServerFailure(int error) {
  switch (error) {
    case ECONNREFUSED:
    case ECONNRESET:
    case ECONNABORTED:
    case ETIMEDOUT:
    case EHOSTUNREACH:
    case ENETUNREACH:
    case EHOSTDOWN:
    case ENETDOWN:
    case EPIPE:
    case EINVAL:
    case EIO: return true;
    default: return false;
  }
}

DWORD ErrorOfEntry(int error, DWORD missing) {
  if (IsServerFailure(error)) return ERROR_BAD_NETPATH;
  if (error == EACCES || error == EPERM) return ERROR_ACCESS_DENIED;
  if (error == ENOMEM) return ERROR_NOT_ENOUGH_MEMORY;
  if (error == EISDIR) return ERROR_ACCESS_DENIED;
  return missing;
}

// Everything but unreserved URL characters travels percent-encoded, so that
// no name can add a component or a query to the URL.
std::string EncodeComponent(std::string_view utf8) {
  static const char kHex[] = "0123456789ABCDEF";
  std::string out;
  for (unsigned char c : utf8) {
    if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' || c == '.' ||
        c == '_' || c == '~') {
      out += static_cast<char>(c);
    } else {
      out += '%';
      out += kHex[c >> 4];
      out += kHex[c & 15];
    }
  }
  return out;
}

bool IsPlainComponent(std::string_view name) {
  return IsValidNetName(name) && name.find_first_of("*?") == std::string_view::npos;
}

DWORD DosAttributes(std::uint16_t attrs, bool directory) {
  DWORD attributes = attrs & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM |
                              FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_ARCHIVE);
  if (directory) attributes |= FILE_ATTRIBUTE_DIRECTORY;
  return attributes ? attributes : FILE_ATTRIBUTE_NORMAL;
}

// A file of a share opened for reading.
class SmbFile : public FileObject {
 public:
  explicit SmbFile(std::unique_ptr<smb::File> file) : file_(std::move(file)) {}

  bool Read(std::span<char> buffer, DWORD& bytesRead) override {
    bytesRead = 0;
    int error = 0;
    while (bytesRead < buffer.size()) {
      ssize_t n = file_->Read(buffer.data() + bytesRead, buffer.size() - bytesRead, error);
      if (n < 0) return Fail(ERROR_READ_FAULT, false);
      if (n == 0) break;
      bytesRead += static_cast<DWORD>(n);
    }
    return true;
  }

  bool Write(std::string_view, DWORD& bytesWritten) override {
    bytesWritten = 0;
    return Fail(ERROR_ACCESS_DENIED, false);
  }

  DWORD Seek(LONG distance, DWORD method) override {
    int error = 0;
    off_t base = 0;
    if (method == FILE_CURRENT) {
      base = file_->Seek(0, SEEK_CUR, error);
    } else if (method == FILE_END) {
      DWORD size = Size();
      if (size == INVALID_FILE_SIZE) return INVALID_SET_FILE_POINTER;
      base = size;
    } else if (method != FILE_BEGIN) {
      return Fail(ERROR_INVALID_PARAMETER, INVALID_SET_FILE_POINTER);
    }
    if (base < 0) return Fail(ERROR_INVALID_PARAMETER, INVALID_SET_FILE_POINTER);
    if (base + distance < 0) return Fail(ERROR_NEGATIVE_SEEK, INVALID_SET_FILE_POINTER);
    off_t pos = file_->Seek(base + distance, SEEK_SET, error);
    if (pos < 0) return Fail(ERROR_INVALID_PARAMETER, INVALID_SET_FILE_POINTER);
    return static_cast<DWORD>(pos);
  }

  DWORD Size() override {
    struct stat st;
    int error = 0;
    if (!file_->Stat(st, error)) return Fail(ERROR_INVALID_HANDLE, INVALID_FILE_SIZE);
    return static_cast<DWORD>(st.st_size);
  }

 private:
  std::unique_ptr<smb::File> file_;
};

// The host part of the server's URLs (an IPv6 address in brackets).
std::string UrlHost(const std::string& address) {
  return address.find(':') != std::string::npos ? "[" + address + "]" : address;
}

}  // namespace

SmbServer::SmbServer(std::string name, SmbServerSettings settings)
    : name_(std::move(name)), settings_(std::move(settings)) {}

SmbServer::~SmbServer() = default;

bool SmbServer::Connect() {
  if (tried_) return connected_ || Fail(ERROR_BAD_NETPATH, false);
  tried_ = true;
  if (!settings_.declaredReachable || settings_.address.empty()) return Fail(ERROR_BAD_NETPATH, false);
  if (!AcceptsConnections(settings_.address, settings_.port, kConnectTimeout)) return Fail(ERROR_BAD_NETPATH, false);
  smb::ClientSettings client{settings_.port, kRequestTimeoutMs, settings_.workgroup, settings_.user,
                             settings_.password};
  client_ = OpenSmbClient(client);
  if (!client_) return Fail(ERROR_BAD_NETPATH, false);
  int error = 0;
  auto shares = client_->ListShares("smb://" + UrlHost(settings_.address) + "/", error);
  if (!shares) return Fail(ERROR_BAD_NETPATH, false);
  for (const auto& share : *shares) {
    if (share.kind == smb::ShareKind::Other) continue;
    auto name = Utf8ToCp936(share.name);
    // Administrative shares ("print$") are hidden from the neighbourhood.
    if (!name || !IsValidNetName(*name) || name->ends_with('$')) continue;
    (share.kind == smb::ShareKind::Disk ? diskShares_ : printShares_).push_back(*name);
  }
  connected_ = true;
  return true;
}

bool SmbServer::Reachable() { return Connect(); }

std::optional<std::vector<std::string>> SmbServer::ListShares() {
  if (!Connect()) return std::nullopt;
  return diskShares_;
}

std::optional<std::vector<std::string>> SmbServer::ListPrintShares() {
  if (!Connect()) return std::nullopt;
  return printShares_;
}

std::optional<std::string> SmbServer::EntryUrl(std::string_view share, const std::vector<std::string>& path) {
  using Result = std::optional<std::string>;
  if (!Connect()) return Result();
  auto found = std::find_if(diskShares_.begin(), diskShares_.end(),
                            [&](const std::string& name) { return EqualsNoCase(name, share); });
  if (found == diskShares_.end()) return Fail(ERROR_BAD_NET_NAME, Result());
  auto shareUtf8 = Cp936ToUtf8(*found);  // the server's own spelling came from UTF-8
  if (!shareUtf8) return Fail(ERROR_BAD_NET_NAME, Result());
  std::string url = "smb://" + UrlHost(settings_.address) + "/" + EncodeComponent(*shareUtf8);
  for (const auto& component : path) {
    auto utf8 = Cp936ToUtf8(component);
    if (!IsPlainComponent(component) || !utf8) return Fail(ERROR_INVALID_NAME, Result());
    url += "/" + EncodeComponent(*utf8);
  }
  return url;
}

std::optional<std::vector<FindData>> SmbServer::FindEntries(std::string_view share,
                                                            const std::vector<std::string>& directory,
                                                            std::string_view pattern) {
  using Result = std::optional<std::vector<FindData>>;
  auto url = EntryUrl(share, directory);
  if (!url) return GetLastError() == ERROR_INVALID_NAME ? Fail(ERROR_PATH_NOT_FOUND, Result()) : Result();
  int error = 0;
  auto listed = client_->ListDirectory(*url, error);
  if (!listed) return Fail(ErrorOfEntry(error, ERROR_PATH_NOT_FOUND), Result());
  std::vector<FindData> entries;
  for (const auto& info : *listed) {
    auto name = Utf8ToCp936(info.name);
    if (!name || name->empty()) continue;  // a name this code page cannot spell
    bool dot = *name == "." || *name == "..";
    if ((dot && directory.empty()) || !MatchesWildcard(pattern, *name)) continue;
    bool isDirectory = info.directory || (info.dosAttributes & FILE_ATTRIBUTE_DIRECTORY);
    FindData data;
    data.fileName = *name;
    data.attributes = DosAttributes(info.dosAttributes, isDirectory);
    data.lastWriteTime = FileTimeFromUnix(info.lastWrite.tv_sec, info.lastWrite.tv_nsec);
    data.size = isDirectory ? 0 : info.size;
    entries.push_back(std::move(data));
  }
  return entries;
}

std::unique_ptr<FileObject> SmbServer::OpenForReading(std::string_view share, const std::vector<std::string>& path) {
  using Result = std::unique_ptr<FileObject>;
  if (path.empty()) return Connect() ? Fail(ERROR_ACCESS_DENIED, Result()) : Result();
  auto url = EntryUrl(share, path);
  if (!url) return Result();
  struct stat st;
  int error = 0;
  if (!client_->Stat(*url, st, error)) {
    if (error != ENOENT && error != ENOTDIR) return Fail(ErrorOfEntry(error, ERROR_FILE_NOT_FOUND), Result());
    // A missing file, or a directory on its way that is missing?
    auto parent = EntryUrl(share, std::vector<std::string>(path.begin(), path.end() - 1));
    struct stat parentStat;
    bool parentIsDirectory = parent && client_->Stat(*parent, parentStat, error) && S_ISDIR(parentStat.st_mode);
    return Fail(parentIsDirectory ? ERROR_FILE_NOT_FOUND : ERROR_PATH_NOT_FOUND, Result());
  }
  if (S_ISDIR(st.st_mode)) return Fail(ERROR_ACCESS_DENIED, Result());
  auto file = client_->OpenForReading(*url, error);
  if (!file) return Fail(ErrorOfEntry(error, ERROR_FILE_NOT_FOUND), Result());
  return std::make_unique<SmbFile>(std::move(file));
}

}  // namespace w95
