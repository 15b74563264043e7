#include "platform/base/cp936.h"

#include <iconv.h>

#include <cerrno>
#include <vector>

namespace w95 {

namespace {

class Converter {
 public:
  Converter(const char* to, const char* from) : cd_(iconv_open(to, from)) {}
  ~Converter() {
    if (cd_ != reinterpret_cast<iconv_t>(-1)) iconv_close(cd_);
  }
  Converter(const Converter&) = delete;
  Converter& operator=(const Converter&) = delete;

  // Converts `in`; with `lossy`, an invalid sequence is replaced and skipped.
  std::optional<std::string> Run(std::string_view in, bool lossy, size_t skip = 1) {
    if (cd_ == reinterpret_cast<iconv_t>(-1)) return std::nullopt;
    iconv(cd_, nullptr, nullptr, nullptr, nullptr);
    std::string out;
    std::vector<char> chunk(in.size() * 4 + 16);
    char* src = const_cast<char*>(in.data());
    size_t srcLeft = in.size();
    while (srcLeft > 0) {
      char* dst = chunk.data();
      size_t dstLeft = chunk.size();
      size_t rc = iconv(cd_, &src, &srcLeft, &dst, &dstLeft);
      out.append(chunk.data(), dst - chunk.data());
      if (rc != static_cast<size_t>(-1)) continue;
      if (errno == E2BIG) continue;
      if (!lossy) return std::nullopt;
      out += "\xEF\xBF\xBD";
      size_t step = std::min(skip, srcLeft);
      src += step;
      srcLeft -= step;
      iconv(cd_, nullptr, nullptr, nullptr, nullptr);
    }
    return out;
  }

 private:
  iconv_t cd_;
};

}  // namespace

std::optional<std::string> Cp936ToUtf8(std::string_view cp936) {
  thread_local Converter converter("UTF-8", "CP936");
  return converter.Run(cp936, false);
}

std::optional<std::string> Utf8ToCp936(std::string_view utf8) {
  thread_local Converter converter("CP936", "UTF-8");
  return converter.Run(utf8, false);
}

std::string Cp936ToUtf8Lossy(std::string_view cp936) {
  thread_local Converter converter("UTF-8", "CP936");
  return converter.Run(cp936, true).value_or(std::string());
}

}  // namespace w95
