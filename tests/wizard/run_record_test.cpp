// The run record beside the report: each finding with its step, its result
// code, its own report lines and what became of it, as the driver and the
// installed-files verification record them on the pages' answers.
#include "outcome/run_record.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app_state/troubleshooter_app.h"
#include "machine_builder/printing_files.h"
#include "machine_builder/registry_faults.h"
#include "platform/base/cp936.h"
#include "resources/dialog_templates.h"
#include "support/program_test.h"

namespace dxl {
namespace {

using ctl::kContinue, ctl::kNo, ctl::kOk, ctl::kReturn, ctl::kStartYes, ctl::kYes;

struct Expected {
  int step;
  int result;
  FindingEnd end;
  std::vector<std::string> lines;  // UTF-8
};

class RecordOfFindings : public testing::ProgramTest {
 protected:
  void Expect(const std::vector<Expected>& expected) {
    const RunRecord& record = TheRunRecord();
    ASSERT_EQ(record.findings.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i) {
      SCOPED_TRACE(i);
      const Finding& finding = record.findings[i];
      EXPECT_EQ(finding.step, expected[i].step);
      EXPECT_EQ(finding.result, expected[i].result);
      EXPECT_EQ(FindingEndName(finding.end), FindingEndName(expected[i].end)) << finding.why;
      std::vector<std::string> lines;
      for (const auto& line : finding.reportLines) lines.push_back(w95::Cp936ToUtf8Lossy(line));
      EXPECT_EQ(lines, expected[i].lines);
    }
    EXPECT_TRUE(record.ChecksEnded());
  }
};

TEST_F(RecordOfFindings, FixPagesInformingPagesAndTheirLines) {
  std::string systemIni = tools::StandardSystemIni();
  for (std::string_view line : {"device=DXLCPEPY.386\r\n", "device=DXLQ7EM.386\r\n"})
    systemIni.erase(systemIni.find(line), line.size());
  systemIni.insert(systemIni.find("[386Enh]\r\n") + 10, "Paging=off\r\n");
  Builder().SystemIni(systemIni);
  tools::BreakRegistryEntry(Builder(), tools::RegistryEntry::Driver, tools::EntryFault::Wrong);
  machine_.Activate();
  script_->Press(kStartYes).Press(kYes).Press(kNo).Press(kContinue).Press(kOk);
  theApp().WizardDriver();
  Expect({{3,
           4,
           FindingEnd::Fixed,
           {"错误: SYSTEM.INI 中遗漏 device=DXLCPEPY.386 - 已修正",
            "错误: SYSTEM.INI 中遗漏 device=DXLQ7EM.386 - 已修正"}},
          {5, 6, FindingEnd::Declined, {"错误: 虚拟内存被取消 - 未修正"}},
          {8, 9, FindingEnd::Unfixable, {"错误: 登记项目不正确。"}}});
  EXPECT_TRUE(TheRunRecord().rerunSetup);
}

TEST_F(RecordOfFindings, AFileToDeleteIsAFindingWithItsThreeLines) {
  tools::SetPrintingFileVersion(Builder(), "DXLQ7EM.386", "2.10.0.1");
  script_->Press(kStartYes).Press(kYes).Press(kOk).Press(kReturn);
  theApp().WizardDriver();
  Expect({{9,
           11,
           FindingEnd::Fixed,
           {"错误: C:\\WINDOWS\\SYSTEM\\DXLQ7EM.386 - 将被重命名为 DXLQ7EM.000",
            "当前版本=2.10.0.1 时间标志=1997/06/28 17:40:02 大小=28672",
            "所需版本=2.10.0.30 时间标志=1997/06/28 17:40:02 大小=28672"}}});
}

}  // namespace
}  // namespace dxl
