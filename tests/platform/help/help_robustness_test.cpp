// Mutations of real help files: a topic is shown, or the call fails with a
// defined error; never a crash, a hang or unbounded memory.
#include <gtest/gtest.h>

#include "machine_builder/help_file.h"
#include "platform/base/last_error.h"
#include "platform/help/help.h"
#include "platform/help/help_test_data.h"
#include "support/random_bytes.h"

namespace w95 {
namespace {

using dxl::testing::RandomBytes;

TEST(HelpFileOnMutations, ATopicOrADefinedError) {
  RandomBytes random(3);
  const std::string files[] = {dxl::tools::StandardHelpFile(), HelpTestData("wx-help-sample-doc.hlp")};
  const DWORD contexts[] = {10000, 10005, 10011, 100, 1, 3};
  for (int round = 0; round < 600; ++round) {
    const std::string text =
        random.Mutate(files[round % 2], std::string("\x00\x01\x02\x03\x04\xFF\x20\x82\x3B\x29", 10));
    const DWORD context = contexts[random.Below(6)];
    auto topic = FindHelpTopic(text, context);
    if (topic) {
      EXPECT_EQ(topic->context, context);
      EXPECT_LE(topic->body.size(), size_t{2} << 20);
    } else {
      EXPECT_TRUE(GetLastError() == ERROR_INVALID_DATA || GetLastError() == ERROR_INVALID_PARAMETER) << round;
    }
  }
}

}  // namespace
}  // namespace w95
