// GetSaveFileNameA through the backend: what the dialog is asked, what the
// caller gets back.
#include <gtest/gtest.h>

#include "platform/base/last_error.h"
#include "platform/ui/common_dialogs.h"
#include "platform/ui/scripted_backend.h"

namespace w95 {
namespace {

class SaveFileDialog : public ::testing::Test {
 protected:
  void SetUp() override {
    auto backend = std::make_unique<ui::ScriptedBackend>();
    script_ = backend.get();
    ui::SetBackend(std::move(backend));
    request_.filter = std::string("*.*\0*.*\0", 8);
    request_.file = "C:\\WINDOWS\\DXL\\25010100.LOG";
    request_.initialDir = "C:\\WINDOWS\\DXL";
    request_.flags = OFN_OVERWRITEPROMPT | OFN_HIDEREADONLY | OFN_PATHMUSTEXIST;
  }
  void TearDown() override { ui::SetBackend(nullptr); }
  ui::ScriptedBackend* script_ = nullptr;
  OpenFileNameA request_;
};

TEST_F(SaveFileDialog, PassesTheRequestAndReturnsTheChosenPath) {
  script_->SaveAs("C:\\MY\\RESULT.LOG");
  ASSERT_NE(GetSaveFileNameA(request_), 0);
  EXPECT_EQ(request_.file, "C:\\MY\\RESULT.LOG");
  EXPECT_EQ(request_.fileTitle, "RESULT.LOG");
  const auto& asked = script_->SaveRequests().at(0);
  EXPECT_EQ(asked.initialDirectory, "C:\\WINDOWS\\DXL");
  EXPECT_EQ(asked.fileName, "C:\\WINDOWS\\DXL\\25010100.LOG");
  EXPECT_EQ(asked.filter, "*.*");
  EXPECT_TRUE(asked.overwritePrompt);
  EXPECT_TRUE(asked.pathMustExist);
}

TEST_F(SaveFileDialog, CancelOrAPathTooLongLeavesTheNameAsItWas) {
  script_->CancelSaveAs();
  EXPECT_EQ(GetSaveFileNameA(request_), 0);
  EXPECT_EQ(request_.file, "C:\\WINDOWS\\DXL\\25010100.LOG");
  script_->SaveAs("C:\\" + std::string(257, 'A'));
  EXPECT_EQ(GetSaveFileNameA(request_), 0);
  EXPECT_EQ(GetLastError(), ERROR_INSUFFICIENT_BUFFER);
  EXPECT_EQ(request_.file, "C:\\WINDOWS\\DXL\\25010100.LOG");
  // No scripted answer at all counts as cancel.
  EXPECT_EQ(GetSaveFileNameA(request_), 0);
}

TEST_F(SaveFileDialog, DefaultExtensionIsAddedToANameWithout) {
  request_.defExt = "LOG";
  script_->SaveAs("C:\\A.B\\NAME").SaveAs("C:\\X\\N.TXT");
  ASSERT_NE(GetSaveFileNameA(request_), 0);
  EXPECT_EQ(request_.file, "C:\\A.B\\NAME.LOG");
  ASSERT_NE(GetSaveFileNameA(request_), 0);
  EXPECT_EQ(request_.file, "C:\\X\\N.TXT");
}

}  // namespace
}  // namespace w95
