#include "platform/ui/qt/qt_dialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QIcon>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QShortcutEvent>
#include <QStyle>

#include "platform/ui/dialog_state.h"
#include "platform/ui/qt/qt_group_box.h"
#include "platform/ui/qt/qt_support.h"

namespace w95::ui::qt {

namespace {

QStyle::StandardPixmap PixmapOf(SystemIcon icon) {
  switch (icon) {
    case SystemIcon::Hand: return QStyle::SP_MessageBoxCritical;
    case SystemIcon::Asterisk: return QStyle::SP_MessageBoxInformation;
    default: return QStyle::SP_MessageBoxWarning;
  }
}

// Edits show LF line ends; the program's text has CR LF.
QString ToDisplay(std::string_view cp936) {
  QString text = FromCp936(cp936);
  text.replace("\r\n", "\n");
  return text;
}

}  // namespace

QtDialog::QtDialog(const DialogTemplate& dialog, DialogEvents* events) : dialog_(dialog), events_(events) {
  Qt::WindowFlags flags = Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint;
  if (dialog.systemMenu) flags |= Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
  setWindowFlags(flags);
  // Modal to itself only, so that a help window stays usable beside it.
  setWindowModality(Qt::WindowModal);
  setWindowTitle(FromUtf8(dialog.caption));
  setFont(DialogFont(dialog));
  units_ = UnitsOf(font());
  setFixedSize(units_.X(dialog.width), units_.Y(dialog.height));
  QWidget* previous = nullptr;
  for (const auto& control : dialog.controls) {
    QWidget* widget = Build(control);
    widget->setGeometry(Place(control));
    widget->setEnabled((control.style & kDisabled) == 0);
    auto* caption = qobject_cast<QLabel*>(previous);
    if (caption && (control.kind == ControlKind::Combo || control.kind == ControlKind::Edit)) caption->setBuddy(widget);
    widgets_.push_back(widget);
    previous = widget;
  }
}

QRect QtDialog::Place(const ControlTemplate& control) const {
  int height = units_.Y(control.h);
  if (control.kind == ControlKind::Combo) height = std::min(height, units_.Y(13));
  return QRect(units_.X(control.x), units_.Y(control.y), units_.X(control.w), height);
}

QWidget* QtDialog::Build(const ControlTemplate& control) {
  QString text = FromUtf8(control.text);
  int id = control.id;
  switch (control.kind) {
    case ControlKind::Button:
    case ControlKind::DefaultButton: {
      auto* button = new QPushButton(text, this);
      // As in a Windows dialog, Enter presses the push button that has the
      // focus (it takes the default frame meanwhile), else the default one.
      button->setDefault(control.kind == ControlKind::DefaultButton);
      button->setAutoDefault(true);
      connect(button, &QPushButton::clicked, this, [this, id] { events_->OnCommand(*this, id); });
      button->installEventFilter(this);
      return button;
    }
    case ControlKind::CheckBox: {
      auto* box = new QCheckBox(text, this);
      connect(box, &QCheckBox::clicked, this, [this, id] { events_->OnCommand(*this, id); });
      box->installEventFilter(this);
      return box;
    }
    case ControlKind::GroupBox: return new GroupBox(text, this);
    case ControlKind::Combo: {
      auto* combo = new QComboBox(this);
      combo->setMaxVisibleItems(std::max(1, control.h / 10));
      connect(combo, &QComboBox::activated, this, [this, id] { events_->OnSelChange(*this, id); });
      return combo;
    }
    case ControlKind::Edit: {
      QWidget* edit = nullptr;
      if (control.style & kMultiLine) {
        auto* multi = new QPlainTextEdit(this);
        multi->setReadOnly(control.style & kReadOnly);
        multi->setVerticalScrollBarPolicy((control.style & kVScroll) ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAsNeeded);
        multi->setLineWrapMode(QPlainTextEdit::NoWrap);
        edit = multi;
      } else {
        auto* single = new QLineEdit(this);
        single->setReadOnly(control.style & kReadOnly);
        if (control.style & kUpperCase)
          connect(single, &QLineEdit::textEdited, single,
                  [single](const QString& typed) { single->setText(typed.toUpper()); });
        edit = single;
      }
      edit->installEventFilter(this);
      return edit;
    }
    case ControlKind::Static: break;
  }
  auto* label = new QLabel(text, this);
  label->setTextFormat(Qt::PlainText);
  label->setAlignment(((control.style & kAlignRight) ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignTop);
  label->setWordWrap(control.h >= 18);
  if (control.style & kSunken) {
    // A sunken field holds one figure, centred between its borders.
    label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    label->setAlignment((label->alignment() & Qt::AlignHorizontal_Mask) | Qt::AlignVCenter);
  }
  return label;
}

QWidget* QtDialog::Item(int id) const {
  if (id < 0) return nullptr;
  for (size_t i = 0; i < widgets_.size(); ++i)
    if (dialog_.controls[i].id == id) return widgets_[i];
  return nullptr;
}

void QtDialog::SetItemText(int id, std::string_view text) {
  QWidget* widget = Item(id);
  if (auto* label = qobject_cast<QLabel*>(widget))
    label->setText(FromCp936(text));
  else if (auto* button = qobject_cast<QAbstractButton*>(widget))
    button->setText(FromCp936(text));
  else if (auto* line = qobject_cast<QLineEdit*>(widget))
    line->setText(FromCp936(text));
  else if (auto* multi = qobject_cast<QPlainTextEdit*>(widget))
    multi->setPlainText(ToDisplay(text));
}

std::string QtDialog::GetItemText(int id) const {
  QWidget* widget = Item(id);
  if (auto* label = qobject_cast<QLabel*>(widget)) return ToCp936(label->text());
  if (auto* button = qobject_cast<QAbstractButton*>(widget)) return ToCp936(button->text());
  if (auto* line = qobject_cast<QLineEdit*>(widget)) return ToCp936(line->text());
  if (auto* combo = qobject_cast<QComboBox*>(widget)) return ToCp936(combo->currentText());
  if (auto* multi = qobject_cast<QPlainTextEdit*>(widget)) {
    QString text = multi->toPlainText();
    text.replace("\n", "\r\n");
    return ToCp936(text);
  }
  return {};
}

void QtDialog::EnableItem(int id, bool enable) {
  if (QWidget* widget = Item(id)) widget->setEnabled(enable);
}

bool QtDialog::IsItemEnabled(int id) const {
  QWidget* widget = Item(id);
  return widget && widget->isEnabled();
}

void QtDialog::CheckButton(int id, bool checked) {
  if (auto* box = qobject_cast<QCheckBox*>(Item(id))) box->setChecked(checked);
}

bool QtDialog::IsButtonChecked(int id) const {
  auto* box = qobject_cast<QCheckBox*>(Item(id));
  return box && box->isChecked();
}

void QtDialog::ResetContent(int id) {
  if (auto* combo = qobject_cast<QComboBox*>(Item(id))) combo->clear();
}

int QtDialog::AddString(int id, std::string_view text) {
  auto* combo = qobject_cast<QComboBox*>(Item(id));
  if (!combo) return CB_ERR;
  int at = combo->count();
  const ControlTemplate* control = dialog_.Find(id);
  if (control && (control->style & kSorted)) {
    std::vector<std::string> items;
    for (int i = 0; i < combo->count(); ++i) items.push_back(ToCp936(combo->itemText(i)));
    at = static_cast<int>(SortedInsertPosition(items, text));
  }
  combo->insertItem(at, FromCp936(text));
  // A drop-down list has no selection until one is set.
  if (combo->count() == 1) combo->setCurrentIndex(-1);
  return at;
}

int QtDialog::SetCurSel(int id, int index) {
  auto* combo = qobject_cast<QComboBox*>(Item(id));
  if (!combo) return CB_ERR;
  if (index < 0 || index >= combo->count()) {
    combo->setCurrentIndex(-1);
    return CB_ERR;
  }
  combo->setCurrentIndex(index);
  return index;
}

int QtDialog::GetCurSel(int id) const {
  auto* combo = qobject_cast<QComboBox*>(Item(id));
  return combo && combo->currentIndex() >= 0 ? combo->currentIndex() : CB_ERR;
}

std::string QtDialog::GetLBText(int id, int index) const {
  auto* combo = qobject_cast<QComboBox*>(Item(id));
  if (!combo || index < 0 || index >= combo->count()) return {};
  return ToCp936(combo->itemText(index));
}

int QtDialog::GetCount(int id) const {
  auto* combo = qobject_cast<QComboBox*>(Item(id));
  return combo ? combo->count() : CB_ERR;
}

void QtDialog::SetSel(int id, int start, int end) {
  if (auto* multi = qobject_cast<QPlainTextEdit*>(Item(id))) {
    QTextCursor cursor = multi->textCursor();
    cursor.setPosition(std::max(0, start));
    cursor.setPosition(std::max(0, end), QTextCursor::KeepAnchor);
    multi->setTextCursor(cursor);
  } else if (auto* line = qobject_cast<QLineEdit*>(Item(id))) {
    line->setSelection(start, end - start);
  }
}

void QtDialog::SetWindowIcon(const char* const* xpm) { setWindowIcon(xpm ? QIcon(QPixmap(xpm)) : QIcon()); }

void QtDialog::ScrollCaret(int id) {
  if (auto* multi = qobject_cast<QPlainTextEdit*>(Item(id))) multi->ensureCursorVisible();
}

void QtDialog::EndDialog(int code) { done(code); }

void QtDialog::reject() { events_->OnCancel(*this); }

void QtDialog::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_F1 && event->modifiers() == Qt::NoModifier) {
    events_->OnHelp(*this);
    return;
  }
  if (event->modifiers() == Qt::NoModifier && PressMnemonic(event->text())) return;
  QDialog::keyPressEvent(event);
}

