#include "platform/ui/backend.h"

#include <cctype>
#include <iostream>

#include "platform/base/case_rules.h"
#include "platform/ui/console_backend.h"

namespace w95::ui {

namespace {

std::unique_ptr<Backend>& Slot() {
  static std::unique_ptr<Backend> backend;
  return backend;
}

}  // namespace

Backend& CurrentBackend() {
  auto& backend = Slot();
  if (!backend) backend = std::make_unique<ConsoleBackend>(std::cin, std::cout);
  return *backend;
}

void SetBackend(std::unique_ptr<Backend> backend) { Slot() = std::move(backend); }

void Backend::PlatformNote(std::string_view text) { std::cerr << text << '\n'; }

char AcceleratorOf(std::string_view text) {
  for (size_t i = 0; i + 1 < text.size(); ++i) {
    if (text[i] != '&') continue;
    if (text[i + 1] == '&') {
      ++i;
      continue;
    }
    return UpperTextByte(text[i + 1]);
  }
  return 0;
}

std::string WithoutAcceleratorMarks(std::string_view text) {
  std::string shown;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '&' && i + 1 < text.size()) ++i;
    shown += text[i];
  }
  return shown;
}

}  // namespace w95::ui
