// The report file routines.
#include "outcome/report_file.h"

#include <gtest/gtest.h>

#include "platform/base/cp936.h"
#include "platform/files/files.h"
#include "support/temp_machine.h"

namespace {

using namespace dxl;
using dxl::testing::TempMachine;

std::string Utf8(const std::string& cp936) { return w95::Cp936ToUtf8(cp936).value_or("<invalid>"); }

TEST(AppendReportLine, CreatesAppendsAndFailsWithoutCreating) {
  TempMachine machine;
  const char* report = "C:\\WINDOWS\\TEMP\\tshooter.tmp";
  EXPECT_EQ(AppendReportLine(report, "one\r\n"), 1);
  EXPECT_EQ(AppendReportLine(report, "two\r\n"), 1);
  EXPECT_EQ(machine.Read(report), "one\r\ntwo\r\n");
  EXPECT_EQ(AppendReportLine(report, ""), 1);
  EXPECT_EQ(machine.Read(report), "one\r\ntwo\r\n");

  EXPECT_EQ(AppendReportLine("C:\\NODIR\\tshooter.tmp", "x\r\n"), 0);
  EXPECT_FALSE(machine.Exists("C:\\NODIR"));
  EXPECT_EQ(AppendReportLine("C:\\WINDOWS\\..\\..\\escape.tmp", "x\r\n"), 0);

  EXPECT_EQ(AppendReportLine("C:\\WINDOWS\\TEMP\\empty.tmp", ""), 1);
  EXPECT_TRUE(machine.Exists("C:\\WINDOWS\\TEMP\\empty.tmp"));
  EXPECT_EQ(machine.Read("C:\\WINDOWS\\TEMP\\empty.tmp"), "");
}

TEST(AppendReportLine, OthersMayReadButNotWriteWhileALineIsWritten) {
  TempMachine machine;
  const char* report = "C:\\WINDOWS\\TEMP\\tshooter.tmp";
  w95::FileHandle writer = w95::CreateFileA(report, w95::GENERIC_WRITE, 0, w95::OPEN_ALWAYS, 0);
  EXPECT_EQ(AppendReportLine(report, "x\r\n"), 0);  // held without sharing
  writer.Close();
  w95::FileHandle reader =
      w95::CreateFileA(report, w95::GENERIC_READ, w95::FILE_SHARE_READ | w95::FILE_SHARE_WRITE, w95::OPEN_EXISTING, 0);
  EXPECT_EQ(AppendReportLine(report, "x\r\n"), 1);
}

TEST(FormatFileFactsLine, WritesBothFormsByteForByteInCp936) {
  std::string out;
  FormatFileFactsLine(0, "1.0.0.2", "1997/07/01 12:00:00", 1024, out);
  EXPECT_EQ(Utf8(out), "所需版本=1.0.0.2 时间标志=1997/07/01 12:00:00 大小=1024\r\n");
  EXPECT_EQ(out,
            "\xCB\xF9\xD0\xE8\xB0\xE6\xB1\xBE=1.0.0.2 \xCA\xB1\xBC\xE4\xB1\xEA\xD6\xBE=1997/07/01 12:00:00 "
            "\xB4\xF3\xD0\xA1=1024\r\n");
  FormatFileFactsLine(1, "0", "1997/07/01 12:00:00", 1024, out);
  EXPECT_EQ(Utf8(out), "当前时间标志=1997/07/01 12:00:00 大小=1024\r\n");
  FormatFileFactsLine(0, "0", "1997/07/01 12:00:00", -1, out);
  EXPECT_EQ(Utf8(out), "所需时间标志=1997/07/01 12:00:00 大小=-1\r\n");
  FormatFileFactsLine(1, "0.0", "1997/07/01 12:00:00", 7, out);
  EXPECT_EQ(Utf8(out), "当前版本=0.0 时间标志=1997/07/01 12:00:00 大小=7\r\n");
}

TEST(ReportLine, JoinsPrefixTextSuffixAndLineEnd) {
  EXPECT_EQ(Utf8(ReportLine(150, w95::Utf8ToCp936("虚拟内存被取消").value(), 152)),
            "错误: 虚拟内存被取消 - 已修正\r\n");
  EXPECT_EQ(ReportLine(0, "plain"), "plain\r\n");
}

}  // namespace
