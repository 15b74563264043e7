#include "platform/machine/replace_observer.h"

namespace w95 {

namespace {

ReplaceObserver* observer = nullptr;
thread_local bool insideObserver = false;

class InsideObserver {
 public:
  InsideObserver() { insideObserver = true; }
  ~InsideObserver() { insideObserver = false; }
  InsideObserver(const InsideObserver&) = delete;
  InsideObserver& operator=(const InsideObserver&) = delete;
};

}  // namespace

ReplaceObserver* SetReplaceObserver(ReplaceObserver* next) {
  ReplaceObserver* previous = observer;
  observer = next;
  return previous;
}

bool NotifyBeforeReplace(const std::filesystem::path& path) {
  if (!observer || insideObserver) return true;
  InsideObserver inside;
  return observer->BeforeReplace(path);
}

void NotifyAfterReplace(const std::filesystem::path& path, std::string_view bytes) {
  if (!observer || insideObserver) return;
  InsideObserver inside;
  observer->AfterReplace(path, bytes);
}

}  // namespace w95
