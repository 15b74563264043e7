// The Qt Save-As dialog offscreen, as the results page opens it: Chinese
// labels, the machine's folders as C:\..., names typed as Windows names, and
// no way out of the machine's drive C:.
#include "platform/ui/qt/qt_save_dialog.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <filesystem>
#include <functional>

#include "platform/ui/common_dialogs.h"
#include "platform/ui/qt/qt_backend.h"
#include "support/temp_machine.h"

namespace dxl {
namespace {

using w95::ui::qt::SaveAsDialog;

class QtSaveAs : public ::testing::Test {
 protected:
  void SetUp() override {
    machine_.Builder().InstallPrintingSystem();
    machine_.Builder().File("C:\\WINDOWS\\DXL\\OLD.LOG", "old");
    w95::ui::SetBackend(w95::ui::MakeQtBackend());
    request_.filter = std::string("*.*\0*.*\0", 8);
    request_.file = "C:\\WINDOWS\\DXL\\25010100.LOG";
    request_.initialDir = "C:\\WINDOWS\\DXL";
    request_.flags = w95::OFN_OVERWRITEPROMPT | w95::OFN_HIDEREADONLY | w95::OFN_PATHMUSTEXIST;
  }
  void TearDown() override { w95::ui::SetBackend(nullptr); }

  // Runs GetSaveFileNameA with `act` on the dialog once it is up; a watchdog
  // rejects a dialog still up after five seconds.
  w95::BOOL Run(std::function<void(SaveAsDialog&)> act) {
    QTimer::singleShot(0, [act] {
      SaveAsDialog* dialog = Dialog();
      ASSERT_NE(dialog, nullptr);
      act(*dialog);
    });
    QTimer watchdog;
    watchdog.setSingleShot(true);
    QObject::connect(&watchdog, &QTimer::timeout, [] {
      if (SaveAsDialog* dialog = Dialog()) dialog->done(QDialog::Rejected);
    });
    watchdog.start(5000);
    return w95::GetSaveFileNameA(request_);
  }

  static SaveAsDialog* Dialog() {
    for (QWidget* widget : QApplication::topLevelWidgets())
      if (auto* dialog = dynamic_cast<SaveAsDialog*>(widget); dialog && dialog->isVisible()) return dialog;
    return nullptr;
  }

  // Types `name` and presses Enter; the message box that may come is
  // answered with its first button and its text returned.
  static std::string Type(SaveAsDialog& dialog, const QString& name) {
    std::string message;
    QTimer::singleShot(0, [&message] {
      for (QWidget* widget : QApplication::topLevelWidgets())
        if (auto* box = qobject_cast<QMessageBox*>(widget); box && box->isVisible()) {
          message = box->text().toStdString();
          box->buttons().at(0)->click();
        }
    });
    dialog.findChild<QLineEdit*>()->setText(name);
    QApplication::setActiveWindow(&dialog);
    QTest::keyClick(dialog.windowHandle(), Qt::Key_Return);
    return message;
  }

