#include "platform/machine/host_fetch.h"

#include "platform/base/last_error.h"

namespace w95 {

namespace {

HostFetcher* fetcher = nullptr;

}  // namespace

ScopedHostFetcher::ScopedHostFetcher(HostFetcher& next) : previous_(fetcher) { fetcher = &next; }

ScopedHostFetcher::~ScopedHostFetcher() { fetcher = previous_; }

bool FetchBeforeUse(const std::filesystem::path& path, struct stat& st) {
  if (!fetcher || !S_ISREG(st.st_mode)) return true;
  return fetcher->Fetch(path, st) || Fail(ERROR_READ_FAULT, false);
}

}  // namespace w95
