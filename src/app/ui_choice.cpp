#include "app/ui_choice.h"

#include <dlfcn.h>

#include <cstdlib>
#include <iostream>
#include <latch>
#include <string_view>
#include <thread>

#include "platform/base/backend_module.h"
#include "platform/ui/backend_choice.h"
#include "platform/ui/console_backend.h"
#ifdef DXL_HAVE_QT
#include "platform/ui/qt/display_probe.h"
#include "platform/ui/qt/qt_backend.h"
#endif

namespace dxl {

namespace {

#ifdef DXL_HAVE_QT
void SayConsoleInstead(const std::string& problem) {
  std::cerr << "dxlq7trs: " << problem << "; the pages are shown on the console instead.\n";
}

bool Unattended() {
  const char* value = std::getenv("TSHOOTER_UNATTENDED");
  return value && std::string_view(value) == "1";
}

bool QtWanted() { return w95::ui::ChooseBackendKindFromEnvironment(true) == w95::ui::BackendKind::Qt; }

// The Qt module, loaded once: in the background from the start of the program
// (StartLoadingQtBackend), or when it is first asked for.
//
// Most of Qt's start-up needs no Qt object: mapping and binding its libraries,
// and reading the font configuration (every configuration file and font
// cache, which Qt's first font look-up reads through fontconfig, read once per
// process). Both are done here on two threads of their own while the program
// checks its machine, and the font configuration is read while the libraries
// are bound. Qt then finds it read.
class QtModuleLoad {
 public:
  void Start() {
    if (started_) return;
    started_ = true;
    fontReader_ = std::jthread([this] { ReadFontConfiguration(); });
    moduleLoader_ = std::jthread([this] { LoadModule(); });
  }
  // Why the display does not answer (empty when it does): what the load
  // found, or asked now when no load was started.
  std::string DisplayProblem() {
    if (!started_) return w95::ui::QtDisplayProblem();
    displayAsked_.wait();
    return displayProblem_;
  }
  // Waits for the module, whose load is started here when it was not before.
  w95::BackendModule& WaitForModule() {
    Start();
    if (moduleLoader_.joinable()) moduleLoader_.join();
    return qtModule_;
  }
  // Waits for the font configuration to be read (Qt's first font look-up
  // would read it again, at the same time).
  void WaitForFonts() {
    if (fontReader_.joinable()) fontReader_.join();
  }

 private:
  // Qt aborts the process when its display does not answer (a DISPLAY left
  // over from an ssh session, say), so the display is asked first.
  void LoadModule() {
    displayProblem_ = w95::ui::QtDisplayProblem();
    displayAsked_.count_down();
    // One dynamic load at a time: fontconfig's own first, so that reading the
    // configuration can start while Qt's libraries are bound.
    fontconfigMapped_.wait();
    if (!displayProblem_.empty()) return;
    qtModule_ = w95::BackendModule::Open(w95::ui::kQtModuleFileName);
  }

  void ReadFontConfiguration() {
    void* fontconfig = dlopen("libfontconfig.so.1", RTLD_LAZY | RTLD_LOCAL | RTLD_NODELETE);
    fontconfigMapped_.count_down();
    if (!fontconfig) return;
    using InitFunction = int (*)();
    if (auto init = reinterpret_cast<InitFunction>(dlsym(fontconfig, "FcInit"))) init();
    dlclose(fontconfig);
  }

  bool started_ = false;  // by the program's main thread only
  std::latch displayAsked_{1};
  std::latch fontconfigMapped_{1};
  std::string displayProblem_;
  w95::BackendModule qtModule_;
  // Last: joined before the rest goes.
  std::jthread fontReader_;
  std::jthread moduleLoader_;
};

QtModuleLoad& TheQtModuleLoad() {
  static QtModuleLoad load;
  return load;
}

// The console is used instead of a display that does not answer, and said so.
bool QtCanStart() {
  std::string problem = TheQtModuleLoad().DisplayProblem();
  if (problem.empty()) return true;
  SayConsoleInstead(problem);
  return false;
}

#endif

}  // namespace

void StartLoadingQtBackend() {
#ifdef DXL_HAVE_QT
  if (QtWanted()) TheQtModuleLoad().Start();
#endif
}

std::unique_ptr<w95::ui::Backend> LoadQtBackend(bool unattended) {
#ifdef DXL_HAVE_QT
  auto& load = TheQtModuleLoad();
  auto& module = load.WaitForModule();
  auto make = reinterpret_cast<w95::ui::MakeQtBackendFunction>(module.Symbol(w95::ui::kMakeQtBackendSymbol));
  if (!make) {
    SayConsoleInstead("the Qt backend cannot be loaded (" + module.Error() + ")");
    return nullptr;
  }
  w95::ui::QtBackendOptions options;
  options.unattended = unattended;
  options.beforeFirstFont = [&load] { load.WaitForFonts(); };
  return std::unique_ptr<w95::ui::Backend>(make(&options));
#else
  (void)unattended;
  return nullptr;
#endif
}

void InstallUiBackend(const QtBackendMaker& makeQt) {
#ifdef DXL_HAVE_QT
  if (QtWanted() && QtCanStart()) {
    if (auto backend = makeQt(Unattended())) {
      w95::ui::SetBackend(std::move(backend));
      return;
    }
  }
#else
  (void)makeQt;
#endif
  w95::ui::SetBackend(std::make_unique<w95::ui::ConsoleBackend>(std::cin, std::cout));
}

}  // namespace dxl
