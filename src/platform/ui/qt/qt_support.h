// Qt plumbing shared by the backend's files: the application object, the
// dialog font, text conversion between code page 936 and QString.
#pragma once

#include <QFont>
#include <QString>
#include <QWidget>
#include <functional>
#include <string>
#include <string_view>

#include "platform/ui/dialog_template.h"

namespace w95::ui::qt {

// Creates the QApplication on first use; there is no main event loop.
// `beforeFirstFont` runs once it exists, before any font is looked up.
void EnsureApplication(const std::function<void()>& beforeFirstFont = {});

// The dialog font of a template (SimSun and its CJK substitutes), and its
// dialog units by Windows' rule.
QFont DialogFont(const DialogTemplate& dialog);
DialogUnits UnitsOf(const QFont& font);

// Moves (and if need be shrinks) a shown top-level window so that all of it,
// frame included, lies on the available part of its screen.
void KeepOnScreen(QWidget& window);

QString FromCp936(std::string_view text);
std::string ToCp936(const QString& text);
inline QString FromUtf8(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace w95::ui::qt
