#include "checks/spooler_settings.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "checks/ini_checks.h"
#include "platform/registry/registry.h"
#include "platform/spooler/spooler.h"

namespace dxl {

namespace {

constexpr std::string_view kPrintersKey = w95::kPrintersKey;
constexpr w95::DWORD kNumberSize = 4;
constexpr w95::DWORD kPrintersMaskSize = 16;

std::uint32_t Number(const std::string& data) {
  std::uint32_t number = 0;
  for (size_t i = data.size(); i-- > 0;) number = number << 8 | static_cast<unsigned char>(data[i]);
  return number;
}

std::string NumberBytes(std::uint32_t number, size_t size) {
  std::string data(size, '\0');
  for (size_t i = 0; i < size && i < 4; ++i) data[i] = static_cast<char>((number >> (8 * i)) & 0xFF);
  return data;
}

// The bit of LPTn, the shift count taken modulo 32 as the processor does.
std::uint32_t PortBit(int portNumber) { return 1u << ((static_cast<unsigned>(portNumber) - 1u) & 31u); }

// A 4-byte value of an open key; nullopt when it cannot be read.
std::optional<std::uint32_t> QueryNumber(const w95::RegKey& key, std::string_view name) {
  std::string data;
  w95::DWORD size = kNumberSize;
  if (w95::RegQueryValueExA(key, name, nullptr, &data, size) != w95::ERROR_SUCCESS) return std::nullopt;
  return Number(data);
}

// Reads the printer's record, lets `change` edit it, and hands it back to the spooler.
int ChangePrinter(std::string_view printerName, const std::function<void(w95::PrinterInfo2&)>& change) {
  w95::PrinterHandle printer;
  if (!w95::OpenPrinterA(printerName, printer)) return 0;
  w95::DWORD needed = 0;
  w95::GetPrinterA(printer, 2, nullptr, 0, needed);
  if (needed == 0) return 0;
  w95::PrinterInfo2 info;
  if (!w95::GetPrinterA(printer, 2, &info, needed, needed)) return 0;
  change(info);
  return w95::SetPrinterA(printer, 2, &info, 0);
}

}  // namespace

int CheckBidiEnabled() {
  w95::RegKey key;
  std::string path = std::string(kPrintersKey) + "\\" + std::string(kPrinterName);
  if (w95::RegOpenKeyExA(w95::RootKey::LocalMachine, path, 0, w95::KEY_READ, key) != w95::ERROR_SUCCESS) return 1;
  auto attributes = QueryNumber(key, "Attributes");
  if (!attributes) return 1;
  return (*attributes & w95::PRINTER_ATTRIBUTE_ENABLE_BIDI) ? 1 : 0;
}

int EnableBidi() {
  return ChangePrinter(kPrinterName,
                       [](w95::PrinterInfo2& info) { info.Attributes |= w95::PRINTER_ATTRIBUTE_ENABLE_BIDI; });
}

int CheckDosSpooling(int portNumber) {
  w95::RegKey key;
  if (w95::RegOpenKeyExA(w95::RootKey::LocalMachine, kPrintersKey, 0, w95::KEY_READ, key) != w95::ERROR_SUCCESS)
    return 1;
  auto mask = QueryNumber(key, "DOSSpoolMask");
  if (!mask) return 1;
  return (*mask & PortBit(portNumber)) ? 1 : 0;
}

// Writes through a key opened for reading and writing: the registry refuses
// writes through a key opened for reading only. Both values are read before
// either is written, and the first is put back when the second cannot be
// written, so the fix is made whole or not at all.
int EnableDosSpooling(int portNumber) {
  w95::RegKey key;
  if (w95::RegOpenKeyExA(w95::RootKey::LocalMachine, kPrintersKey, 0, w95::KEY_READ | w95::KEY_WRITE, key) !=
      w95::ERROR_SUCCESS)
    return 0;
  std::uint32_t bit = PortBit(portNumber);

  std::string spool;
  w95::DWORD spoolType = 0;
  w95::DWORD spoolSize = kNumberSize;
  if (w95::RegQueryValueExA(key, "DOSSpoolMask", &spoolType, &spool, spoolSize) != w95::ERROR_SUCCESS) return 0;
  std::string printers;
  w95::DWORD printersType = 0;
  w95::DWORD printersSize = kPrintersMaskSize;
  if (w95::RegQueryValueExA(key, "PrintersMask", &printersType, &printers, printersSize) != w95::ERROR_SUCCESS)
    return 0;

  spool.resize(spoolSize);
  if (w95::RegSetValueExA(key, "DOSSpoolMask", spoolType, NumberBytes(Number(spool) | bit, spoolSize)) !=
      w95::ERROR_SUCCESS)
    return 0;
  printers.resize(printersSize);
  if (!printers.empty()) printers[0] = static_cast<char>(static_cast<unsigned char>(printers[0]) | (bit & 0xFF));
  if (w95::RegSetValueExA(key, "PrintersMask", printersType, printers) != w95::ERROR_SUCCESS) {
    w95::RegSetValueExA(key, "DOSSpoolMask", spoolType, spool);
    return 0;
  }
  return 1;
}

int SetPrinterPort(std::string_view printerName, std::string_view portName) {
  return ChangePrinter(printerName, [&](w95::PrinterInfo2& info) { info.pPortName = std::string(portName); });
}

int MovePrinterToFile(std::string_view printerName) { return SetPrinterPort(printerName, "FILE:"); }

}  // namespace dxl
