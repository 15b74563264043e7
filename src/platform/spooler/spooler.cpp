#include "platform/spooler/spooler.h"

#include "platform/base/case_rules.h"
#include "platform/base/last_error.h"
#include "platform/base/text.h"
#include "platform/registry/registry.h"
#include "platform/spooler/spooler_internal.h"

// Tables below are laid out by hand.
// clang-format off

namespace w95 {

namespace {

constexpr DWORD kPrinterInfo2Size = 84;  // 13 pointers and 8 DWORDs
constexpr DWORD kNameBufferSize = 256;

struct TextField {
  const char* valueName;
  std::string PrinterInfo2::*field;
};
struct NumberField {
  const char* valueName;
  DWORD PrinterInfo2::*field;
};

// Where the record's fields live among the printer key's values.
constexpr TextField kTextFields[] = {
    {"Share Name", &PrinterInfo2::pShareName},         {"Port", &PrinterInfo2::pPortName},
    {"Printer Driver", &PrinterInfo2::pDriverName},    {"Description", &PrinterInfo2::pComment},
    {"Location", &PrinterInfo2::pLocation},            {"Separator File", &PrinterInfo2::pSepFile},
    {"Print Processor", &PrinterInfo2::pPrintProcessor}, {"Datatype", &PrinterInfo2::pDatatype},
    {"Parameters", &PrinterInfo2::pParameters},
};
constexpr NumberField kNumberFields[] = {
    {"Attributes", &PrinterInfo2::Attributes}, {"Priority", &PrinterInfo2::Priority},
    {"Default Priority", &PrinterInfo2::DefaultPriority}, {"StartTime", &PrinterInfo2::StartTime},
    {"UntilTime", &PrinterInfo2::UntilTime},   {"Status", &PrinterInfo2::Status},
};

std::string QueryText(const RegKey& key, const char* name) {
  DWORD size = 0;
  if (RegQueryValueExA(key, name, nullptr, nullptr, size) != ERROR_SUCCESS) return {};
  std::string data;
  if (RegQueryValueExA(key, name, nullptr, &data, size) != ERROR_SUCCESS) return {};
  return RegText(data);
}

DWORD QueryNumber(const RegKey& key, const char* name) {
  std::string data;
  DWORD size = 4;
  if (RegQueryValueExA(key, name, nullptr, &data, size) != ERROR_SUCCESS || data.size() != 4) return 0;
  DWORD number = 0;
  for (int i = 3; i >= 0; --i) number = number << 8 | static_cast<unsigned char>(data[i]);
  return number;
}

std::string DwordBytes(DWORD number) {
  std::string data(4, '\0');
  for (int i = 0; i < 4; ++i) data[i] = static_cast<char>((number >> (8 * i)) & 0xFF);
  return data;
}

PrinterInfo2 ReadRecord(const RegKey& key, const std::string& printerName) {
  PrinterInfo2 info;
  info.pPrinterName = printerName;
  for (const auto& text : kTextFields) info.*text.field = QueryText(key, text.valueName);
  for (const auto& number : kNumberFields) info.*number.field = QueryNumber(key, number.valueName);
  return info;
}

DWORD RecordSize(const PrinterInfo2& info) {
  DWORD size = kPrinterInfo2Size;
  for (const std::string* text : {&info.pServerName, &info.pPrinterName}) {
    if (!text->empty()) size += static_cast<DWORD>(text->size() + 1);
  }
  for (const auto& text : kTextFields) {
    const std::string& value = info.*text.field;
    if (!value.empty()) size += static_cast<DWORD>(value.size() + 1);
  }
  return size;
}

LONG OpenPrinterKey(const PrinterHandle& printer, REGSAM access, RegKey& key) {
  return RegOpenKeyExA(RootKey::LocalMachine, std::string(kPrintersKey) + "\\" + printer.PrinterName(), 0, access,
                       key);
}

// Writes the fields of `wanted` that differ from `current`.
LONG StoreChanges(const RegKey& key, const PrinterInfo2& current, const PrinterInfo2& wanted) {
  for (const auto& text : kTextFields) {
    if (current.*text.field == wanted.*text.field) continue;
    if (LONG error = RegSetValueExA(key, text.valueName, REG_SZ, wanted.*text.field)) return error;
  }
  for (const auto& number : kNumberFields) {
    if (current.*number.field == wanted.*number.field) continue;
    if (LONG error = RegSetValueExA(key, number.valueName, REG_DWORD, DwordBytes(wanted.*number.field))) return error;
  }
  return ERROR_SUCCESS;
}

bool KnownPort(std::string_view portName) {
  for (const auto& port : SpoolerPorts()) {
    if (EqualsNoCase(port.pPortName, portName)) return true;
  }
  return false;
}

}  // namespace

BOOL OpenPrinterA(std::string_view printerName, PrinterHandle& printer) {
  printer = PrinterHandle();
  RegKey printers;
  if (!printerName.empty() &&
      RegOpenKeyExA(RootKey::LocalMachine, kPrintersKey, 0, KEY_READ, printers) == ERROR_SUCCESS) {
    std::string name;
    DWORD size = kNameBufferSize;
    for (DWORD index = 0; RegEnumKeyExA(printers, index, name, size) != ERROR_NO_MORE_ITEMS;
         ++index, size = kNameBufferSize) {
      if (EqualsNoCase(name, printerName)) {
        printer.printerName_ = name;
        return kTrue;
      }
    }
  }
  return Fail(ERROR_INVALID_PRINTER_NAME, kFalse);
}

BOOL ClosePrinter(PrinterHandle& printer) {
  if (!printer.Valid()) return Fail(ERROR_INVALID_HANDLE, kFalse);
  printer.printerName_.clear();
  return kTrue;
}

BOOL GetPrinterA(const PrinterHandle& printer, DWORD level, PrinterInfo2* info, DWORD bufferSize, DWORD& needed) {
  if (!printer.Valid()) return Fail(ERROR_INVALID_HANDLE, kFalse);
  if (level != 2) return Fail(ERROR_INVALID_LEVEL, kFalse);
  RegKey key;
  if (LONG error = OpenPrinterKey(printer, KEY_READ, key)) return Fail(static_cast<DWORD>(error), kFalse);
  PrinterInfo2 record = ReadRecord(key, printer.PrinterName());
  needed = RecordSize(record);
  if (!info || bufferSize < needed) return Fail(ERROR_INSUFFICIENT_BUFFER, kFalse);
  *info = std::move(record);
  return kTrue;
}

BOOL SetPrinterA(const PrinterHandle& printer, DWORD level, const PrinterInfo2* info, DWORD command) {
  if (!printer.Valid()) return Fail(ERROR_INVALID_HANDLE, kFalse);
  if (level != 2) return Fail(ERROR_INVALID_LEVEL, kFalse);
  if (!info || command != 0) return Fail(ERROR_INVALID_PARAMETER, kFalse);
  RegKey key;
  if (LONG error = OpenPrinterKey(printer, KEY_READ | KEY_WRITE, key)) return Fail(static_cast<DWORD>(error), kFalse);
  PrinterInfo2 current = ReadRecord(key, printer.PrinterName());
  if (!info->pPrinterName.empty() && !EqualsNoCase(info->pPrinterName, current.pPrinterName))
    return Fail(ERROR_INVALID_PARAMETER, kFalse);
  bool portChanged = info->pPortName != current.pPortName;
  if (portChanged && !KnownPort(info->pPortName)) return Fail(ERROR_UNKNOWN_PORT, kFalse);
  if (LONG error = StoreChanges(key, current, *info)) return Fail(static_cast<DWORD>(error), kFalse);
  if (portChanged && !UpdateWinIniPort(current.pPrinterName, info->pPortName, info->pDriverName)) return kFalse;
  return kTrue;
}

}  // namespace w95
// clang-format on
