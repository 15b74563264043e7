// The look of Windows 95 dialogs: Qt's own "Windows" style (square raised
// buttons, the default button's black frame, the dotted focus rectangle) over
// the Windows 95 colours, with the system icons drawn as Windows 95 drew them
// (icons/*.xpm, drawn by icons/draw_icons.py).
#pragma once

#include <QPixmap>
#include <QStyle>

#include "platform/ui/dialog_template.h"

namespace w95::ui::qt {

// A new style for QApplication::setStyle (which takes it).
QStyle* MakeWin95Style();

// A system icon (LoadIconA's IDI_*), 32 x 32; null for SystemIcon::None.
QPixmap SystemIconPixmap(SystemIcon icon);
// The question icon (IDI_QUESTION), which no template names.
QPixmap QuestionIconPixmap();

}  // namespace w95::ui::qt
