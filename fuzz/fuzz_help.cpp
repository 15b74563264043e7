// A help file of any bytes: it opens or is refused; every context its map
// names gives a topic or nothing, within the reader's bounds.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdio>
#include <cstdlib>

#include "platform/help/help.h"
#include "platform/help/winhelp_file.h"

namespace {

void Broken(const char* what) {
  std::fprintf(stderr, "broken: %s\n", what);
  std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzedDataProvider input(data, size);
  const auto context = input.ConsumeIntegral<w95::DWORD>();
  const std::string bytes = input.ConsumeRemainingBytesAsString();
  if (auto topic = w95::FindHelpTopic(bytes, context); topic && topic->context != context) Broken("another topic");
  auto file = w95::winhelp::HelpFile::Open(bytes);
  if (!file) return 0;
  size_t shown = 0;
  for (const auto& [mapped, offset] : file->ContextMap()) {
    if (++shown > 64) break;
    auto topic = file->Topic(mapped);
    if (!topic) continue;
    size_t text = topic->title.size();
    for (const std::string& paragraph : topic->paragraphs) text += paragraph.size();
    if (text > (size_t{2} << 20)) Broken("a topic beyond the reader's bounds");
  }
  return 0;
}
