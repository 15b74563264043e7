// The table of pages: for every page its filled lines (message and inserts)
// and what each of its buttons does, as data.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string_view>

#include "pages/page_end_code.h"

namespace dxl {

// A value a filled line takes when the page is initialised.
enum class Insert {
  None,
  PrinterPorts,     // printerPorts, through CopyPrinterPorts
  PortName,         // FormatPortName: "LPT1:"
  ServerName,       // the port's server: "\\SERVER"
  ServerDirectory,  // the server's DXL directory: "\\SERVER\DXL"
  RemoteName,       // the port's network printer
  OtherPrinter,     // the printer name at otherPrinterCursor
  CurrentFileName,  // the file the delete-file page names
  LogPath,          // the log file the results were to go to
  DriverFile,       // "DXLQ7APD.APD"
  DataFile,         // "DXLHRC.BIN"
};

enum class Formatting { Printf, Positional };

struct LineFill {
  int controlId = 0;  // 0: no line
  unsigned messageId = 0;
  Formatting formatting = Formatting::Printf;
  Insert first = Insert::None;
  Insert second = Insert::None;
};

constexpr int kKeepNextStep = -1;

struct ButtonAction {
  int controlId = 0;  // 0: no button
  int nextStep = kKeepNextStep;
  std::uint8_t clearFlags = 0;  // statusFlags bits
  std::uint8_t setFlags = 0;
  PageEndCode endCode = 0;
};

struct PageRow {
  int templateId;
  std::string_view name;
  std::array<LineFill, 2> lines;
  std::array<ButtonAction, 4> buttons;
  bool ignoresCancel = false;  // Esc and the close box do nothing
};

// The row of template `templateId`, or nullptr.
const PageRow* FindPageRow(int templateId);
std::span<const PageRow> AllPageRows();

// The text an insert stands for now (code page 936).
std::string InsertValue(Insert insert);

}  // namespace dxl
