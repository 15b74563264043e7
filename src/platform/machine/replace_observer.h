// What must see every file of the machine before it is replaced: the
// journal that keeps each file as it was, so that a run can be undone.
// Every replacement of a file goes through ReplaceHostFile, which asks the
// observer first; the observer's own writes are not observed.
#pragma once

#include <filesystem>
#include <string_view>

namespace w95 {

class ReplaceObserver {
 public:
  virtual ~ReplaceObserver() = default;
  // Before `path` is replaced; false refuses the replacement.
  virtual bool BeforeReplace(const std::filesystem::path& path) = 0;
  // After `path` was replaced by `bytes`.
  virtual void AfterReplace(const std::filesystem::path& path, std::string_view bytes) = 0;
};

// The process's observer, nullptr for none; returns the one it replaces.
ReplaceObserver* SetReplaceObserver(ReplaceObserver* observer);

// For ReplaceHostFile: the observer's answer (true without one, and for the
// replacements the observer itself makes).
bool NotifyBeforeReplace(const std::filesystem::path& path);
void NotifyAfterReplace(const std::filesystem::path& path, std::string_view bytes);

}  // namespace w95
