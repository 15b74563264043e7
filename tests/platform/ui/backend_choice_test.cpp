// The choice of the user-interface backend from TSHOOTER_UI and the display.
#include "platform/ui/backend_choice.h"

#include <gtest/gtest.h>

namespace w95::ui {
namespace {

TEST(BackendChoice, EnvironmentWinsThenTheDisplayDecides) {
  EXPECT_EQ(ChooseBackendKind("console", true, true), BackendKind::Console);
  EXPECT_EQ(ChooseBackendKind("qt", false, true), BackendKind::Qt);
  EXPECT_EQ(ChooseBackendKind(nullptr, true, true), BackendKind::Qt);
  EXPECT_EQ(ChooseBackendKind(nullptr, false, true), BackendKind::Console);
  EXPECT_EQ(ChooseBackendKind("", false, true), BackendKind::Console);
  EXPECT_EQ(ChooseBackendKind("tk", true, true), BackendKind::Qt);
  // Without Qt in the program there is only the console.
  EXPECT_EQ(ChooseBackendKind("qt", true, false), BackendKind::Console);
}

}  // namespace
}  // namespace w95::ui
