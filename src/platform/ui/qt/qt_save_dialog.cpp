#include "platform/ui/qt/qt_save_dialog.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QStyle>

#include "platform/ui/qt/qt_support.h"
#include "platform/ui/save_as_names.h"

namespace w95::ui::qt {

namespace {

// The dialog in dialog units, as Windows 95 lays out its Save-As dialog.
constexpr int kWidth = 262, kHeight = 148;
struct Box {
  int x, y, w, h;
};
constexpr Box kLookInLabel{6, 8, 44, 9}, kLookIn{52, 6, 150, 13}, kUp{206, 6, 50, 13};
constexpr Box kList{6, 24, 250, 80};
constexpr Box kNameLabel{6, 112, 50, 9}, kName{58, 110, 140, 12}, kSave{206, 109, 50, 14};
constexpr Box kTypeLabel{6, 130, 50, 9}, kType{58, 128, 140, 13}, kCancel{206, 127, 50, 14};

bool IsRoot(const QString& folder) { return folder.size() == 3; }

QString ParentOf(const QString& name) {
  qsizetype last = name.lastIndexOf('\\');
  return last <= 2 ? QString("C:\\") : name.left(last);
}

QString Join(const QString& folder, const QString& name) {
  return folder.endsWith('\\') ? folder + name : folder + "\\" + name;
}

// Characters no Windows name holds; '*' and '?' make a pattern instead.
bool IsValidName(const QString& component) {
  for (QChar c : component)
    if (c.unicode() < 0x20 || QStringLiteral("<>:\"|*?").contains(c)) return false;
  return !component.isEmpty();
}

// A folder on C: spelt as the machine holds each of its names.
QString HeldSpelling(const QString& folder) {
  QString held = "C:";
  for (const QString& part : folder.mid(3).split('\\', Qt::SkipEmptyParts)) {
    std::string name = HeldName(ToCp936(held + "\\" + part));
    held += "\\" + (name.empty() ? part : FromCp936(name));
  }
  return held.size() == 2 ? QString("C:\\") : held;
}

}  // namespace

std::optional<QString> NameOnDriveC(QString typed, const QString& folder) {
  typed.replace('/', '\\');
  QString path;
  if (typed.startsWith("\\\\")) return std::nullopt;
  if (typed.size() >= 2 && typed[1] == ':') {
    if (typed[0].toUpper() != 'C') return std::nullopt;
    path = typed.mid(2);
  } else if (typed.startsWith('\\')) {
    path = typed;
  } else {
    path = Join(folder, typed).mid(2);
  }
  QStringList parts;
  for (const QString& part : path.split('\\', Qt::SkipEmptyParts)) {
    if (part == "..") {
      if (!parts.isEmpty()) parts.removeLast();
    } else if (part != ".") {
      parts.append(part);
    }
  }
  // A device name (LPT1:, PRN) is no file of the machine.
  if (!parts.isEmpty() && parts.last().endsWith(':')) return std::nullopt;
  return "C:\\" + parts.join('\\');
}

SaveAsDialog::SaveAsDialog(const SaveFileRequest& request) : request_(request) {
  setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                 Qt::WindowCloseButtonHint);
  setWindowTitle(request.title.empty() ? QString::fromUtf8("另存为") : FromCp936(request.title));
  pattern_ = request.filter.empty() ? QString("*.*") : FromCp936(request.filter);
  Build();
  auto initial = NameOnDriveC(FromCp936(request.initialDirectory), "C:\\");
  if (!initial || !Open(*initial)) Open("C:\\");
  QString name = FromCp936(request.fileName);
  name_->setText(name.mid(name.lastIndexOf('\\') + 1));
  name_->selectAll();
  name_->setFocus();
}

void SaveAsDialog::Build() {
  DialogTemplate font{};
  setFont(DialogFont(font));
  const DialogUnits units = UnitsOf(this->font());
  setFixedSize(units.X(kWidth), units.Y(kHeight));
  auto place = [this, &units](QWidget* widget, Box box) {
    widget->setParent(this);
    widget->setGeometry(units.X(box.x), units.Y(box.y), units.X(box.w), units.Y(box.h));
  };
  auto label = [&place](const char* text, Box box, QWidget* buddy) {
    auto* shown = new QLabel(QString::fromUtf8(text));
    place(shown, box);
    shown->setBuddy(buddy);
  };
  lookIn_ = new QComboBox;
  up_ = new QPushButton(QString::fromUtf8("上一级"));
  up_->setAutoDefault(false);
  up_->setToolTip(QString::fromUtf8("向上一级"));
  list_ = new QListWidget;
  list_->setViewMode(QListView::ListMode);
  list_->setFlow(QListView::TopToBottom);
  list_->setWrapping(true);
  list_->setResizeMode(QListView::Adjust);
  name_ = new QLineEdit;
  type_ = new QComboBox;
  type_->addItem(pattern_);
  auto* save = new QPushButton(QString::fromUtf8("保存(&S)"));
  auto* cancel = new QPushButton(QString::fromUtf8("取消"));
  save->setDefault(true);
  save->setAutoDefault(true);
  cancel->setAutoDefault(true);
  // In tab order, as Windows 95 has it: the list, the name, the type, the buttons, the folder.
  label("保存在(&I):", kLookInLabel, lookIn_);
  place(list_, kList);
  label("文件名(&N):", kNameLabel, name_);
  place(name_, kName);
  label("保存类型(&T):", kTypeLabel, type_);
  place(type_, kType);
  place(save, kSave);
  place(cancel, kCancel);
  place(lookIn_, kLookIn);
  place(up_, kUp);
  connect(save, &QPushButton::clicked, this, &SaveAsDialog::accept);
  connect(cancel, &QPushButton::clicked, this, &SaveAsDialog::reject);
  connect(up_, &QPushButton::clicked, this, [this] { Open(ParentOf(folder_)); });
  connect(lookIn_, &QComboBox::activated, this, [this](int index) { Open(lookIn_->itemData(index).toString()); });
  connect(list_, &QListWidget::itemDoubleClicked, this, &SaveAsDialog::Activated);
  connect(list_, &QListWidget::currentItemChanged, this, [this](QListWidgetItem* item) {
    if (item && !item->data(Qt::UserRole).toBool()) name_->setText(item->text());
  });
}

