// Whether the display Qt would open answers, asked before Qt is started.
#include "platform/ui/qt/display_probe.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

namespace w95::ui {
namespace {

// Sets the display variables for one case and puts them back afterwards.
class DisplayProbe : public ::testing::Test {
 protected:
  static constexpr const char* kNames[] = {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM", "XDG_RUNTIME_DIR"};
  void SetUp() override {
    for (const char* name : kNames) {
      const char* value = std::getenv(name);
      saved_.push_back(value ? std::optional<std::string>(value) : std::nullopt);
    }
  }
  void TearDown() override {
    for (size_t i = 0; i < saved_.size(); ++i) Set(kNames[i], saved_[i] ? saved_[i]->c_str() : nullptr);
  }
  static void Set(const char* name, const char* value) {
    if (value)
      setenv(name, value, 1);
    else
      unsetenv(name);
  }
  std::vector<std::optional<std::string>> saved_;
};

TEST_F(DisplayProbe, ADisplayThatDoesNotAnswerIsNamedAndOffscreenNeedsNone) {
  struct Case {
    const char* display;
    const char* wayland;
    const char* platform;
    const char* problem;
  } cases[] = {
      {":4242", nullptr, nullptr, "the display :4242 does not answer"},
      {"127.0.0.1:4242", nullptr, "xcb", "the display 127.0.0.1:4242 does not answer"},
      {nullptr, "wayland-4242", "wayland", "the Wayland display wayland-4242 does not answer"},
      {nullptr, "/nonexistent/wayland-0", nullptr, "the Wayland display /nonexistent/wayland-0 does not answer"},
      {nullptr, nullptr, nullptr, "no display is set"},
      {":4242", nullptr, "offscreen", ""},
      {nullptr, nullptr, "minimal", ""},
  };
  for (const Case& c : cases) {
    Set("DISPLAY", c.display);
    Set("WAYLAND_DISPLAY", c.wayland);
    Set("QT_QPA_PLATFORM", c.platform);
    Set("XDG_RUNTIME_DIR", "/nonexistent");
    EXPECT_EQ(QtDisplayProblem(), c.problem) << (c.display ? c.display : "") << (c.wayland ? c.wayland : "");
  }
}

}  // namespace
}  // namespace w95::ui
