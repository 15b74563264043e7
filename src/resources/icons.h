// The program's own icons, as data: XPM images (the toolkit-neutral form the
// user-interface backends take).
#pragma once

namespace dxl {

constexpr int kProgramIcon = 128;  // the start page's window icon

// The icon's XPM lines, or null for an id without an icon.
const char* const* IconXpm(int id);

}  // namespace dxl
