// A dialog template as a Qt window: its controls placed by dialog units over
// the dialog font, its system icon painted, Esc and the close box, F1 and the
// controls' notifications routed to the dialog's logic.
#pragma once

#include <QDialog>
#include <vector>

#include "platform/ui/backend.h"

class QWidget;

namespace w95::ui::qt {

class QtDialog : public QDialog, public DialogView {
 public:
  QtDialog(const DialogTemplate& dialog, DialogEvents* events);

  const DialogTemplate& Template() const override { return dialog_; }
  void SetItemText(int id, std::string_view text) override;
  std::string GetItemText(int id) const override;
  void EnableItem(int id, bool enable) override;
  bool IsItemEnabled(int id) const override;
  void CheckButton(int id, bool checked) override;
  bool IsButtonChecked(int id) const override;
  void ResetContent(int id) override;
  int AddString(int id, std::string_view text) override;
  int SetCurSel(int id, int index) override;
  int GetCurSel(int id) const override;
  std::string GetLBText(int id, int index) const override;
  int GetCount(int id) const override;
  void SetSel(int id, int start, int end) override;
  void SetWindowIcon(const char* const* xpm) override;
  void ScrollCaret(int id) override;
  void EndDialog(int code) override;

  // The widget of control `id` (tests reach the controls through it).
  QWidget* Item(int id) const;
  const DialogUnits& Units() const { return units_; }

  void reject() override;

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void paintEvent(QPaintEvent* event) override;
  void showEvent(QShowEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QWidget* Build(const ControlTemplate& control);
  QRect Place(const ControlTemplate& control) const;
  bool PressMnemonic(const QString& typed);

  const DialogTemplate& dialog_;
  DialogEvents* events_;
  DialogUnits units_;
  std::vector<QWidget*> widgets_;  // by template index
};

}  // namespace w95::ui::qt
