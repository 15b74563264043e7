#include "platform/ui/qt/display_probe.h"

#include <dlfcn.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <string_view>

namespace w95::ui {

namespace {

std::string_view Env(const char* name) {
  const char* value = std::getenv(name);
  return value ? value : "";
}

// An X connection made and closed through libxcb (the library Qt's xcb plugin
// uses), loaded here so that the program needs no X headers to build.
bool XDisplayAnswers(std::string_view display) {
  void* xcb = dlopen("libxcb.so.1", RTLD_NOW | RTLD_LOCAL);
  if (!xcb) return false;
  using Connect = void* (*)(const char*, int*);
  using HasError = int (*)(void*);
  using Disconnect = void (*)(void*);
  auto connect = reinterpret_cast<Connect>(dlsym(xcb, "xcb_connect"));
  auto hasError = reinterpret_cast<HasError>(dlsym(xcb, "xcb_connection_has_error"));
  auto disconnect = reinterpret_cast<Disconnect>(dlsym(xcb, "xcb_disconnect"));
  bool answers = false;
  if (connect && hasError && disconnect) {
    std::string name(display);
    void* connection = connect(name.c_str(), nullptr);
    answers = connection && hasError(connection) == 0;
    if (connection) disconnect(connection);
  }
  dlclose(xcb);
  return answers;
}

bool WaylandDisplayAnswers(std::string_view display) {
  std::string path(display);
  if (path.empty()) return false;
  if (path[0] != '/') {
    std::string_view runtime = Env("XDG_RUNTIME_DIR");
    if (runtime.empty()) return false;
    path = std::string(runtime) + "/" + path;
  }
  sockaddr_un address{};
  if (path.size() >= sizeof(address.sun_path)) return false;
  address.sun_family = AF_UNIX;
  std::memcpy(address.sun_path, path.data(), path.size());
  int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return false;
  bool answers = connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address)) == 0;
  close(fd);
  return answers;
}

}  // namespace

std::string QtDisplayProblem() {
  std::string_view platform = Env("QT_QPA_PLATFORM");
  bool wantsX = platform.empty() || platform.starts_with("xcb");
  bool wantsWayland = platform.empty() || platform.starts_with("wayland");
  if (!wantsX && !wantsWayland) return {};  // offscreen, vnc, ...: no display to ask
  std::string_view wayland = Env("WAYLAND_DISPLAY");
  if (wantsWayland && WaylandDisplayAnswers(wayland)) return {};
  std::string_view x = Env("DISPLAY");
  if (wantsX && !x.empty() && XDisplayAnswers(x)) return {};
  if (wantsX && !x.empty()) return "the display " + std::string(x) + " does not answer";
  if (wantsWayland && !wayland.empty()) return "the Wayland display " + std::string(wayland) + " does not answer";
  return "no display is set";
}

}  // namespace w95::ui
