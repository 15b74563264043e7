// The SMB client as the SMB server backend uses it: libsmbclient behind a
// narrow interface of plain types. It is built as the module dxlq7trs-smb.so
// (platform/base/backend_module.h), loaded the first time a run asks a server
// declared Backend=smb, so that no other run maps libsmbclient and its
// hundred libraries. The module shares no state with the program: it uses no
// platform code, only libsmbclient, and answers errors as errno values.
#pragma once

#include <sys/stat.h>
#include <sys/types.h>

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace w95::smb {

struct ClientSettings {
  std::uint16_t port = 445;
  int requestTimeoutMs = 5000;
  std::string workgroup;
  std::string user;  // empty: guest
  std::string password;
};

enum class ShareKind { Disk, Print, Other };

struct Share {
  std::string name;  // UTF-8, as the server spells it
  ShareKind kind = ShareKind::Other;
};

struct DirectoryEntry {
  std::string name;  // UTF-8
  std::uint16_t dosAttributes = 0;
  bool directory = false;
  std::uint64_t size = 0;
  timespec lastWrite{};
};

// A file of a share opened for reading. Failures answer -1 with `error` set.
class File {
 public:
  virtual ~File() = default;
  virtual ssize_t Read(char* buffer, size_t size, int& error) = 0;
  virtual off_t Seek(off_t offset, int whence, int& error) = 0;
  virtual bool Stat(struct stat& st, int& error) = 0;
};

// One client context with its credentials; files opened through it keep it
// alive. URLs are smb://host/share/path, components percent-encoded.
class Client {
 public:
  virtual ~Client() = default;
  virtual std::optional<std::vector<Share>> ListShares(const std::string& serverUrl, int& error) = 0;
  virtual std::optional<std::vector<DirectoryEntry>> ListDirectory(const std::string& url, int& error) = 0;
  virtual bool Stat(const std::string& url, struct stat& st, int& error) = 0;
  virtual std::unique_ptr<File> OpenForReading(const std::string& url, int& error) = 0;
};

// The module's entry point (extern "C", named kOpenClientSymbol): a new
// client the caller owns, or nullptr when it could not be set up.
using OpenClientFunction = Client* (*)(const ClientSettings* settings);
inline constexpr const char* kOpenClientSymbol = "dxlq7trs_smb_open_client";
inline constexpr const char* kModuleFileName = "dxlq7trs-smb.so";

}  // namespace w95::smb
