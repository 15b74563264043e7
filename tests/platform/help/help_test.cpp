// WinHelp over the help file of a real machine directory.
#include "platform/help/help.h"

#include <gtest/gtest.h>

#include "machine_builder/help_file.h"
#include "platform/base/cp936.h"
#include "platform/base/last_error.h"
#include "platform/ui/scripted_backend.h"
#include "support/temp_machine.h"

namespace w95 {
namespace {

TEST(HelpFile, TopicsAreFoundByNumberWithTitleAndBody) {
  std::string text =
      "; comment\r\n[1]\r\nTitle= One \r\nfirst\r\n\r\n[ 2 ]\nsecond line\n\nthird\n\n\n[x]\n[3]\r\nTitle=Three\r\n";
  auto one = FindHelpTopic(text, 1);
  ASSERT_TRUE(one);
  EXPECT_EQ(one->title, "One");
  EXPECT_EQ(one->body, "first\r\n");
  auto two = FindHelpTopic(text, 2);
  ASSERT_TRUE(two);
  EXPECT_EQ(two->title, "");
  // "[x]" is not a topic header: it belongs to the body of topic 2.
  EXPECT_EQ(two->body, "second line\r\n\r\nthird\r\n\r\n\r\n[x]\r\n");
  auto three = FindHelpTopic(text, 3);
  ASSERT_TRUE(three);
  EXPECT_EQ(three->body, "");
  EXPECT_FALSE(FindHelpTopic(text, 4));
  EXPECT_FALSE(FindHelpTopic("", 1));
  EXPECT_FALSE(FindHelpTopic("[99999999999999999999]\r\nx\r\n", 1));
}

class WinHelp : public ::testing::Test {
 protected:
  void SetUp() override {
    machine_.Builder().InstallPrintingSystem();
    auto backend = std::make_unique<ui::ScriptedBackend>();
    script_ = backend.get();
    ui::SetBackend(std::move(backend));
  }
  void TearDown() override { ui::SetBackend(nullptr); }
  dxl::testing::TempMachine machine_;
  ui::ScriptedBackend* script_ = nullptr;
};

TEST_F(WinHelp, ShowsEveryTopicOfTheInstalledHelpFile) {
  for (DWORD context = 10000; context <= 10011; ++context) {
    SCOPED_TRACE(context);
    EXPECT_EQ(WinHelpA("c:\\windows\\dxlq7in.hlp", HELP_CONTEXT, context), 1);
    const auto& topic = script_->HelpShown().back();
    EXPECT_EQ(topic.context, context);
    EXPECT_FALSE(topic.title.empty());
    EXPECT_TRUE(Cp936ToUtf8(topic.body).has_value());
    EXPECT_GT(topic.body.size(), 20u);
  }
  EXPECT_EQ(Cp936ToUtf8Lossy(script_->HelpShown()[0].title), "打印机端口");
}

TEST_F(WinHelp, FailsForAMissingFileATopicItLacksOrAnotherCommand) {
  EXPECT_EQ(WinHelpA("C:\\WINDOWS\\DXLQ7IN.HLP", HELP_CONTEXT, 10012), 0);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
  EXPECT_EQ(WinHelpA("C:\\WINDOWS\\NONE.HLP", HELP_CONTEXT, 10000), 0);
  EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(WinHelpA("\\DXLQ7IN.HLP", HELP_CONTEXT, 10000), 0);
  EXPECT_EQ(WinHelpA("C:\\WINDOWS\\DXLQ7IN.HLP", 0x0003, 10000), 0);
  EXPECT_EQ(GetLastError(), ERROR_NOT_SUPPORTED);
  EXPECT_EQ(WinHelpA("C:\\WINDOWS\\DXLQ7IN.HLP", HELP_QUIT, 0), 1);
  EXPECT_TRUE(script_->HelpShown().empty());
}

TEST_F(WinHelp, HelpFileOutsideTheMachineIsRefused) {
  EXPECT_EQ(WinHelpA("C:\\..\\..\\etc\\passwd", HELP_CONTEXT, 1), 0);
  EXPECT_TRUE(script_->HelpShown().empty());
}

}  // namespace
}  // namespace w95
