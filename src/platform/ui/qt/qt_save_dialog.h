// The Save-As dialog (GetSaveFileNameA) as Windows 95 shows it to a Chinese
// user, in the machine's terms: its folders as C:\..., names typed as Windows
// names, nothing of the host and nothing outside the machine's drive C:.
#pragma once

#include <QDialog>
#include <optional>
#include <string>

#include "platform/ui/backend.h"

class QComboBox;
class QLineEdit;
class QListWidget;
class QListWidgetItem;
class QPushButton;

namespace w95::ui::qt {

// A typed name made a full name on drive C: ("/" read as "\", a bare name put
// in `folder`, "\X" and "C:X" on C:, "." and ".." taken out, never above the
// root); nullopt for another drive, a UNC name or a device.
std::optional<QString> NameOnDriveC(QString typed, const QString& folder);

class SaveAsDialog : public QDialog {
 public:
  explicit SaveAsDialog(const SaveFileRequest& request);

  // The chosen full Windows name (code page 936) once the dialog is accepted.
  const std::string& Chosen() const { return chosen_; }
  // The folder shown ("C:\WINDOWS\DXL").
  QString Folder() const { return folder_; }

  // The Save button and Enter: the typed name is taken, or a folder opened.
  void accept() override;

 private:
  void Build();
  bool Open(const QString& folder);
  void Activated(QListWidgetItem* item);
  void Refuse(const QString& text);

  SaveFileRequest request_;
  QString folder_;
  QString pattern_;
  std::string chosen_;
  QComboBox* lookIn_ = nullptr;
  QPushButton* up_ = nullptr;
  QListWidget* list_ = nullptr;
  QLineEdit* name_ = nullptr;
  QComboBox* type_ = nullptr;
};

}  // namespace w95::ui::qt
