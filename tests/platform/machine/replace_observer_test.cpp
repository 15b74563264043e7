// The observer every replacement of a file asks first: it sees each file
// before and after, can refuse a replacement (the file then stays as it
// was), and does not see the replacements it makes itself.
#include "platform/machine/replace_observer.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "platform/base/win_types.h"
#include "platform/machine/paths.h"
#include "support/slurp.h"
#include "support/temp_machine.h"

namespace w95 {
namespace {

namespace fs = std::filesystem;

using dxl::testing::Slurp;

class Recorder : public ReplaceObserver {
 public:
  bool BeforeReplace(const fs::path& path) override {
    seen.push_back("before " + path.filename().string() + ": " + (fs::exists(path) ? Slurp(path) : "(none)"));
    if (path.filename() == "SIDE.TXT") return true;
    ReplaceHostFile(path.parent_path() / "SIDE.TXT", "kept");  // the observer's own write
    return allow;
  }
  void AfterReplace(const fs::path& path, std::string_view bytes) override {
    seen.push_back("after " + path.filename().string() + ": " + std::string(bytes));
  }
  bool allow = true;
  std::vector<std::string> seen;
};

TEST(ReplaceObserver, SeesEachReplacementAndMayRefuseIt) {
  dxl::testing::TempMachine machine;
  const fs::path file = machine.Root() / "A.INI";
  std::ofstream(file, std::ios::binary) << "old";
  Recorder recorder;
  ReplaceObserver* previous = SetReplaceObserver(&recorder);

  EXPECT_EQ(ReplaceHostFile(file, "new"), ERROR_SUCCESS);
  EXPECT_EQ(ReplaceHostFile(machine.Root() / "B.INI", "made"), ERROR_SUCCESS);
  recorder.allow = false;
  EXPECT_EQ(ReplaceHostFile(file, "refused"), ERROR_WRITE_FAULT);
  SetReplaceObserver(previous);
  EXPECT_EQ(ReplaceHostFile(file, "unobserved"), ERROR_SUCCESS);

  EXPECT_EQ(recorder.seen, (std::vector<std::string>{"before A.INI: old", "after A.INI: new", "before B.INI: (none)",
                                                     "after B.INI: made", "before A.INI: new"}));
  EXPECT_EQ(Slurp(machine.Root() / "SIDE.TXT"), "kept");
  EXPECT_EQ(Slurp(file), "unobserved");
}

}  // namespace
}  // namespace w95
