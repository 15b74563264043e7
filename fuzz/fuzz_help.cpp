// Help file text of any bytes: a topic is found or not, and what is found
// comes from the text.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdio>
#include <cstdlib>

#include "platform/help/help.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzedDataProvider input(data, size);
  const auto context = input.ConsumeIntegral<w95::DWORD>();
  const std::string text = input.ConsumeRemainingBytesAsString();
  for (w95::DWORD wanted : {context, w95::DWORD{0}, w95::DWORD{1}}) {
    auto topic = w95::FindHelpTopic(text, wanted);
    if (!topic) continue;
    if (topic->context != wanted || topic->title.size() > text.size() || topic->body.size() > 2 * text.size() + 2) {
      std::fprintf(stderr, "broken: a topic that the text does not hold\n");
      std::abort();
    }
  }
  return 0;
}
