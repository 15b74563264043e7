#include "platform/network/smb/smb_server.h"

#include <fcntl.h>
#include <libsmbclient.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>

#include "platform/base/cp936.h"
#include "platform/base/last_error.h"
#include "platform/base/text.h"
#include "platform/network/smb/smb_client_config.h"
#include "platform/network/smb/tcp_probe.h"

namespace w95 {

namespace {

// A server that takes longer than this to accept a connection counts as down.
constexpr std::chrono::milliseconds kConnectTimeout{1500};
// Each SMB request after that.
constexpr int kRequestTimeoutMs = 5000;

void CopyField(char* out, int size, const std::string& value) {
  if (size <= 0) return;
  size_t n = std::min(value.size(), static_cast<size_t>(size - 1));
  std::memcpy(out, value.data(), n);
  out[n] = '\0';
}

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

}  // namespace

// One libsmbclient context with the credentials its callback hands out; open
// files keep it alive.
class SmbSession {
 public:
  static std::shared_ptr<SmbSession> Open(const SmbServerSettings& settings) {
    auto configuration = SmbClientConfiguration();
    if (!configuration) return nullptr;
    auto session = std::shared_ptr<SmbSession>(new SmbSession(settings));
    SMBCCTX* ctx = smbc_new_context();
    if (!ctx) return nullptr;
    session->ctx_ = ctx;
    smbc_setDebug(ctx, 0);
    if (smbc_setConfiguration(ctx, configuration->c_str()) != 0) return nullptr;
    smbc_setPort(ctx, settings.port);
    smbc_setTimeout(ctx, kRequestTimeoutMs);
    smbc_setOptionUseKerberos(ctx, 0);
    smbc_setOptionFallbackAfterKerberos(ctx, 1);
    // With a user named, a refused password must not quietly become a guest.
    if (!settings.user.empty()) smbc_setOptionNoAutoAnonymousLogin(ctx, 1);
    smbc_setOptionUserData(ctx, session.get());
    smbc_setFunctionAuthDataWithContext(ctx, &SmbSession::Authenticate);
    if (!smbc_init_context(ctx)) return nullptr;
    return session;
  }

  ~SmbSession() {
    if (ctx_) smbc_free_context(ctx_, 1);
  }
  SmbSession(const SmbSession&) = delete;
  SmbSession& operator=(const SmbSession&) = delete;

  SMBCCTX* ctx() const { return ctx_; }
  const std::string& Host() const { return host_; }

 private:
  explicit SmbSession(const SmbServerSettings& settings)
      : workgroup_(settings.workgroup), user_(settings.user), password_(settings.password) {
    host_ = settings.address.find(':') != std::string::npos ? "[" + settings.address + "]" : settings.address;
  }

  static void Authenticate(SMBCCTX* ctx, const char*, const char*, char* workgroup, int workgroupLength, char* user,
                           int userLength, char* password, int passwordLength) {
    auto* session = static_cast<const SmbSession*>(smbc_getOptionUserData(ctx));
    if (!session) return;
    CopyField(workgroup, workgroupLength, session->workgroup_);
    CopyField(user, userLength, session->user_);
    CopyField(password, passwordLength, session->password_);
  }

  SMBCCTX* ctx_ = nullptr;
  std::string host_;
  std::string workgroup_;
  std::string user_;
  std::string password_;
};

namespace {

// An open directory of the session, closed when it goes.
class SmbDirectory {
 public:
  SmbDirectory(std::shared_ptr<SmbSession> session, const std::string& url) : session_(std::move(session)) {
    dir_ = smbc_getFunctionOpendir(session_->ctx())(session_->ctx(), url.c_str());
  }
  ~SmbDirectory() {
    if (dir_) smbc_getFunctionClosedir(session_->ctx())(session_->ctx(), dir_);
  }
  SmbDirectory(const SmbDirectory&) = delete;
  SmbDirectory& operator=(const SmbDirectory&) = delete;

  explicit operator bool() const { return dir_ != nullptr; }
  smbc_dirent* Next() { return smbc_getFunctionReaddir(session_->ctx())(session_->ctx(), dir_); }
  const libsmb_file_info* NextWithStat(struct stat& st) {
    return smbc_getFunctionReaddirPlus2(session_->ctx())(session_->ctx(), dir_, &st);
  }

 private:
  std::shared_ptr<SmbSession> session_;
  SMBCFILE* dir_ = nullptr;
};

// A file of a share opened for reading.
class SmbFile : public FileObject {
 public:
  SmbFile(std::shared_ptr<SmbSession> session, SMBCFILE* file) : session_(std::move(session)), file_(file) {}
  ~SmbFile() override { smbc_getFunctionClose(session_->ctx())(session_->ctx(), file_); }
  SmbFile(const SmbFile&) = delete;
  SmbFile& operator=(const SmbFile&) = delete;

