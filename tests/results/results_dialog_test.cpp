// The results dialog through the scripted backend on a real machine: what it
// shows, the log name it proposes, the check box, Save-As, and saving with the
// write-failed dialog when the log cannot be written.
#include "results/results_dialog.h"

#include <sys/stat.h>

#include <functional>

#include "resources/dialog_templates.h"
#include "results/verdict.h"
#include "results_fixture.h"

namespace dxl {
namespace {

using w95::ui::ScriptedBackend;

using ctl::kBack, ctl::kCancelWrite, ctl::kOk, ctl::kReport, ctl::kRetry, ctl::kVerdict;
constexpr int kChooseName = ctl::kChangeFileName, kLogName = ctl::kLogFileName, kSaveBox = ctl::kSaveResults;

// The user may mend the machine while the write-failed dialog is up; `mend`
// hears how often it has been shown.
class MendingBackend : public ScriptedBackend {
 public:
  std::function<void(int)> mend;
  int RunModal(const w95::ui::DialogTemplate& dialog, w95::ui::DialogEvents& events) override {
    if (dialog.id == tmpl::kWriteFailedDialog && mend) mend(++failures_);
    return ScriptedBackend::RunModal(dialog, events);
  }

 private:
  int failures_ = 0;
};

class ResultsDialogTest : public ResultsFixture {
 protected:
  int Run() { return ResultsDialog().DoModal(); }
  bool ReportExists() const { return machine_.Exists(kReportPath); }
};

TEST_F(ResultsDialogTest, ShowsVerdictReportAndProposalThenSavesOnOk) {
  theApp().statusFlags = ErrorRecorded | RerunSetup;
  script_->Press(kOk);
  EXPECT_EQ(Run(), ResultSaved);

  const auto& shown = Shown(0);
  EXPECT_EQ(shown.templateId, 142);
  EXPECT_EQ(Utf8(shown.texts.at(kVerdict)), "Tavix KRT-310 on LPT1:[本地] 设定不正确。 请运行安装程序。");
  EXPECT_EQ(shown.texts.at(kReport), report_);
  EXPECT_EQ(shown.texts.at(kLogName), TodayLog(0));
  EXPECT_TRUE(shown.checked.at(kSaveBox));
  EXPECT_TRUE(shown.enabled.at(kLogName));
  EXPECT_TRUE(shown.enabled.at(kChooseName));

  EXPECT_EQ(theApp().logPath, TodayLog(0));
  EXPECT_EQ(machine_.Read(TodayLog(0)), report_);
  EXPECT_FALSE(ReportExists());
}

TEST_F(ResultsDialogTest, ProposalTakesTheFirstFreeNumberOfToday) {
  struct Case {
    std::vector<int> taken;
    int proposed;
  } cases[] = {{{}, 0}, {{0, 1, 2, 3, 4, 5, 6, 7, 8, 9}, 10}, {{0, 2}, 1}, {{0, 1, 3, 10}, 2}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.proposed);
    machine_.Builder().Remove("C:\\WINDOWS\\DXL").Directory("C:\\WINDOWS\\DXL");
    for (int nn : c.taken) machine_.Builder().File(TodayLog(nn), "old");
    // Other days' logs change nothing.
    machine_.Builder().File("C:\\WINDOWS\\DXL\\24031400.LOG", "yesterday");
    script_->Press(kSaveBox).Press(kOk);
    machine_.Builder().File(kReportPath, report_);
    Run();
    EXPECT_EQ(script_->Shown().back().texts.at(kLogName), TodayLog(c.proposed));
  }
}

TEST_F(ResultsDialogTest, ADirectoryOrALowerCaseNameTakesItsNumber) {
  machine_.Builder().Directory(TodayLog(0)).File("C:\\WINDOWS\\DXL\\24031501.log", "old");
  script_->Press(kOk);
  EXPECT_EQ(Run(), ResultSaved);
  EXPECT_EQ(theApp().logPath, TodayLog(2));
}

TEST_F(ResultsDialogTest, AllHundredNamesTakenProposes99AndReplacesIt) {
  for (int nn = 0; nn <= 99; ++nn) machine_.Builder().File(TodayLog(nn), "old " + std::to_string(nn));
  script_->Press(kOk);
  EXPECT_EQ(Run(), ResultSaved);
  EXPECT_EQ(theApp().logPath, TodayLog(99));
  EXPECT_EQ(machine_.Read(TodayLog(99)), report_);
  EXPECT_EQ(machine_.Read(TodayLog(98)), "old 98");
}

TEST_F(ResultsDialogTest, DateOfTheProposalIsTwoDigitYearMonthDay) {
  machine_.Builder().MachineIni("Clock", "Now", "2009/01/05 23:59:59");
  script_->Press(kOk);
  Run();
  EXPECT_EQ(theApp().logPath, "C:\\WINDOWS\\DXL\\09010500.LOG");
}

TEST_F(ResultsDialogTest, ClearedCheckBoxDisablesTheNameAndDiscardsTheReport) {
  // Pressing the disabled button or a second toggle: the state follows the box.
  script_->Press(kSaveBox).Press(kChooseName).Press(kSaveBox).Press(kSaveBox).Press(kOk);
  EXPECT_EQ(Run(), ResultDiscarded);
  EXPECT_TRUE(script_->SaveRequests().empty());
  EXPECT_FALSE(ReportExists());
  EXPECT_FALSE(machine_.Exists(TodayLog(0)));
  EXPECT_EQ(theApp().logPath, TodayLog(0));  // set on OK all the same
}

TEST_F(ResultsDialogTest, CheckBoxEnablesAndDisablesNameAndButton) {
  class Probe : public ResultsDialog {
   public:
    void Init(w95::ui::DialogView& view) { OnInitDialog(view); }
    void Command(w95::ui::DialogView& view, int id) { OnCommand(view, id); }
  } dialog;
  w95::ui::DialogState view(dialog.Template());
  dialog.Init(view);
  view.CheckButton(kSaveBox, false);
  dialog.Command(view, kSaveBox);
  EXPECT_FALSE(view.IsItemEnabled(kLogName));
  EXPECT_FALSE(view.IsItemEnabled(kChooseName));
  view.CheckButton(kSaveBox, true);
  dialog.Command(view, kSaveBox);
  EXPECT_TRUE(view.IsItemEnabled(kLogName));
  EXPECT_TRUE(view.IsItemEnabled(kChooseName));
  EXPECT_FALSE(view.Ended());
}

TEST_F(ResultsDialogTest, SaveAsChoiceReplacesTheNameAndCancelKeepsIt) {
  script_->Press(kChooseName).CancelSaveAs().Press(kChooseName).SaveAs("C:\\MYLOG.TXT").Press(kOk);
  EXPECT_EQ(Run(), ResultSaved);
  ASSERT_EQ(script_->SaveRequests().size(), 2u);
  const auto& first = script_->SaveRequests()[0];
  EXPECT_EQ(first.initialDirectory, "C:\\WINDOWS\\DXL");
  EXPECT_EQ(first.fileName, TodayLog(0));
  EXPECT_EQ(first.filter, "*.*");
  EXPECT_TRUE(first.overwritePrompt);
  EXPECT_TRUE(first.pathMustExist);
  EXPECT_EQ(script_->SaveRequests()[1].fileName, TodayLog(0));  // the cancelled dialog changed nothing

  EXPECT_EQ(theApp().logPath, "C:\\MYLOG.TXT");
  EXPECT_EQ(machine_.Read("C:\\MYLOG.TXT"), report_);
  EXPECT_FALSE(machine_.Exists(TodayLog(0)));
  EXPECT_FALSE(ReportExists());
}

TEST_F(ResultsDialogTest, EscAndF1DoNothing) {
  script_->Cancel().Help().Cancel().Press(kOk);
  EXPECT_EQ(Run(), ResultSaved);
  EXPECT_FALSE(Shown(0).ranOutOfScript);
  EXPECT_TRUE(script_->HelpShown().empty());
  EXPECT_TRUE(script_->Messages().empty());
}

TEST_F(ResultsDialogTest, NoUserLeftSavesAsOkWould) {
  EXPECT_EQ(Run(), ResultSaved);
  EXPECT_TRUE(Shown(0).ranOutOfScript);
  EXPECT_EQ(machine_.Read(TodayLog(0)), report_);
}

TEST_F(ResultsDialogTest, MissingDirectoryNamesTheFileThenBackLeavesTheDialogOpen) {
  machine_.Builder().Remove("C:\\WINDOWS\\DXL");
  script_->Press(kOk).Press(kBack).Press(kSaveBox).Press(kOk);
  EXPECT_EQ(Run(), ResultDiscarded);
  ASSERT_EQ(script_->Shown().size(), 2u);
  EXPECT_EQ(Shown(1).templateId, 143);
  EXPECT_EQ(Utf8(Shown(1).texts.at(1032)), "不能写到 " + TodayLog(0) + "。");
  EXPECT_FALSE(ReportExists());
  EXPECT_FALSE(machine_.Exists("C:\\WINDOWS\\DXL"));  // never created
}

TEST_F(ResultsDialogTest, BackThenAnotherNameSaves) {
  machine_.Builder().Remove("C:\\WINDOWS\\DXL");
  script_->Press(kOk).Press(kBack).Press(kChooseName).SaveAs("C:\\WINDOWS\\KEPT.LOG").Press(kOk);
  EXPECT_EQ(Run(), ResultSaved);
  EXPECT_EQ(machine_.Read("C:\\WINDOWS\\KEPT.LOG"), report_);
  EXPECT_EQ(script_->SaveRequests().at(0).fileName, TodayLog(0));
}

TEST_F(ResultsDialogTest, CancelOrEscOnTheFailureDiscardsTheReport) {
  for (bool esc : {false, true}) {
    SCOPED_TRACE(esc);
    machine_.Builder().File(kReportPath, report_).Remove("C:\\WINDOWS\\DXL");
    script_->Press(kOk);
    esc ? script_->Cancel() : script_->Press(kCancelWrite);
    EXPECT_EQ(Run(), ResultDiscarded);
    EXPECT_EQ(script_->Shown().back().templateId, 143);
    EXPECT_FALSE(ReportExists());
  }
}

TEST_F(ResultsDialogTest, RetryRepeatsUntilTheWriteSucceeds) {
  auto backend = std::make_unique<MendingBackend>();
  MendingBackend* mending = backend.get();
  UseBackend(std::move(backend));
  machine_.Builder().Remove("C:\\WINDOWS\\DXL");
  script_->Press(kOk).Press(kRetry).Press(kRetry);
  // The first retry fails again; the user creates the directory before the second.
  mending->mend = [&](int failures) {
    if (failures == 2) machine_.Builder().Directory("C:\\WINDOWS\\DXL");
  };
  EXPECT_EQ(Run(), ResultSaved);
  ASSERT_EQ(script_->Shown().size(), 3u);
  EXPECT_EQ(Shown(2).templateId, 143);
  EXPECT_EQ(machine_.Read(TodayLog(0)), report_);
  EXPECT_FALSE(ReportExists());
}

TEST_F(ResultsDialogTest, FailedSaveLeavesAnExistingFileOfThatNameIntact) {
  // A read-only log of the name: Windows would neither delete nor replace it.
  machine_.Builder().File("C:\\WINDOWS\\DXL\\KEEP.LOG", "the user's file");
  chmod(machine_.Builder().HostPath("C:\\WINDOWS\\DXL\\KEEP.LOG").c_str(), 0444);
  script_->Press(kChooseName).SaveAs("C:\\WINDOWS\\DXL\\KEEP.LOG").Press(kOk).Press(kRetry).Press(kCancelWrite);
  EXPECT_EQ(Run(), ResultDiscarded);
  EXPECT_EQ(script_->Shown().size(), 3u);
  EXPECT_EQ(machine_.Read("C:\\WINDOWS\\DXL\\KEEP.LOG"), "the user's file");
  EXPECT_FALSE(ReportExists());
}

TEST_F(ResultsDialogTest, MissingReportShowsAnEmptyBoxAndCannotBeSaved) {
  machine_.Builder().Remove(kReportPath).File(TodayLog(0), "older log");
  script_->Press(kChooseName).SaveAs(TodayLog(0)).Press(kOk).Press(kCancelWrite);
  EXPECT_EQ(Run(), ResultDiscarded);
  EXPECT_EQ(Shown(0).texts.at(kReport), "");
  EXPECT_EQ(Shown(1).templateId, 143);
  EXPECT_EQ(machine_.Read(TodayLog(0)), "older log");
}

TEST_F(ResultsDialogTest, DirectoryOrHostileNameAtTheLogNameFails) {
  machine_.Builder().Directory("C:\\WINDOWS\\DXL\\SUB");
  for (const char* name : {"C:\\WINDOWS\\DXL\\SUB", "C:\\..\\..\\escaped.log", "\\\\SERVER\\DXL\\X.LOG", "LPT1:"}) {
    SCOPED_TRACE(name);
    size_t before = script_->Shown().size();
    script_->Press(kChooseName).SaveAs(name).Press(kOk).Press(kBack).Press(kSaveBox).Press(kOk);
    machine_.Builder().File(kReportPath, report_);
    EXPECT_EQ(Run(), ResultDiscarded);
    EXPECT_EQ(Shown(before + 1).templateId, 143);
  }
  EXPECT_TRUE(std::filesystem::is_directory(machine_.Builder().HostPath("C:\\WINDOWS\\DXL\\SUB")));
  EXPECT_FALSE(std::filesystem::exists(machine_.Root().parent_path() / "escaped.log"));
}

TEST_F(ResultsDialogTest, SavingTheReportUnderItsOwnNameKeepsIt) {
  script_->Press(kChooseName).SaveAs("c:\\windows\\temp\\TSHOOTER.TMP").Press(kOk);
  EXPECT_EQ(Run(), ResultSaved);
  EXPECT_EQ(machine_.Read(kReportPath), report_);
}

TEST_F(ResultsDialogTest, ReportIsShownUpToItsFirstNul) {
  machine_.Builder().File(kReportPath, std::string("line one\r\n\0hidden", 17));
  script_->Press(kOk);
  Run();
  EXPECT_EQ(Shown(0).texts.at(kReport), "line one\r\n");
  EXPECT_EQ(machine_.Read(TodayLog(0)).size(), 17u);  // the log keeps every byte
}

TEST_F(ResultsDialogTest, FocusOnTheReportClearsTheSelection) {
  struct Calls {
    std::vector<std::string> log;
  } calls;
  class RecordingView : public w95::ui::DialogState {
   public:
    RecordingView(const w95::ui::DialogTemplate& dialog, Calls& calls) : DialogState(dialog), calls_(calls) {}
    void SetSel(int id, int start, int end) override {
      calls_.log.push_back("sel " + std::to_string(id) + " " + std::to_string(start) + " " + std::to_string(end));
    }
    void ScrollCaret(int id) override { calls_.log.push_back("caret " + std::to_string(id)); }

   private:
    Calls& calls_;
  };
  class Probe : public ResultsDialog {
   public:
    void Focus(w95::ui::DialogView& view, int id) { OnEditFocus(view, id); }
  } dialog;
  RecordingView view(dialog.Template(), calls);
  dialog.Focus(view, kLogName);
  EXPECT_TRUE(calls.log.empty());
  dialog.Focus(view, kReport);
  EXPECT_EQ(calls.log, (std::vector<std::string>{"sel 1031 0 0", "caret 1031"}));
}

TEST_F(ResultsDialogTest, VerdictFollowsTheFlagsInOrder) {
  const std::pair<std::uint8_t, const char*> rows[] = {
      {ErrorRecorded | RerunSetup, "Tavix KRT-310 on LPT1:[本地] 设定不正确。 请运行安装程序。"},
      {ErrorRecorded | NetworkErrorRecorded | RunCompleted, "Tavix KRT-310 on LPT1:[本地] 设定不正确。"},
      {NetworkErrorRecorded | RunCompleted | RerunSetup, "Tavix KRT-310 on LPT1:[本地] 的网络设定不正确。"},
      {RunCompleted, "Tavix KRT-310 on LPT1:[本地] 设定正确。"},
      {RunCompleted | RerunSetup, "Tavix KRT-310 on LPT1:[本地] 设定正确。"},
      {0, "Tavix KRT-310 on LPT1:[本地] 的故障排除被用户中止。"},
  };
  for (auto [flags, text] : rows) EXPECT_EQ(Utf8(FormatVerdict(flags, Cp936("LPT1:[本地]"))), text) << int(flags);
  // A description holding a format directive shows as it is.
  EXPECT_EQ(FormatVerdict(RunCompleted, "%s%d"), "Tavix KRT-310 on %s%d " + Cp936("设定正确。"));
}

TEST_F(ResultsDialogTest, LongVerdictIsCutToItsBufferOnACharacterBoundary) {
  std::string description(240, 'x');
  description += Cp936("本地本地本地本地本地");
  std::string verdict = FormatVerdict(ErrorRecorded | RerunSetup, description);
  EXPECT_LE(verdict.size(), 255u);
  EXPECT_GE(verdict.size(), 254u);
  EXPECT_TRUE(w95::Cp936ToUtf8(verdict).has_value());
  EXPECT_TRUE(verdict.starts_with("Tavix KRT-310 on xxx"));
}

}  // namespace
}  // namespace dxl
