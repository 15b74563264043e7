// The string table and the two ways of formatting its messages.
#include <gtest/gtest.h>

#include "platform/base/cp936.h"
#include "resources/format.h"
#include "resources/string_table.h"

namespace {

using namespace dxl;

TEST(StringTable, HandsOutCp936AndKnowsOnlyItsIds) {
  EXPECT_EQ(LoadMessage(msg::kErrorPrefix), "\xB4\xED\xCE\xF3: ");  // "错误: "
  EXPECT_EQ(w95::Cp936ToUtf8(LoadMessage(msg::kFixedSuffix)), " - 已修正");
  EXPECT_EQ(LoadMessage(107), "");
  EXPECT_EQ(LoadMessage(99999), "");
  EXPECT_EQ(LoadMessage(msg::kFailedToLaunchHelp), "Failed to launch help.");
  EXPECT_EQ(MessageUtf8(128), "\"MS-DOS 后台打印\"被启用");
  EXPECT_EQ(MessageUtf8(129), "\" MS-DOS 后台打印\"被取消");
  for (unsigned id = 102; id <= 177; ++id) {
    if (MessageUtf8(id).empty()) continue;
    EXPECT_EQ(w95::Cp936ToUtf8(LoadMessage(id)), MessageUtf8(id)) << id;
  }
}

TEST(FormatPrintf, FormatsTextAndNumbersAsPrintfWould) {
  EXPECT_EQ(FormatPrintf("%s=%s %s=%d\r\n", {"a", "b", "c", std::int64_t{-5}}), "a=b c=-5\r\n");
  EXPECT_EQ(FormatPrintf("%s%s0%1d.LOG", {"D\\", "261208", std::int64_t{7}}), "D\\26120807.LOG");
  EXPECT_EQ(FormatPrintf("%s%s%2d.LOG", {"D\\", "261208", std::int64_t{42}}), "D\\26120842.LOG");
  EXPECT_EQ(FormatPrintf("%ld%%", {std::int64_t{512}}), "512%");
  EXPECT_EQ(FormatPrintf("dword:%08x", {std::int64_t{0x800}}), "dword:00000800");
}

TEST(FormatPrintf, MissingOrMismatchedArgumentsFormatAsNothing) {
  EXPECT_EQ(FormatPrintf("[%s] [%d]", {}), "[] []");
  EXPECT_EQ(FormatPrintf("[%d] [%s]", {"text", std::int64_t{1}}), "[] []");
  std::string longText(1000, 'x');
  EXPECT_EQ(FormatPrintf("<%s>", {longText}).size(), 1002u);
}

TEST(FormatPositional, ReplacesByPositionWhereverTheyStand) {
  EXPECT_EQ(FormatPositional("打印服务器 %2 中找不到 %1 。", {"DXLQ7APD.APD", "\\\\SRV"}),
            "打印服务器 \\\\SRV 中找不到 DXLQ7APD.APD 。");
  EXPECT_EQ(FormatPositional("%1-%1-%3", {"a", "b"}), "a-a-");
  EXPECT_EQ(FormatPositional("100% %s %0", {"a"}), "100% %s %0");
}

}  // namespace
