#include "platform/ui/qt/qt_group_box.h"

#include <QPainter>

namespace w95::ui::qt {

GroupBox::GroupBox(const QString& title, QWidget* parent) : QLabel(title, parent) {
  setTextFormat(Qt::PlainText);
  setAttribute(Qt::WA_TransparentForMouseEvents);
}

int GroupBox::FrameTop() const { return fontMetrics().height() / 2; }

QRect GroupBox::TitleRect() const {
  if (text().isEmpty()) return {};
  QString shown = text();
  shown.remove('&');
  // The title starts one average character in, with a blank either side.
  int left = fontMetrics().averageCharWidth();
  int blank = fontMetrics().horizontalAdvance(' ') / 2;
  int width = fontMetrics().horizontalAdvance(shown) + 2 * blank;
  return QRect(left, 0, std::min(width, std::max(0, this->width() - 2 * left)), fontMetrics().height());
}

void GroupBox::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  const int top = FrameTop();
  const int right = width() - 1, bottom = height() - 1;
  // Etched: a shadow line with a light line one pixel below and right of it.
  painter.setPen(palette().color(QPalette::Light));
  painter.drawRect(1, top + 1, right - 1, bottom - top - 1);
  painter.setPen(palette().color(QPalette::Dark));
  painter.drawRect(0, top, right - 1, bottom - top - 1);
  QRect title = TitleRect();
  if (title.isEmpty()) return;
  painter.fillRect(title, palette().color(QPalette::Window));
  painter.setPen(palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::WindowText));
  QString shown = text();
  shown.remove('&');
  painter.drawText(title, Qt::AlignCenter | Qt::TextSingleLine, shown);
}

}  // namespace w95::ui::qt
