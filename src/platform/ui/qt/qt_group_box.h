// A group box drawn as Windows 95 draws one: an etched frame whose top line
// runs through the middle of the title, the title on the frame line. (Qt's
// styles put the title above the frame.) A QLabel, so its title is set and
// read as any static text's.
#pragma once

#include <QLabel>

namespace w95::ui::qt {

class GroupBox : public QLabel {
 public:
  GroupBox(const QString& title, QWidget* parent);

  // The y of the frame's top line, in the box's own coordinates.
  int FrameTop() const;
  // Where the title is drawn, in the box's own coordinates.
  QRect TitleRect() const;

 protected:
  void paintEvent(QPaintEvent* event) override;
};

}  // namespace w95::ui::qt
