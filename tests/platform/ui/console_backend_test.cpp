// The console backend: how a dialog is printed and how one line of input
// answers it, end of input included.
#include "platform/ui/console_backend.h"

#include <gtest/gtest.h>

#include <sstream>

#include "platform/base/cp936.h"
#include "support/temp_machine.h"

namespace w95::ui {
namespace {

constexpr ControlTemplate kControls[] = {
    {ControlKind::Static, 1016, "第一行", 44, 14, 160, 9},
    {ControlKind::Static, -1, "端口(&P):", 17, 30, 40, 9},
    {ControlKind::Combo, 1009, "", 58, 28, 144, 48, kSorted},
    {ControlKind::Button, 1018, "是(&Y)", 18, 44, 45, 15},
    {ControlKind::Static, -1, "修正此问题。", 75, 47, 120, 9},
    {ControlKind::DefaultButton, 1019, "否(&N)", 18, 63, 45, 15},
    {ControlKind::Button, 1027, "取消", 18, 82, 45, 15},
    {ControlKind::CheckBox, 1025, "保存结果(&S)", 18, 100, 80, 10},
};
constexpr DialogTemplate kDialog{500, "标题", 220, 120, true, false, SystemIcon::Exclamation, 20, 23, 0, 0, kControls};
constexpr DialogTemplate kStubborn{501, "标题", 220, 120, false, false, SystemIcon::None, 0, 0, 0, 1019, kControls};

// Records what the dialog's logic was told; ends on the buttons it is given.
struct Recorder : DialogEvents {
  std::vector<std::string> events;
  bool endOnCancel = true;
  void OnInitDialog(DialogView& view) override {
    view.SetItemText(1016, *Utf8ToCp936("第一行 LPT1:"));
    for (const char* entry : {"LPT2:[本地]", "lpt1:[本地]", "LPT4:[不存在]"}) view.AddString(1009, *Utf8ToCp936(entry));
    view.SetCurSel(1009, 0);
  }
  void OnCommand(DialogView& view, int id) override {
    events.push_back("command " + std::to_string(id) + (view.IsButtonChecked(1025) ? " checked" : ""));
    if (id != 1025) view.EndDialog(id);
  }
  void OnCancel(DialogView& view) override {
    events.push_back("cancel");
    if (endOnCancel) view.EndDialog(2);
  }
  void OnHelp(DialogView&) override { events.push_back("help"); }
  void OnSelChange(DialogView& view, int id) override {
    events.push_back("select " + Cp936ToUtf8Lossy(view.GetItemText(id)));
  }
};

struct Outcome {
  int code;
  std::string output;
  std::vector<std::string> events;
};

Outcome RunWith(const std::string& input, const DialogTemplate& dialog = kDialog, bool endOnCancel = true) {
  std::istringstream in(input);
  std::ostringstream out;
  ConsoleBackend console(in, out);
  Recorder recorder;
  recorder.endOnCancel = endOnCancel;
  int code = console.RunModal(dialog, recorder);
  return {code, out.str(), recorder.events};
}

TEST(ConsoleBackend, PrintsCaptionIdRowsKeysAndSortedList) {
  Outcome run = RunWith("esc\n");
  EXPECT_NE(run.output.find("=== 标题 [500] ===\n第一行 LPT1:\n"), std::string::npos) << run.output;
  EXPECT_NE(run.output.find("[p] 端口(P): lpt1:[本地]"), std::string::npos) << run.output;
  EXPECT_NE(run.output.find("[y] 是(Y)  修正此问题。\n"), std::string::npos) << run.output;
  EXPECT_NE(run.output.find("[n] 否(N) (Enter)\n"), std::string::npos);
  EXPECT_NE(run.output.find("[#1027] 取消\n"), std::string::npos);
  EXPECT_NE(run.output.find("[s] [ ] 保存结果(S)"), std::string::npos);
  // Sorted without regard to case: lpt1: before LPT2: before LPT4:.
  EXPECT_NE(run.output.find("    p 1 * lpt1:[本地]\n    p 2   LPT2:[本地]\n    p 3   LPT4:[不存在]\n"),
            std::string::npos)
      << run.output;
  EXPECT_NE(run.output.find("Answer: p <n>, y, n, #1027, s, esc, f1\n> "), std::string::npos) << run.output;
}

TEST(ConsoleBackend, AnswersByAcceleratorIdEnterEscAndHelp) {
  EXPECT_EQ(RunWith("Y\n").code, 1018);
  EXPECT_EQ(RunWith("  y  \r\n").code, 1018);
  EXPECT_EQ(RunWith("#1027\n").code, 1027);
  EXPECT_EQ(RunWith("\n").code, 1019);  // Enter presses the default button
  Outcome help = RunWith("f1\nesc\n");
  EXPECT_EQ(help.code, 2);
  EXPECT_EQ(help.events, (std::vector<std::string>{"help", "cancel"}));
}

TEST(ConsoleBackend, UnknownAnswersAreRefusedAndAskedAgain) {
  Outcome run = RunWith("q\n#99x\np 9\nn\n");
  EXPECT_EQ(run.code, 1019);
  EXPECT_NE(run.output.find("? Unknown answer \"q\""), std::string::npos);
  EXPECT_NE(run.output.find("? No such entry"), std::string::npos);
  EXPECT_EQ(run.events, (std::vector<std::string>{"command 1019"}));
}

TEST(ConsoleBackend, ListEntriesAreChosenByNumberOrByText) {
  Outcome run = RunWith("p 3\np lpt2\nP LPT1:[本地]\nn\n");
  EXPECT_EQ(run.events, (std::vector<std::string>{"select LPT4:[不存在]", "select LPT2:[本地]", "select lpt1:[本地]",
                                                  "command 1019"}));
}

TEST(ConsoleBackend, CheckBoxTogglesBeforeItsCommand) {
  Outcome run = RunWith("s\ns\ny\n");
  EXPECT_EQ(run.events, (std::vector<std::string>{"command 1025 checked", "command 1025", "command 1018"}));
}

TEST(ConsoleBackend, EndOfInputCancelsThenTakesTheUnattendedChoiceThenGivesUp) {
  Outcome cancelled = RunWith("");
  EXPECT_EQ(cancelled.code, 2);
  EXPECT_NE(cancelled.output.find("(end of input)"), std::string::npos);

  Outcome stubborn = RunWith("f1\n", kStubborn, false);
  EXPECT_EQ(stubborn.code, 1019);
  EXPECT_EQ(stubborn.events, (std::vector<std::string>{"help", "cancel", "command 1019"}));

  // A dialog that ignores both still ends.
  constexpr DialogTemplate kNothing{502, "x", 100, 50, false, false, SystemIcon::None, 0, 0, 0, 4242, kControls};
  EXPECT_EQ(RunWith("", kNothing, false).code, 2);
}

TEST(ConsoleBackend, HelpMessageAndNoticeArePrinted) {
  std::istringstream in;
  std::ostringstream out;
  ConsoleBackend console(in, out);
  console.ShowHelp({"C:\\WINDOWS\\DXLQ7IN.HLP", 10000, *Utf8ToCp936("打印机端口"), *Utf8ToCp936("一\r\n二\r\n")});
  console.MessageBox("Failed to launch help.", "dxlq7trs", MessageIcon::Exclamation);
  EXPECT_EQ(out.str(), "--- Help: 打印机端口 ---\n一\n二\n--- End of help ---\n[dxlq7trs] Failed to launch help.\n");
}

TEST(ConsoleBackend, SaveAsTakesANameInTheInitialFolderAndChecksItsFolder) {
  dxl::testing::TempMachine machine;
  machine.Builder().File("C:\\WINDOWS\\DXL\\OLD.LOG", "x");
  SaveFileRequest request{"C:\\WINDOWS\\DXL", "C:\\WINDOWS\\DXL\\25010100.LOG", "", "*.*", true, true};
  auto ask = [&](const std::string& input) {
    std::istringstream in(input);
    std::ostringstream out;
    return ConsoleBackend(in, out).GetSaveFileName(request);
  };
  EXPECT_EQ(ask("\n"), "C:\\WINDOWS\\DXL\\25010100.LOG");
  EXPECT_EQ(ask("MINE.LOG\n"), "C:\\WINDOWS\\DXL\\MINE.LOG");
  EXPECT_EQ(ask("C:\\NOWHERE\\A.LOG\nC:\\WINDOWS\\B.LOG\n"), "C:\\WINDOWS\\B.LOG");
  EXPECT_EQ(ask("OLD.LOG\nn\nNEW.LOG\n"), "C:\\WINDOWS\\DXL\\NEW.LOG");
  EXPECT_EQ(ask("OLD.LOG\ny\n"), "C:\\WINDOWS\\DXL\\OLD.LOG");
  EXPECT_EQ(ask("esc\n"), std::nullopt);
  EXPECT_EQ(ask(""), std::nullopt);
}

constexpr ControlTemplate kSomeDisabled[] = {
    {ControlKind::Button, 1018, "是(&Y)", 18, 44, 45, 15, kDisabled},
    {ControlKind::DefaultButton, 1019, "否(&N)", 18, 63, 45, 15, kDisabled},
    {ControlKind::Button, 1027, "取消", 18, 82, 45, 15, kDisabled},
    {ControlKind::Button, 1028, "退出(&X)", 18, 100, 45, 15},
};
constexpr DialogTemplate kDisabledPage{503, "x", 100, 120,  false,        false, SystemIcon::None,
                                       0,   0,   0,   1028, kSomeDisabled};

// A page on which neither Esc nor F1 does anything.
struct Deaf : Recorder {
  bool CancelActs() const override { return false; }
  bool HelpActs() const override { return false; }
};

// An answer that does nothing says why, once, and the page is not printed
// again; only the answers that act are offered.
TEST(ConsoleBackend, AnswersThatDoNothingSayWhy) {
  struct Case {
    const char* input;
    const char* why;
  } cases[] = {
      {"y\n", "? \"是(Y)\" is disabled on this page.\n"},
      {"#1018\n", "? \"是(Y)\" is disabled on this page.\n"},
      {"\n", "? \"否(N)\" is disabled on this page.\n"},
      {"#1027\n", "? \"取消\" is disabled on this page.\n"},
      {"esc\n", "? Esc does nothing on this page: answer with one of the keys.\n"},
      {"F1\n", "? This page has no help topic.\n"},
      {"#77\n", "? Unknown answer \"#77\".\n"},
  };
  for (const Case& c : cases) {
    std::istringstream in(std::string(c.input) + "x\n");
    std::ostringstream out;
    Deaf deaf;
    EXPECT_EQ(ConsoleBackend(in, out).RunModal(kDisabledPage, deaf), 1028) << c.input;
    const std::string text = out.str();
    EXPECT_NE(text.find("Answer: x\n> \n" + std::string(c.why) + "> \n"), std::string::npos) << c.input << text;
    size_t pages = 0;
    for (size_t at = text.find("=== x [503]"); at != std::string::npos; at = text.find("=== x [503]", at + 1)) ++pages;
    EXPECT_EQ(pages, 1u) << c.input << text;
    EXPECT_EQ(deaf.events, (std::vector<std::string>{"command 1028"})) << c.input;
  }
}

// Any existing folder takes the file, the root included; '/' is read as '\\'.
TEST(ConsoleBackend, SaveAsTakesTheRootAndForwardSlashes) {
  dxl::testing::TempMachine machine;
  machine.Builder().File("C:\\WINDOWS\\DXL\\OLD.LOG", "x");
  SaveFileRequest request{"C:\\WINDOWS\\DXL", "C:\\WINDOWS\\DXL\\25010100.LOG", "", "*.*", true, true};
  struct Case {
    const char* input;
    const char* chosen;
    const char* refusal;  // a line printed before the choice, or ""
  } cases[] = {
      {"C:\\ROOT.LOG\n", "C:\\ROOT.LOG", ""},
      {"\\ROOT.LOG\n", "C:\\ROOT.LOG", ""},
      {"c:/TOP.LOG\n", "c:\\TOP.LOG", ""},
      {"C:NAME.LOG\n", "C:\\NAME.LOG", ""},
      {"c:/windows/dxl/A.LOG\n", "c:\\windows\\dxl\\A.LOG", ""},
      {"/windows/dxl/old.log\ny\n", "C:\\windows\\dxl\\old.log", "exists. Replace it?"},
      {"D:\\X.LOG\nC:\\Y.LOG\n", "C:\\Y.LOG", "? The folder D:\\ does not exist."},
      {"C:/NOWHERE/X.LOG\n/Y.LOG\n", "C:\\Y.LOG", "? The folder C:\\NOWHERE does not exist."},
  };
  for (const Case& c : cases) {
    std::istringstream in(c.input);
    std::ostringstream out;
    EXPECT_EQ(ConsoleBackend(in, out).GetSaveFileName(request), c.chosen) << c.input;
    EXPECT_NE(out.str().find(c.refusal), std::string::npos) << c.input << out.str();
    EXPECT_TRUE(*c.refusal || out.str().find('?') == std::string::npos) << c.input << out.str();
  }
}

}  // namespace
}  // namespace w95::ui
