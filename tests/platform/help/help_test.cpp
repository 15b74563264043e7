// WinHelp over the help files of a real machine directory: the builder's own
// and one a real help compiler made.
#include "platform/help/help.h"

#include <gtest/gtest.h>

#include "machine_builder/help_file.h"
#include "platform/base/cp936.h"
#include "platform/base/last_error.h"
#include "platform/help/help_test_data.h"
#include "platform/ui/scripted_backend.h"
#include "support/temp_machine.h"

namespace w95 {
namespace {

std::string Lines(const std::vector<std::string>& paragraphs) {
  std::string body;
  for (const std::string& paragraph : paragraphs) body += paragraph + "\r\n";
  return body;
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

TEST_F(WinHelp, ShowsEveryTopicOfTheInstalledHelpFileAsWritten) {
  const dxl::tools::WinHelpSource source = dxl::tools::StandardHelpSource();
  ASSERT_EQ(source.topics.size(), 12u);
  for (const auto& written : source.topics) {
    SCOPED_TRACE(written.context);
    EXPECT_EQ(WinHelpA("c:\\windows\\dxlq7in.hlp", HELP_CONTEXT, written.context), 1);
    const auto& topic = script_->HelpShown().back();
    EXPECT_EQ(topic.context, written.context);
    EXPECT_EQ(topic.helpFile, "c:\\windows\\dxlq7in.hlp");
    EXPECT_EQ(topic.title, written.title);
    EXPECT_EQ(topic.body, Lines(written.paragraphs));
  }
  EXPECT_EQ(Cp936ToUtf8Lossy(script_->HelpShown()[0].title), "打印机端口");
  EXPECT_EQ(machine_.Read("C:\\WINDOWS\\DXLQ7IN.HLP").substr(0, 4), std::string("\x3F\x5F\x03\x00", 4));
}

TEST_F(WinHelp, TopicsSpreadOverManyBlocksReadBackWhole) {
  dxl::tools::WinHelpSource source{"Many", 0, {}};
  for (uint32_t context = 1; context <= 150; ++context) {
    std::vector<std::string> paragraphs;
    for (uint32_t line = 0; line < context % 7 + 1; ++line)
      paragraphs.push_back("Topic " + std::to_string(context) + " line " + std::to_string(line) + " " +
                           std::string(context * 13 % 300, char('a' + line)));
    source.topics.push_back({context * 3, "Title " + std::to_string(context), paragraphs});
  }
  const std::string file = dxl::tools::WriteWinHelpFile(source);
  ASSERT_GT(file.size(), 5u * 4096) << "the topics should take several blocks";
  for (const auto& written : source.topics) {
    SCOPED_TRACE(written.context);
    auto topic = FindHelpTopic(file, written.context);
    ASSERT_TRUE(topic);
    EXPECT_EQ(topic->title, written.title);
    EXPECT_EQ(topic->body, Lines(written.paragraphs));
  }
  EXPECT_FALSE(FindHelpTopic(file, 4));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
}

// The help sample of a widget library, compiled by a help compiler of Windows
// 3.1 with LZ77 and phrase compression (data/README.md). What each mapped
// context shows was read off the sample's own source (doc.tex, doc.hpj) and
// the file's bytes after expansion.
TEST_F(WinHelp, OpensEachMappedContextOfAFileARealCompilerMade) {
  machine_.Builder().File("C:\\HELP\\DOC.HLP", HelpTestData("wx-help-sample-doc.hlp"));
  struct Case {
    DWORD context;
    const char* title;
    const char* body;
  };
  const Case cases[] = {
      {100, "Introduction",
       "Introduction\r\n\r\nThis is a demo document for the wxWindows 'help' sample.\r\n\r\n"
       "You should process this file with Tex2RTF, for example:\r\n\r\ntex2rtf -winhelp -twice doc.tex doc.hlp\r\n\r\n"
       "and then run:\r\n\r\nhc doc\r\n\r\nwhere hc is the help compiler.\r\n\r\n"
       "Note that you can also generate HTML and Word RTF with Tex2RTF.\r\n\r\nClasses\r\nFunctions\r\nAbout\r\n"},
      {1, "Functions", "Functions\r\n\r\nThis would say something about functions, but doesn't yet.\r\n"},
      {2, "Classes", "Classes\r\n\r\nThis would say something about classes, but doesn't yet.\r\n"},
      {3, "About", "About\r\n\r\nAbout this HelpDemo: this file is really not much of a demo, but it's a start.\r\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.context);
    ASSERT_EQ(WinHelpA("C:\\HELP\\DOC.HLP", HELP_CONTEXT, c.context), 1);
    EXPECT_EQ(script_->HelpShown().back().title, c.title);
    EXPECT_EQ(script_->HelpShown().back().body, c.body);
  }
  EXPECT_EQ(WinHelpA("C:\\HELP\\DOC.HLP", HELP_CONTEXT, 300), 0);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
}

TEST_F(WinHelp, FailsForAMissingOrDamagedFileATopicItLacksOrAnotherCommand) {
  EXPECT_EQ(WinHelpA("C:\\WINDOWS\\DXLQ7IN.HLP", HELP_CONTEXT, 10012), 0);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
  EXPECT_EQ(WinHelpA("C:\\WINDOWS\\NONE.HLP", HELP_CONTEXT, 10000), 0);
  EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(WinHelpA("\\DXLQ7IN.HLP", HELP_CONTEXT, 10000), 0);
  EXPECT_EQ(WinHelpA("C:\\WINDOWS\\DXLQ7IN.HLP", 0x0003, 10000), 0);
  EXPECT_EQ(GetLastError(), ERROR_NOT_SUPPORTED);
  EXPECT_EQ(WinHelpA("C:\\WINDOWS\\DXLQ7IN.HLP", HELP_QUIT, 0), 1);
  // Not a help file; one cut short; one too large to be read.
  const std::string good = dxl::tools::StandardHelpFile();
  for (const std::string& bytes : {std::string("[10000]\r\nTitle=x\r\nbody\r\n"), good.substr(0, good.size() / 2),
                                   good + std::string(size_t{17} << 20, '\0')}) {
    machine_.Builder().File("C:\\WINDOWS\\BAD.HLP", bytes);
    EXPECT_EQ(WinHelpA("C:\\WINDOWS\\BAD.HLP", HELP_CONTEXT, 10000), 0);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_DATA);
  }
  EXPECT_TRUE(script_->HelpShown().empty());
}

TEST_F(WinHelp, HelpFileOutsideTheMachineIsRefused) {
  EXPECT_EQ(WinHelpA("C:\\..\\..\\etc\\passwd", HELP_CONTEXT, 1), 0);
  EXPECT_TRUE(script_->HelpShown().empty());
}

}  // namespace
}  // namespace w95