  testing::TempMachine machine_;
  w95::OpenFileNameA request_;
};

// Every text the dialog shows.
std::vector<std::string> Texts(SaveAsDialog& dialog) {
  std::vector<std::string> texts = {dialog.windowTitle().toStdString()};
  for (auto* label : dialog.findChildren<QLabel*>()) texts.push_back(label->text().toStdString());
  for (auto* button : dialog.findChildren<QPushButton*>()) texts.push_back(button->text().toStdString());
  for (auto* combo : dialog.findChildren<QComboBox*>())
    for (int i = 0; i < combo->count(); ++i) texts.push_back(combo->itemText(i).toStdString());
  for (auto* list : dialog.findChildren<QListWidget*>())
    for (int i = 0; i < list->count(); ++i) texts.push_back(list->item(i)->text().toStdString());
  texts.push_back(dialog.findChild<QLineEdit*>()->text().toStdString());
  return texts;
}

TEST_F(QtSaveAs, ShowsTheMachinesFolderInChineseAndNothingOfTheHost) {
  const std::string root = machine_.Root().string();
  EXPECT_EQ(Run([&root](SaveAsDialog& dialog) {
              EXPECT_EQ(dialog.Folder().toStdString(), "C:\\WINDOWS\\DXL");
              std::vector<std::string> texts = Texts(dialog);
              for (const char* wanted : {"另存为", "保存在(&I):", "文件名(&N):", "保存类型(&T):", "保存(&S)", "取消",
                                         "C:\\WINDOWS\\DXL", "25010100.LOG", "OLD.LOG"})
                EXPECT_NE(std::find(texts.begin(), texts.end(), wanted), texts.end()) << wanted;
              for (const auto& text : texts) EXPECT_EQ(text.find(root), std::string::npos) << text;
              for (auto* label : dialog.findChildren<QLabel*>()) {
                if (label->text() != QString::fromUtf8("保存在(&I):")) continue;
                EXPECT_EQ(qobject_cast<QComboBox*>(label->buddy())->currentText().toStdString(), "C:\\WINDOWS\\DXL");
              }
              dialog.reject();
            }),
            0);
}

TEST_F(QtSaveAs, RefusesEveryNameOutsideTheMachineAndStaysOnC) {
  // A folder of the machine that is a link out of it.
  std::filesystem::create_directory_symlink(std::filesystem::temp_directory_path(),
                                            machine_.Builder().HostPath("C:\\WINDOWS\\DXL") / "OUT");
  std::vector<std::string> messages;
  w95::BOOL chosen = Run([&messages](SaveAsDialog& dialog) {
    for (const char* name :
         {"D:\\OUT.LOG", "\\\\SERVER\\SHARE\\OUT.LOG", "LPT1:", "NOFOLDER\\OUT.LOG", "A|B.LOG", "OUT\\X.LOG"})
      messages.push_back(Type(dialog, QString::fromUtf8(name)));
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_EQ(dialog.Folder().toStdString(), "C:\\WINDOWS\\DXL");
    // The machine does not show the link: it is not listed and cannot be opened.
    EXPECT_TRUE(dialog.findChild<QListWidget*>()->findItems("OUT", Qt::MatchExactly).isEmpty());
    // ".." stops at the root, as on Windows: never a folder above the machine.
    EXPECT_TRUE(Type(dialog, "..\\..\\..\\..\\..").empty());
    EXPECT_EQ(dialog.Folder().toStdString(), "C:\\");
    EXPECT_TRUE(Type(dialog, "/windows/dxl").empty());
    EXPECT_EQ(dialog.Folder().toStdString(), "C:\\WINDOWS\\DXL");  // as the machine spells it
    Type(dialog, "..\\..\\..\\KEPT.LOG");
  });
  ASSERT_EQ(messages.size(), 6u);
  for (int i : {0, 1, 2}) EXPECT_NE(messages[i].find("不在本机的驱动器 C: 上"), std::string::npos) << messages[i];
  EXPECT_NE(messages[3].find("路径不存在"), std::string::npos) << messages[3];
  EXPECT_NE(messages[4].find("文件名无效"), std::string::npos) << messages[4];
  EXPECT_NE(messages[5].find("路径不存在"), std::string::npos) << messages[5];
  ASSERT_NE(chosen, 0);
  EXPECT_EQ(request_.file, "C:\\KEPT.LOG");
}

TEST_F(QtSaveAs, AnExistingFileIsReplacedOnlyWhenTheUserSaysSo) {
  std::string asked;
  w95::BOOL chosen = Run([&asked](SaveAsDialog& dialog) {
    asked = Type(dialog, "old.log");  // the first button: 是(Y)
  });
  EXPECT_NE(asked.find("已经存在"), std::string::npos) << asked;
  ASSERT_NE(chosen, 0);
  EXPECT_EQ(request_.file, "C:\\WINDOWS\\DXL\\old.log");
}

}  // namespace
}  // namespace dxl