bool SaveAsDialog::Open(const QString& shown) {
  const QString folder = HeldSpelling(shown);
  auto entries = ListFolder(ToCp936(folder), ToCp936(pattern_));
  if (!entries) {
    Refuse(folder + QString::fromUtf8("\n不能访问此文件夹。"));
    return false;
  }
  folder_ = folder;
  lookIn_->clear();
  // The folder and the folders above it, the drive first.
  QStringList chain;
  for (QString at = folder;; at = ParentOf(at)) {
    chain.prepend(at);
    if (IsRoot(at)) break;
  }
  for (const QString& at : chain) lookIn_->addItem(at, at);
  lookIn_->setCurrentIndex(static_cast<int>(chain.size()) - 1);
  up_->setEnabled(!IsRoot(folder));
  list_->clear();
  for (const auto& entry : *entries) {
    auto* item = new QListWidgetItem(FromCp936(entry.name), list_);
    item->setData(Qt::UserRole, entry.folder);
    item->setIcon(style()->standardIcon(entry.folder ? QStyle::SP_DirIcon : QStyle::SP_FileIcon));
  }
  return true;
}

void SaveAsDialog::Activated(QListWidgetItem* item) {
  if (item->data(Qt::UserRole).toBool())
    Open(Join(folder_, item->text()));
  else
    accept();
}

void SaveAsDialog::Refuse(const QString& text) {
  QMessageBox box(QMessageBox::Warning, windowTitle(), text, QMessageBox::NoButton, this);
  box.setTextFormat(Qt::PlainText);
  box.addButton(QString::fromUtf8("确定"), QMessageBox::AcceptRole);
  box.exec();
}

void SaveAsDialog::accept() {
  QListWidgetItem* current = list_->currentItem();
  if (list_->hasFocus() && current && current->data(Qt::UserRole).toBool()) {
    Open(Join(folder_, current->text()));
    return;
  }
  const QString typed = name_->text().trimmed();
  if (typed.isEmpty()) return;
  auto full = NameOnDriveC(typed, folder_);
  if (!full) return Refuse(typed + QString::fromUtf8("\n此位置不在本机的驱动器 C: 上。"));
  const QString last = full->mid(full->lastIndexOf('\\') + 1);
  if (last.contains('*') || last.contains('?')) {
    pattern_ = last;
    type_->setItemText(0, pattern_);
    if (!Open(ParentOf(*full))) Open(folder_);
    return;
  }
  const std::string name = ToCp936(*full);
  bool valid = FromCp936(name) == *full;
  if (!IsRoot(*full))
    for (const QString& part : full->mid(3).split('\\')) valid = valid && IsValidName(part);
  if (!valid) return Refuse(typed + QString::fromUtf8("\n文件名无效。"));
  EntryKind kind = KindOf(name);
  if (kind == EntryKind::Unreachable) return Refuse(*full + QString::fromUtf8("\n拒绝访问。"));
  if (kind == EntryKind::Folder) {
    if (Open(*full)) name_->clear();
    return;
  }
  if (request_.pathMustExist && KindOf(ToCp936(ParentOf(*full))) != EntryKind::Folder)
    return Refuse(ParentOf(*full) + QString::fromUtf8("\n路径不存在。\n请检查路径是否正确。"));
  if (kind == EntryKind::File && request_.overwritePrompt) {
    QMessageBox box(QMessageBox::Warning, windowTitle(), *full + QString::fromUtf8(" 已经存在。\n要替换它吗？"),
                    QMessageBox::NoButton, this);
    box.setTextFormat(Qt::PlainText);
    QAbstractButton* yes = box.addButton(QString::fromUtf8("是(&Y)"), QMessageBox::YesRole);
    box.addButton(QString::fromUtf8("否(&N)"), QMessageBox::NoRole);
    box.exec();
    if (box.clickedButton() != yes) return;
  }
  chosen_ = name;
  QDialog::accept();
}

}  // namespace w95::ui::qt
