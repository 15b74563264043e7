#include "platform/ui/qt/qt_support.h"

#include <QApplication>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QScreen>
#include <algorithm>

#include "platform/base/cp936.h"
#include "platform/ui/qt/runtime_dir.h"
#include "platform/ui/qt/win95_style.h"

namespace w95::ui::qt {

namespace {

// The faces that stand in for SimSun where it is not installed, best first.
const QStringList& SimSunSubstitutes() {
  static const QStringList substitutes = {"AR PL UMing CN",   "AR PL UMing TW",      "Noto Serif CJK SC",
                                          "Noto Sans CJK SC", "WenQuanYi Micro Hei", "WenQuanYi Zen Hei"};
  return substitutes;
}

// The family asked for when it is installed, else the first installed
// substitute (the one Qt's substitution would take), else the family as it is.
// Naming the installed face spares Qt a sort of every font by fontconfig.
QString InstalledFamily(const QString& family) {
  if (QFontDatabase::hasFamily(family)) return family;
  for (const QString& substitute : QFont::substitutes(family))
    if (QFontDatabase::hasFamily(substitute)) return substitute;
  return family;
}

}  // namespace

void EnsureApplication(const std::function<void()>& beforeFirstFont) {
  if (QApplication::instance()) return;
  static int argc = 1;
  static char name[] = "dxlq7trs";
  static char* argv[] = {name, nullptr};
  // Setting the environment is safe only while no other thread reads it: the
  // font configuration is then waited for first.
  bool fontsRead = false;
  if (!RuntimeDirectorySet()) {
    if (beforeFirstFont) beforeFirstFont();
    fontsRead = true;
    EnsureRuntimeDirectory();
  }
  QFont::insertSubstitutions("SimSun", SimSunSubstitutes());
  QFont::insertSubstitutions(QString::fromUtf8("宋体"), SimSunSubstitutes());
  auto* application = new QApplication(argc, argv);
  application->setQuitOnLastWindowClosed(false);
  QStyle* style = MakeWin95Style();
  QApplication::setStyle(style);
  QApplication::setPalette(style->standardPalette());
  if (beforeFirstFont && !fontsRead) beforeFirstFont();
}

QFont DialogFont(const DialogTemplate& dialog) {
  QString family = FromUtf8(dialog.fontName);
  if (family == QString::fromUtf8("宋体")) family = "SimSun";
  QFont font(InstalledFamily(family));
  // Points at Windows' 96 dots per inch.
  font.setPixelSize((dialog.fontPointSize * 96 + 36) / 72);
  font.setStyleHint(QFont::Serif);
  // On a screen of one device pixel per pixel the face's own bitmaps of that
  // size are drawn where it has them, as Windows draws its dialog font; where
  // pixels are finer the outlines are drawn smoothed.
  if (qApp->devicePixelRatio() == 1.0) font.setStyleStrategy(QFont::NoAntialias);
  return font;
}

DialogUnits UnitsOf(const QFont& font) {
  QFontMetrics metrics(font);
  int width = metrics.horizontalAdvance("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
  DialogUnits units;
  units.baseWidth = (width + 26) / 52;
  units.baseHeight = metrics.height();
  return units;
}

QString FromCp936(std::string_view text) { return FromUtf8(Cp936ToUtf8Lossy(text)); }

std::string ToCp936(const QString& text) {
  QByteArray utf8 = text.toUtf8();
  std::string_view view(utf8.constData(), static_cast<size_t>(utf8.size()));
  if (auto whole = Utf8ToCp936(view)) return *whole;
  // Characters code page 936 lacks become '?', as Windows' conversion does.
  std::string out;
  for (uint codePoint : text.toUcs4()) {
    QByteArray one = QString::fromUcs4(reinterpret_cast<const char32_t*>(&codePoint), 1).toUtf8();
    out += Utf8ToCp936(std::string_view(one.constData(), static_cast<size_t>(one.size()))).value_or("?");
  }
  return out;
}

void KeepOnScreen(QWidget& window) {
  QScreen* screen = window.screen();
  if (!screen) return;
  const QRect available = screen->availableGeometry();
  QRect frame = window.frameGeometry();
  const QSize border = frame.size() - window.size();
  QSize fits = (available.size() - border).boundedTo(window.size()).expandedTo(window.minimumSize());
  if (fits != window.size()) window.resize(fits);
  frame = window.frameGeometry();
  int x = std::clamp(frame.x(), available.left(), std::max(available.left(), available.right() + 1 - frame.width()));
  int y = std::clamp(frame.y(), available.top(), std::max(available.top(), available.bottom() + 1 - frame.height()));
  if (x != frame.x() || y != frame.y()) window.move(x, y);
}

}  // namespace w95::ui::qt
