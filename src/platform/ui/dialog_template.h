// A dialog template as the resource script describes it: caption, size and
// controls in dialog units, style, the system icon the dialog paints and its
// help context. Texts are UTF-8; the backends show them as they are and hand
// them to the program in code page 936.
#pragma once

#include <span>
#include <string>
#include <string_view>

namespace w95::ui {

enum class ControlKind {
  Button,
  DefaultButton,
  Static,
  GroupBox,
  Combo,  // drop-down list
  Edit,
  CheckBox,  // automatic check box
};

// Style bits of a control; which ones apply depends on its kind.
enum ControlStyle : unsigned {
  kStyleNone = 0,
  kAlignRight = 0x0001,  // static
  kSunken = 0x0002,      // static
  kSorted = 0x0004,      // combo: entries kept in alphabetical order
  kReadOnly = 0x0008,    // edit
  kMultiLine = 0x0010,   // edit
  kVScroll = 0x0020,     // edit, combo
  kHScroll = 0x0040,     // edit: horizontal auto-scroll
  kUpperCase = 0x0080,   // edit: typed letters become capitals
  kBorder = 0x0100,      // edit
  kDisabled = 0x0200,    // any
};

struct ControlTemplate {
  ControlKind kind;
  int id;  // -1: a control the program never addresses (labels, group boxes)
  std::string_view text;
  int x, y, w, h;  // dialog units
  unsigned style = kStyleNone;
};

// LoadIconA's system icons.
enum class SystemIcon : int {
  None = 0,
  Hand = 32513,         // IDI_HAND, the stop sign
  Exclamation = 32515,  // IDI_EXCLAMATION
  Asterisk = 32516,     // IDI_ASTERISK, information
};

struct DialogTemplate {
  int id;
  std::string_view caption;
  int width, height;  // dialog units
  bool systemMenu;    // system menu, hence a close box
  bool modeless;      // created modeless, visible at once
  SystemIcon icon;
  int iconX, iconY;  // client pixels of the painted icon
  int helpContext;   // 0: none
  // The command a run without a user (end of input) issues when the dialog
  // ignores the cancel request; 0 when cancel always ends it.
  int unattendedCommand;
  std::span<const ControlTemplate> controls;
  std::string_view fontName = "宋体";
  int fontPointSize = 9;

  const ControlTemplate* Find(int controlId) const {
    for (const auto& control : controls)
      if (control.id == controlId) return &control;
    return nullptr;
  }
};

// The pixel size of dialog units over a dialog font, by Windows' rule:
// x = MulDiv(units, baseWidth, 4), y = MulDiv(units, baseHeight, 8).
struct DialogUnits {
  int baseWidth = 6;
  int baseHeight = 12;
  int X(int units) const { return MulDiv(units, baseWidth, 4); }
  int Y(int units) const { return MulDiv(units, baseHeight, 8); }
  static int MulDiv(int value, int numerator, int denominator) {
    long long product = static_cast<long long>(value) * numerator;
    long long half = denominator / 2;
    return static_cast<int>(product >= 0 ? (product + half) / denominator : (product - half) / denominator);
  }
};

// The accelerator letter of a text ("是(&Y)" -> 'Y'; "&&" is a literal
// ampersand), upper case; 0 when there is none.
char AcceleratorOf(std::string_view text);
// The text as shown, without its accelerator marks ("是(&Y)" -> "是(Y)").
std::string WithoutAcceleratorMarks(std::string_view text);

}  // namespace w95::ui
