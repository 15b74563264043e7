#include "platform/ui/qt/win95_style.h"

#include <QIcon>
#include <QPainter>
#include <QPalette>
#include <QProxyStyle>
#include <QStyleFactory>
#include <QStyleOptionButton>

namespace w95::ui::qt {

namespace {

#include "icons/exclamation.xpm"
#include "icons/hand.xpm"
#include "icons/information.xpm"
#include "icons/question.xpm"

// The colours of Windows 95's standard scheme.
QPalette Win95Palette() {
  const QColor face(0xC0, 0xC0, 0xC0), light(0xFF, 0xFF, 0xFF), midlight(0xDF, 0xDF, 0xDF);
  const QColor dark(0x80, 0x80, 0x80), shadow(0x00, 0x00, 0x00), text(0x00, 0x00, 0x00);
  QPalette palette(text, face, light, dark, QColor(0xA0, 0xA0, 0xA0), text, light, light, face);
  palette.setColor(QPalette::Midlight, midlight);
  palette.setColor(QPalette::Shadow, shadow);
  palette.setColor(QPalette::Highlight, QColor(0x00, 0x00, 0x80));
  palette.setColor(QPalette::HighlightedText, light);
  palette.setColor(QPalette::ToolTipBase, QColor(0xFF, 0xFF, 0xE1));
  palette.setColor(QPalette::ToolTipText, text);
  for (auto role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
    palette.setColor(QPalette::Disabled, role, dark);
  palette.setColor(QPalette::Disabled, QPalette::Base, face);
  return palette;
}

class Win95Style : public QProxyStyle {
 public:
  // The icons are read from their XPMs once, for every page that shows one.
  Win95Style()
      : QProxyStyle(QStyleFactory::create("Windows")),
        exclamation_(SystemIconPixmap(SystemIcon::Exclamation)),
        hand_(SystemIconPixmap(SystemIcon::Hand)),
        information_(SystemIconPixmap(SystemIcon::Asterisk)),
        question_(QuestionIconPixmap()) {}

  QPalette standardPalette() const override { return Win95Palette(); }

  // Every push button is auto default, as in a Windows dialog, yet only the
  // default one gives up its outer pixel to the black frame.
  int pixelMetric(PixelMetric metric, const QStyleOption* option, const QWidget* widget) const override {
    if (metric == PM_ButtonDefaultIndicator) return 0;
    return QProxyStyle::pixelMetric(metric, option, widget);
  }

  // The default button: a black frame, its raised bevel inside.
  void drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                   const QWidget* widget) const override {
    auto* button = qstyleoption_cast<const QStyleOptionButton*>(option);
    if (element != CE_PushButtonBevel || !button || !(button->features & QStyleOptionButton::DefaultButton)) {
      QProxyStyle::drawControl(element, option, painter, widget);
      return;
    }
    painter->save();
    painter->setPen(option->palette.shadow().color());
    painter->setBrush(Qt::NoBrush);
    painter->drawRect(option->rect.adjusted(0, 0, -1, -1));
    painter->restore();
    QStyleOptionButton inner = *button;
    inner.rect = option->rect.adjusted(1, 1, -1, -1);
    inner.features &= ~QStyleOptionButton::DefaultButton;
    QProxyStyle::drawControl(element, &inner, painter, widget);
  }

  QIcon standardIcon(StandardPixmap which, const QStyleOption* option, const QWidget* widget) const override {
    QPixmap own = MessagePixmap(which);
    return own.isNull() ? QProxyStyle::standardIcon(which, option, widget) : QIcon(own);
  }

  QPixmap standardPixmap(StandardPixmap which, const QStyleOption* option, const QWidget* widget) const override {
    QPixmap own = MessagePixmap(which);
    return own.isNull() ? QProxyStyle::standardPixmap(which, option, widget) : own;
  }

 private:
  QPixmap MessagePixmap(StandardPixmap which) const {
    switch (which) {
      case SP_MessageBoxWarning: return exclamation_;
      case SP_MessageBoxCritical: return hand_;
      case SP_MessageBoxInformation: return information_;
      case SP_MessageBoxQuestion: return question_;
      default: return {};
    }
  }

  const QPixmap exclamation_, hand_, information_, question_;
};

}  // namespace

QStyle* MakeWin95Style() { return new Win95Style; }

QPixmap SystemIconPixmap(SystemIcon icon) {
  switch (icon) {
    case SystemIcon::Hand: return QPixmap(hand_xpm);
    case SystemIcon::Exclamation: return QPixmap(exclamation_xpm);
    case SystemIcon::Asterisk: return QPixmap(information_xpm);
    default: return {};
  }
}

QPixmap QuestionIconPixmap() { return QPixmap(question_xpm); }

}  // namespace w95::ui::qt
