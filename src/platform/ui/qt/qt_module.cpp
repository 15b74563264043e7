// The entry point of the module dxlq7trs-qt.so (qt_backend.h).
#include "platform/ui/qt/qt_backend.h"

extern "C" __attribute__((visibility("default"))) w95::ui::Backend* dxlq7trs_qt_make_backend(
    const w95::ui::QtBackendOptions* options) {
  return w95::ui::MakeQtBackend(*options).release();
}
