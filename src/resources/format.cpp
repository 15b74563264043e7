#include "resources/format.h"

#include <cstdio>
#include <vector>

namespace dxl {

namespace {

struct Conversion {
  std::string flags;
  std::string width;
  std::string precision;
  char conversion = 0;
};

// Parses the conversion after '%' at format[pos]; returns one past its end.
size_t ParseConversion(std::string_view format, size_t pos, Conversion& conv) {
  while (pos < format.size() && std::string_view("-+ #0").find(format[pos]) != std::string_view::npos)
    conv.flags += format[pos++];
  while (pos < format.size() && format[pos] >= '0' && format[pos] <= '9') conv.width += format[pos++];
  if (pos < format.size() && format[pos] == '.') {
    conv.precision += '.';
    ++pos;
    while (pos < format.size() && format[pos] >= '0' && format[pos] <= '9') conv.precision += format[pos++];
  }
  while (pos < format.size() && (format[pos] == 'l' || format[pos] == 'h')) ++pos;
  if (pos < format.size()) conv.conversion = format[pos++];
  return pos;
}

std::string FormatOne(const Conversion& conv, const FormatArg* arg) {
  if (!arg) return {};
  std::string pattern = "%" + conv.flags + conv.width + conv.precision;
  std::vector<char> buffer(64);
  auto print = [&](auto value) {
    int n = std::snprintf(buffer.data(), buffer.size(), pattern.c_str(), value);
    if (n < 0) return std::string();
    if (static_cast<size_t>(n) >= buffer.size()) {
      buffer.resize(static_cast<size_t>(n) + 1);
      std::snprintf(buffer.data(), buffer.size(), pattern.c_str(), value);
    }
    return std::string(buffer.data(), static_cast<size_t>(n));
  };
  if (conv.conversion == 's') {
    auto text = std::get_if<std::string_view>(arg);
    if (!text) return {};
    std::string owned(*text);
    pattern += "s";
    return print(owned.c_str());
  }
  auto number = std::get_if<std::int64_t>(arg);
  if (!number) return {};
  switch (conv.conversion) {
    case 'd':
    case 'i': pattern += "lld"; return print(static_cast<long long>(*number));
    case 'u': pattern += "llu"; return print(static_cast<unsigned long long>(static_cast<std::uint32_t>(*number)));
    case 'x': pattern += "llx"; return print(static_cast<unsigned long long>(static_cast<std::uint32_t>(*number)));
    case 'X': pattern += "llX"; return print(static_cast<unsigned long long>(static_cast<std::uint32_t>(*number)));
    case 'c': return std::string(1, static_cast<char>(*number));
    default: return {};
  }
}

}  // namespace

std::string FormatPrintf(std::string_view format, std::initializer_list<FormatArg> args) {
  std::string out;
  auto next = args.begin();
  for (size_t pos = 0; pos < format.size();) {
    char c = format[pos++];
    if (c != '%') {
      out += c;
      continue;
    }
    if (pos < format.size() && format[pos] == '%') {
      out += '%';
      ++pos;
      continue;
    }
    Conversion conv;
    pos = ParseConversion(format, pos, conv);
    const FormatArg* arg = next != args.end() ? &*next++ : nullptr;
    out += FormatOne(conv, arg);
  }
  return out;
}

std::string FormatPositional(std::string_view format, std::initializer_list<std::string_view> args) {
  std::string out;
  for (size_t pos = 0; pos < format.size(); ++pos) {
    char c = format[pos];
    if (c == '%' && pos + 1 < format.size() && format[pos + 1] >= '1' && format[pos + 1] <= '9') {
      size_t index = static_cast<size_t>(format[++pos] - '1');
      if (index < args.size()) out += *(args.begin() + index);
      continue;
    }
    out += c;
  }
  return out;
}

}  // namespace dxl
