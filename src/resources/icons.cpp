// The program's icon (resource 128): a printer, 32 x 32, in XPM form.
#include "resources/icons.h"

// Tables below are laid out by hand.
// clang-format off

namespace dxl {

namespace {

const char* const kPrinterIcon[] = {
    "32 32 7 1",
    ". c None",
    "k c #000000",
    "w c #FFFFFF",
    "g c #808080",
    "s c #C0C0C0",
    "d c #404040",
    "r c #00C000",
    "................................",
    "................................",
    ".........kkkkkkkkkkkkkk.........",
    ".........kwwwwwwwwwwwwk.........",
    ".........kwwwwwwwwwwwwk.........",
    ".........kwggggggggggwk.........",
    ".........kwwwwwwwwwwwwk.........",
    ".........kwggggggggggwk.........",
    ".........kwwwwwwwwwwwwk.........",
    ".........kwggggggggggwk.........",
    ".........kwwwwwwwwwwwwk.........",
    ".........kwwwwwwwwwwwwk.........",
    "...kkkkkkkkkkkkkkkkkkkkkkkkkk...",
    "...kssssssssssssssssssssssssk...",
    "...ksddddddddddddddddddddddsk...",
    "...ksddddddddddddddddddddddsk...",
    "...kssssssssssssssssssssssssk...",
    "...kssssssssssssssssssssssssk...",
    "...ksssssssssssssssssssrrrssk...",
    "...ksssssssssssssssssssrrrssk...",
    "...kssssssssssssssssssssssssk...",
    "...kssssssssssssssssssssssssk...",
    "...kssssssssssssssssssssssssk...",
    "...kssssssssssssssssssssssssk...",
    "...kkkkkkkkkkkkkkkkkkkkkkkkkk...",
    "........kwwwwwwwwwwwwwwk........",
    "........kwwwwwwwwwwwwwwk........",
    "........kwwwwwwwwwwwwwwk........",
    "........kwwwwwwwwwwwwwwk........",
    "........kkkkkkkkkkkkkkkk........",
    "................................",
    "................................"
};

}  // namespace

const char* const* IconXpm(int id) { return id == kProgramIcon ? kPrinterIcon : nullptr; }

}  // namespace dxl
// clang-format on