// A plain letter reaches the dialog only when the focused control does not
// take characters (a button, a check box; not an edit or a list): then, as in
// a Windows dialog, it acts as the control's accelerator would with Alt.
bool QtDialog::PressMnemonic(const QString& typed) {
  if (typed.size() != 1 || !typed.front().isLetterOrNumber() || typed.front().unicode() > 0x7F) return false;
  // A read-only edit passes the letter on, yet on Windows it still takes it.
  QWidget* focused = focusWidget();
  if (qobject_cast<QLineEdit*>(focused) || qobject_cast<QPlainTextEdit*>(focused) || qobject_cast<QComboBox*>(focused))
    return false;
  const char wanted = static_cast<char>(typed.front().toUpper().toLatin1());
  for (QWidget* widget : widgets_) {
    if (!widget->isVisible() || !widget->isEnabled()) continue;
    auto* button = qobject_cast<QAbstractButton*>(widget);
    auto* label = qobject_cast<QLabel*>(widget);
    QString text = button ? button->text() : label ? label->text() : QString();
    if (AcceleratorOf(ToCp936(text)) != wanted) continue;
    if (button) {
      button->setFocus(Qt::ShortcutFocusReason);
      button->click();
      return true;
    }
    if (label->buddy()) {
      label->buddy()->setFocus(Qt::ShortcutFocusReason);
      return true;
    }
  }
  return false;
}

bool QtDialog::eventFilter(QObject* watched, QEvent* event) {
  // Alt+accelerator clicks at once, as on Windows (Qt would first show the
  // button pressed for a while).
  auto* button = qobject_cast<QAbstractButton*>(watched);
  if (button && event->type() == QEvent::Shortcut && !static_cast<QShortcutEvent*>(event)->isAmbiguous()) {
    button->setFocus(Qt::ShortcutFocusReason);
    button->click();
    return true;
  }
  if (event->type() == QEvent::FocusIn) {
    for (size_t i = 0; i < widgets_.size(); ++i)
      if (widgets_[i] == watched) events_->OnEditFocus(*this, dialog_.controls[i].id);
  }
  return QDialog::eventFilter(watched, event);
}

void QtDialog::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  KeepOnScreen(*this);
}

void QtDialog::paintEvent(QPaintEvent* event) {
  QDialog::paintEvent(event);
  if (dialog_.icon == SystemIcon::None) return;
  QPainter painter(this);
  QIcon icon = style()->standardIcon(PixmapOf(dialog_.icon), nullptr, this);
  painter.drawPixmap(dialog_.iconX, dialog_.iconY, icon.pixmap(32, 32));
}

}  // namespace w95::ui::qt