  bool Read(std::span<char> buffer, DWORD& bytesRead) override {
    bytesRead = 0;
    auto read = smbc_getFunctionRead(session_->ctx());
    while (bytesRead < buffer.size()) {
      ssize_t n = read(session_->ctx(), file_, buffer.data() + bytesRead, buffer.size() - bytesRead);
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
    auto lseek = smbc_getFunctionLseek(session_->ctx());
    off_t base = 0;
    if (method == FILE_CURRENT) {
      base = lseek(session_->ctx(), file_, 0, SEEK_CUR);
    } else if (method == FILE_END) {
      DWORD size = Size();
      if (size == INVALID_FILE_SIZE) return INVALID_SET_FILE_POINTER;
      base = size;
    } else if (method != FILE_BEGIN) {
      return Fail(ERROR_INVALID_PARAMETER, INVALID_SET_FILE_POINTER);
    }
    if (base < 0) return Fail(ERROR_INVALID_PARAMETER, INVALID_SET_FILE_POINTER);
    if (base + distance < 0) return Fail(ERROR_NEGATIVE_SEEK, INVALID_SET_FILE_POINTER);
    off_t pos = lseek(session_->ctx(), file_, base + distance, SEEK_SET);
    if (pos < 0) return Fail(ERROR_INVALID_PARAMETER, INVALID_SET_FILE_POINTER);
    return static_cast<DWORD>(pos);
  }

  DWORD Size() override {
    struct stat st;
    if (smbc_getFunctionFstat(session_->ctx())(session_->ctx(), file_, &st) != 0)
      return Fail(ERROR_INVALID_HANDLE, INVALID_FILE_SIZE);
    return static_cast<DWORD>(st.st_size);
  }

 private:
  std::shared_ptr<SmbSession> session_;
  SMBCFILE* file_;
};

}  // namespace

SmbServer::SmbServer(std::string name, SmbServerSettings settings)
    : name_(std::move(name)), settings_(std::move(settings)) {}

SmbServer::~SmbServer() = default;

bool SmbServer::Connect() {
  if (tried_) return connected_ || Fail(ERROR_BAD_NETPATH, false);
  tried_ = true;
  if (!settings_.declaredReachable || settings_.address.empty()) return Fail(ERROR_BAD_NETPATH, false);
  if (!AcceptsConnections(settings_.address, settings_.port, kConnectTimeout)) return Fail(ERROR_BAD_NETPATH, false);
  session_ = SmbSession::Open(settings_);
  if (!session_) return Fail(ERROR_BAD_NETPATH, false);
  SmbDirectory server(session_, "smb://" + session_->Host() + "/");
  if (!server) return Fail(ERROR_BAD_NETPATH, false);
  while (const smbc_dirent* entry = server.Next()) {
    if (entry->smbc_type != SMBC_FILE_SHARE && entry->smbc_type != SMBC_PRINTER_SHARE) continue;
    auto name = Utf8ToCp936(entry->name);
    // Administrative shares ("print$") are hidden from the neighbourhood.
    if (!name || !IsValidNetName(*name) || name->ends_with('$')) continue;
    (entry->smbc_type == SMBC_FILE_SHARE ? diskShares_ : printShares_).push_back(*name);
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
  std::string url = "smb://" + session_->Host() + "/" + EncodeComponent(*shareUtf8);
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
  SmbDirectory dir(session_, *url);
  if (!dir) return Fail(ErrorOfEntry(errno, ERROR_PATH_NOT_FOUND), Result());
  std::vector<FindData> entries;
  struct stat st;
  while (const libsmb_file_info* info = dir.NextWithStat(st)) {
    auto name = Utf8ToCp936(info->name ? info->name : "");
    if (!name || name->empty()) continue;  // a name this code page cannot spell
    bool dot = *name == "." || *name == "..";
    if ((dot && directory.empty()) || !MatchesWildcard(pattern, *name)) continue;
    bool isDirectory = S_ISDIR(st.st_mode) || (info->attrs & FILE_ATTRIBUTE_DIRECTORY);
    FindData data;
    data.fileName = *name;
    data.attributes = DosAttributes(info->attrs, isDirectory);
    data.lastWriteTime = FileTimeFromUnix(info->mtime_ts.tv_sec, info->mtime_ts.tv_nsec);
    data.size = isDirectory ? 0 : info->size;
    entries.push_back(std::move(data));
  }
  return entries;
}

std::unique_ptr<FileObject> SmbServer::OpenForReading(std::string_view share, const std::vector<std::string>& path) {
  using Result = std::unique_ptr<FileObject>;
  if (path.empty()) return Connect() ? Fail(ERROR_ACCESS_DENIED, Result()) : Result();
  auto url = EntryUrl(share, path);
  if (!url) return Result();
  SMBCCTX* ctx = session_->ctx();
  struct stat st;
  if (smbc_getFunctionStat(ctx)(ctx, url->c_str(), &st) != 0) {
    int error = errno;
    if (error != ENOENT && error != ENOTDIR) return Fail(ErrorOfEntry(error, ERROR_FILE_NOT_FOUND), Result());
    // A missing file, or a directory on its way that is missing?
    auto parent = EntryUrl(share, std::vector<std::string>(path.begin(), path.end() - 1));
    struct stat parentStat;
    bool parentIsDirectory =
        parent && smbc_getFunctionStat(ctx)(ctx, parent->c_str(), &parentStat) == 0 && S_ISDIR(parentStat.st_mode);
    return Fail(parentIsDirectory ? ERROR_FILE_NOT_FOUND : ERROR_PATH_NOT_FOUND, Result());
  }
  if (S_ISDIR(st.st_mode)) return Fail(ERROR_ACCESS_DENIED, Result());
  SMBCFILE* file = smbc_getFunctionOpen(ctx)(ctx, url->c_str(), O_RDONLY, 0);
  if (!file) return Fail(ErrorOfEntry(errno, ERROR_FILE_NOT_FOUND), Result());
  return std::make_unique<SmbFile>(session_, file);
}

}  // namespace w95
