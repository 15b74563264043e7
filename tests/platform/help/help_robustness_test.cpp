// Mutations of the builder's help file: a topic comes from the text, or is missing.
#include <gtest/gtest.h>

#include "machine_builder/help_file.h"
#include "platform/help/help.h"
#include "support/random_bytes.h"

namespace w95 {
namespace {

using dxl::testing::RandomBytes;

TEST(HelpFileOnMutations, TopicsComeFromTheTextOrAreMissing) {
  RandomBytes random(3);
  const std::string help = dxl::tools::StandardHelpFile();
  for (int round = 0; round < 300; ++round) {
    const std::string text = random.Mutate(help, "[]0123456789Title=\r\n ");
    const DWORD context = static_cast<DWORD>(random.Below(4) == 0 ? random.Below(0xFFFFFFFFu) : random.Below(200));
    auto topic = FindHelpTopic(text, context);
    if (!topic) continue;
    EXPECT_EQ(topic->context, context);
    EXPECT_NE(text.find(topic->title), std::string::npos) << "round " << round;
  }
}

}  // namespace
}  // namespace w95
