// The libsmbclient side of the SMB backend: the module dxlq7trs-smb.so.
#include "platform/network/smb/client/smb_client.h"

#include <fcntl.h>
#include <libsmbclient.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "platform/network/smb/client/smb_client_config.h"

namespace w95::smb {

namespace {

void CopyField(char* out, int size, const std::string& value) {
  if (size <= 0) return;
  size_t n = std::min(value.size(), static_cast<size_t>(size - 1));
  std::memcpy(out, value.data(), n);
  out[n] = '\0';
}

// One libsmbclient context with the credentials its callback hands out.
class Context {
 public:
  static std::shared_ptr<Context> Open(const ClientSettings& settings) {
    auto configuration = SmbClientConfiguration();
    if (!configuration) return nullptr;
    auto context = std::shared_ptr<Context>(new Context(settings));
    SMBCCTX* ctx = smbc_new_context();
    if (!ctx) return nullptr;
    context->ctx_ = ctx;
    smbc_setDebug(ctx, 0);
    if (smbc_setConfiguration(ctx, configuration->c_str()) != 0) return nullptr;
    smbc_setPort(ctx, settings.port);
    smbc_setTimeout(ctx, settings.requestTimeoutMs);
    smbc_setOptionUseKerberos(ctx, 0);
    smbc_setOptionFallbackAfterKerberos(ctx, 1);
    // With a user named, a refused password must not quietly become a guest.
    if (!settings.user.empty()) smbc_setOptionNoAutoAnonymousLogin(ctx, 1);
    smbc_setOptionUserData(ctx, context.get());
    smbc_setFunctionAuthDataWithContext(ctx, &Context::Authenticate);
    if (!smbc_init_context(ctx)) return nullptr;
    return context;
  }

  ~Context() {
    if (ctx_) smbc_free_context(ctx_, 1);
  }
  Context(const Context&) = delete;
  Context& operator=(const Context&) = delete;

  SMBCCTX* ctx() const { return ctx_; }

 private:
  explicit Context(const ClientSettings& settings) : settings_(settings) {}

  static void Authenticate(SMBCCTX* ctx, const char*, const char*, char* workgroup, int workgroupLength, char* user,
                           int userLength, char* password, int passwordLength) {
    auto* context = static_cast<const Context*>(smbc_getOptionUserData(ctx));
    if (!context) return;
    CopyField(workgroup, workgroupLength, context->settings_.workgroup);
    CopyField(user, userLength, context->settings_.user);
    CopyField(password, passwordLength, context->settings_.password);
  }

  SMBCCTX* ctx_ = nullptr;
  ClientSettings settings_;
};

// An open directory of the context, closed when it goes.
class Directory {
 public:
  Directory(std::shared_ptr<Context> context, const std::string& url) : context_(std::move(context)) {
    dir_ = smbc_getFunctionOpendir(context_->ctx())(context_->ctx(), url.c_str());
  }
  ~Directory() {
    if (dir_) smbc_getFunctionClosedir(context_->ctx())(context_->ctx(), dir_);
  }
  Directory(const Directory&) = delete;
  Directory& operator=(const Directory&) = delete;

  explicit operator bool() const { return dir_ != nullptr; }
  smbc_dirent* Next() { return smbc_getFunctionReaddir(context_->ctx())(context_->ctx(), dir_); }
  const libsmb_file_info* NextWithStat(struct stat& st) {
    return smbc_getFunctionReaddirPlus2(context_->ctx())(context_->ctx(), dir_, &st);
  }

 private:
  std::shared_ptr<Context> context_;
  SMBCFILE* dir_ = nullptr;
};

class ContextFile : public File {
 public:
  ContextFile(std::shared_ptr<Context> context, SMBCFILE* file) : context_(std::move(context)), file_(file) {}
  ~ContextFile() override { smbc_getFunctionClose(context_->ctx())(context_->ctx(), file_); }
  ContextFile(const ContextFile&) = delete;
  ContextFile& operator=(const ContextFile&) = delete;

  ssize_t Read(char* buffer, size_t size, int& error) override {
    ssize_t n = smbc_getFunctionRead(context_->ctx())(context_->ctx(), file_, buffer, size);
    if (n < 0) error = errno;
    return n;
  }
  off_t Seek(off_t offset, int whence, int& error) override {
    off_t pos = smbc_getFunctionLseek(context_->ctx())(context_->ctx(), file_, offset, whence);
    if (pos < 0) error = errno;
    return pos;
  }
  bool Stat(struct stat& st, int& error) override {
    if (smbc_getFunctionFstat(context_->ctx())(context_->ctx(), file_, &st) == 0) return true;
    error = errno;
    return false;
  }

 private:
  std::shared_ptr<Context> context_;
  SMBCFILE* file_;
};

ShareKind KindOf(unsigned type) {
  if (type == SMBC_FILE_SHARE) return ShareKind::Disk;
  if (type == SMBC_PRINTER_SHARE) return ShareKind::Print;
  return ShareKind::Other;
}

class ContextClient : public Client {
 public:
  explicit ContextClient(std::shared_ptr<Context> context) : context_(std::move(context)) {}

  std::optional<std::vector<Share>> ListShares(const std::string& serverUrl, int& error) override {
    Directory server(context_, serverUrl);
    if (!server) return Failed<std::vector<Share>>(error);
    std::vector<Share> shares;
    while (const smbc_dirent* entry = server.Next()) shares.push_back({entry->name, KindOf(entry->smbc_type)});
    return shares;
  }

  std::optional<std::vector<DirectoryEntry>> ListDirectory(const std::string& url, int& error) override {
    Directory dir(context_, url);
    if (!dir) return Failed<std::vector<DirectoryEntry>>(error);
    std::vector<DirectoryEntry> entries;
    struct stat st;
    while (const libsmb_file_info* info = dir.NextWithStat(st)) {
      DirectoryEntry entry;
      entry.name = info->name ? info->name : "";
      entry.dosAttributes = info->attrs;
      entry.directory = S_ISDIR(st.st_mode);
      entry.size = info->size;
      entry.lastWrite = info->mtime_ts;
      entries.push_back(std::move(entry));
    }
    return entries;
  }

  bool Stat(const std::string& url, struct stat& st, int& error) override {
    if (smbc_getFunctionStat(context_->ctx())(context_->ctx(), url.c_str(), &st) == 0) return true;
    error = errno;
    return false;
  }

  std::unique_ptr<File> OpenForReading(const std::string& url, int& error) override {
    SMBCFILE* file = smbc_getFunctionOpen(context_->ctx())(context_->ctx(), url.c_str(), O_RDONLY, 0);
    if (!file) {
      error = errno;
      return nullptr;
    }
    return std::make_unique<ContextFile>(context_, file);
  }

 private:
  template <typename T>
  static std::optional<T> Failed(int& error) {
    error = errno;
    return std::nullopt;
  }

  std::shared_ptr<Context> context_;
};

}  // namespace

}  // namespace w95::smb

extern "C" __attribute__((visibility("default"))) w95::smb::Client* dxlq7trs_smb_open_client(
    const w95::smb::ClientSettings* settings) {
  auto context = w95::smb::Context::Open(*settings);
  return context ? new w95::smb::ContextClient(std::move(context)) : nullptr;
}
