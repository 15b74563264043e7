// Backend modules: found next to the program or in the build tree, their entry
// points looked up, and a missing module or symbol said in words.
#include "platform/base/backend_module.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "platform/network/smb/client/smb_client.h"

namespace w95 {
namespace {

TEST(BackendModule, TheSmbClientOpensAndAMissingModuleOrSymbolIsSaidInWords) {
  auto candidates = BackendModuleCandidates(smb::kModuleFileName);
  ASSERT_FALSE(candidates.empty());
  // This test program is not in the program's folder: the build tree's copy.
  EXPECT_EQ(std::filesystem::path(candidates.front()).parent_path(),
            std::filesystem::read_symlink("/proc/self/exe").parent_path());

  BackendModule smb = BackendModule::Open(smb::kModuleFileName);
  ASSERT_TRUE(smb) << smb.Error();
  EXPECT_NE(smb.Symbol(smb::kOpenClientSymbol), nullptr) << smb.Error();
  EXPECT_EQ(smb.Symbol("no_such_entry_point"), nullptr);
  EXPECT_NE(smb.Error().find("no_such_entry_point"), std::string::npos) << smb.Error();

  BackendModule missing = BackendModule::Open("dxlq7trs-missing.so");
  EXPECT_FALSE(missing);
  EXPECT_EQ(missing.Symbol(smb::kOpenClientSymbol), nullptr);
  EXPECT_NE(missing.Error().find("dxlq7trs-missing.so not found"), std::string::npos) << missing.Error();
  for (const auto& candidate : BackendModuleCandidates("dxlq7trs-missing.so"))
    EXPECT_NE(missing.Error().find(candidate), std::string::npos) << missing.Error();
}

// A file that is there but no module is reported as what the loader says,
// not as missing.
TEST(BackendModule, AFileThatIsNoModuleIsReportedAsItIs) {
  auto folder = std::filesystem::read_symlink("/proc/self/exe").parent_path();
  auto bogus = folder / "dxlq7trs-bogus.so";
  { std::ofstream(bogus) << "not an ELF file"; }
  BackendModule module = BackendModule::Open("dxlq7trs-bogus.so");
  std::filesystem::remove(bogus);
  EXPECT_FALSE(module);
  EXPECT_EQ(module.Error().find("not found"), std::string::npos) << module.Error();
  EXPECT_NE(module.Error().find("dxlq7trs-bogus.so"), std::string::npos) << module.Error();
}

}  // namespace
}  // namespace w95
