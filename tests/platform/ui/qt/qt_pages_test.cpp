// The Qt backend offscreen: pages laid out by dialog units over the dialog
// font, answered through the window (clicks, Alt+accelerators, Esc, the close
// box, F1), help windows and the "Failed to launch help." box, notices, and a
// second copy's request to come to the front.
#include <gtest/gtest.h>
#include <unistd.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFontDatabase>
#include <QFontInfo>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QTimer>
#include <functional>

#include "app_state/troubleshooter_app.h"
#include "outcome/step_outcome.h"
#include "pages/standard_page.h"
#include "pages/wait_notices.h"
#include "platform/base/cp936.h"
#include "platform/help/help.h"
#include "platform/system/instance.h"
#include "platform/ui/qt/qt_backend.h"
#include "platform/ui/qt/qt_dialog.h"
#include "platform/ui/qt/qt_group_box.h"
#include "platform/ui/qt/qt_support.h"
#include "platform/ui/qt/win95_style.h"
#include "resources/dialog_templates.h"
#include "resources/icons.h"
#include "support/temp_machine.h"

namespace dxl {
namespace {

using w95::ui::qt::QtDialog;

template <typename T>
T* VisibleTopLevel(const std::function<bool(T*)>& wanted = [](T*) { return true; }) {
  for (QWidget* widget : QApplication::topLevelWidgets()) {
    auto* typed = dynamic_cast<T*>(widget);
    if (typed && typed->isVisible() && wanted(typed)) return typed;
  }
  return nullptr;
}

// WinHelp's window over the printing system's help file, if it is shown.
QWidget* HelpWindow() {
  return VisibleTopLevel<QWidget>([](QWidget* widget) { return widget->windowTitle() == "C:\\WINDOWS\\DXLQ7IN.HLP"; });
}

class QtPages : public ::testing::Test {
 protected:
  void SetUp() override {
    machine_.Builder().InstallPrintingSystem();
    ResetProgramState();
    theApp().helpFilePath = "C:\\WINDOWS\\DXLQ7IN.HLP";
    w95::ui::SetBackend(w95::ui::MakeQtBackend());
  }
  void TearDown() override { w95::ui::SetBackend(nullptr); }

  // Shows `page` and runs `act` on its window once it is up; a watchdog ends
  // a page that is still up after five seconds with -99.
  int Run(int page, std::function<void(QtDialog&)> act) {
    QTimer::singleShot(0, [act] {
      QtDialog* dialog = VisibleTopLevel<QtDialog>();
      ASSERT_NE(dialog, nullptr);
      QApplication::setActiveWindow(dialog);
      dialog->activateWindow();
      act(*dialog);
    });
    QTimer watchdog;
    watchdog.setSingleShot(true);
    QObject::connect(&watchdog, &QTimer::timeout, [] {
      if (QtDialog* dialog = VisibleTopLevel<QtDialog>()) dialog->done(-99);
    });
    watchdog.start(5000);
    return ShowPage(page);
  }

  // A key typed into the page (made the active window first, as a user's
  // click on it would).
  static void Key(QtDialog& dialog, Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QApplication::setActiveWindow(&dialog);
    QTest::keyClick(dialog.windowHandle(), key, modifiers);
  }

  static std::string LabelText(QtDialog& dialog, int id) {
    return qobject_cast<QLabel*>(dialog.Item(id))->text().toStdString();
  }

  // Shows a dialog outside a modal run and makes it the active window.
  static void Show(QtDialog& dialog) {
    dialog.show();
    QApplication::setActiveWindow(&dialog);
    QApplication::processEvents();
  }

  static int IdOf(QtDialog& dialog, QWidget* widget) {
    for (const auto& control : dialog.Template().controls)
      if (dialog.Item(control.id) == widget) return control.id;
    return -1;
  }

  // The dialog seam: what a dialog's logic is told.
  struct Recorder : w95::ui::DialogEvents {
    void OnCommand(w95::ui::DialogView&, int id) override { commands.push_back(id); }
    std::vector<int> commands;
  };

  testing::TempMachine machine_;
  w95::ui::DialogEvents noEvents_;
};

TEST_F(QtPages, LayoutFollowsDialogUnitsOfTheChineseDialogFont) {
  int code = Run(133, [](QtDialog& dialog) {
    const auto& units = dialog.Units();
    EXPECT_GE(units.baseWidth, 5);
    EXPECT_GE(units.baseHeight, 11);
    EXPECT_EQ(dialog.size(), QSize(units.X(220), units.Y(110)));
    EXPECT_TRUE(QFontMetrics(dialog.font()).inFont(QChar(0x6545)));  // 故
    auto* yes = dialog.findChildren<QPushButton*>().at(0);
    EXPECT_EQ(yes->text().toStdString(), "是(&Y)");
    EXPECT_EQ(yes->geometry(), QRect(units.X(18), units.Y(44), units.X(45), units.Y(15)));
    EXPECT_EQ(dialog.windowTitle().toStdString(), "Tavix KRT-310 故障排除程序");
    EXPECT_TRUE(dialog.windowFlags() & Qt::WindowCloseButtonHint);
    // The exclamation icon is painted at (20, 23): its middle is not background.
    QImage image = dialog.grab().toImage();
    qreal scale = image.devicePixelRatio();
    EXPECT_NE(image.pixelColor(QPoint(36, 39) * scale), image.pixelColor(QPoint(5, 5) * scale));
    EXPECT_EQ(image.pixelColor(QPoint(10, 90) * scale), image.pixelColor(QPoint(5, 5) * scale));
    Key(dialog, Qt::Key_Escape);
  });
  EXPECT_EQ(code, 2);
}

// The dialog font names an installed face: the one Qt's substitution of
// SimSun would give, at 9 points of 96 dots per inch, drawn from the face's
// own bitmaps on a screen of one device pixel per pixel.
TEST_F(QtPages, TheDialogFontIsTheInstalledFaceThatStandsForSimSun) {
  for (const char* name : {"SimSun", "宋体"}) {
    w95::ui::DialogTemplate dialog = *FindDialogTemplate(133);
    dialog.fontName = name;
    QFont font = w95::ui::qt::DialogFont(dialog);
    EXPECT_TRUE(QFontDatabase::hasFamily(font.family())) << name << ": " << font.family().toStdString();
    QFont substituted(w95::ui::qt::FromUtf8(name));
    substituted.setPixelSize(12);
    EXPECT_EQ(QFontInfo(font).family(), QFontInfo(substituted).family()) << name;
    EXPECT_EQ(font.pixelSize(), 12) << name;
    EXPECT_EQ(font.styleStrategy() == QFont::NoAntialias, qApp->devicePixelRatio() == 1.0) << name;
  }
}

TEST_F(QtPages, TheWindowIconIsTheProgramsPrinter) {
  Run(133, [](QtDialog& dialog) {
    EXPECT_TRUE(dialog.windowIcon().isNull());
    dialog.SetWindowIcon(IconXpm(kProgramIcon));
    QPixmap icon = dialog.windowIcon().pixmap(32, 32);
    EXPECT_EQ(icon.size(), QSize(32, 32) * icon.devicePixelRatio());
    QImage image = icon.toImage();
    EXPECT_EQ(image.pixelColor(0, 0).alpha(), 0);           // transparent corner
    EXPECT_EQ(image.pixelColor(10, 3), QColor(Qt::white));  // the paper
    Key(dialog, Qt::Key_Escape);
  });
}

TEST_F(QtPages, FilledLinesShowTheSharedState) {
  theApp().portNumber = 3;
  theApp().printerPorts = "LPT1:";
  Run(131, [](QtDialog& dialog) {
    EXPECT_EQ(LabelText(dialog, 1016), "Tavix KRT-310 被连接到 LPT1:。");
    EXPECT_EQ(LabelText(dialog, 1015), "您已选择 LPT3:。");
    Key(dialog, Qt::Key_X, Qt::AltModifier);
  });
  otherPrinterNames = {"<b>Printer</b> & Co"};
  Run(149, [](QtDialog& dialog) {
    // Plain text: a printer name is never taken for markup.
    auto* line = qobject_cast<QLabel*>(dialog.Item(1029));
    EXPECT_EQ(line->textFormat(), Qt::PlainText);
    EXPECT_EQ(line->text().toStdString(), "<b>Printer</b> & Co 被连接到 LPT3:");
    Key(dialog, Qt::Key_Escape);
  });
}

TEST_F(QtPages, ButtonsAnswerClicksAndAltAccelerators) {
  StepOutcome.nextStep = 0;
  EXPECT_EQ(Run(133, [](QtDialog& dialog) { Key(dialog, Qt::Key_Y, Qt::AltModifier); }), 22);
  EXPECT_EQ(StepOutcome.nextStep, 4);
  EXPECT_EQ(Run(134, [](QtDialog& dialog) { Key(dialog, Qt::Key_N, Qt::AltModifier); }), 0);
  EXPECT_EQ(StepOutcome.nextStep, 5);
  EXPECT_EQ(
      Run(155,
          [](QtDialog& dialog) { QTest::mouseClick(qobject_cast<QPushButton*>(dialog.Item(1012)), Qt::LeftButton); }),
      21);
  EXPECT_EQ(StepOutcome.nextStep, 17);
  theApp().statusFlags = ErrorRecorded | RunCompleted;
  EXPECT_EQ(Run(131, [](QtDialog& dialog) { Key(dialog, Qt::Key_B, Qt::AltModifier); }), 0);
  EXPECT_EQ(theApp().statusFlags, RunCompleted);
  EXPECT_EQ(Run(145, [](QtDialog& dialog) { Key(dialog, Qt::Key_R, Qt::AltModifier); }), 25);
  EXPECT_EQ(Run(148, [](QtDialog& dialog) { Key(dialog, Qt::Key_X, Qt::AltModifier); }), 23);
}

TEST_F(QtPages, EscAndCloseBoxEndWithTwoUnlessThePageIgnoresThem) {
  EXPECT_EQ(Run(137, [](QtDialog& dialog) { dialog.close(); }), 2);
  int code = Run(145, [](QtDialog& dialog) {
    EXPECT_FALSE(dialog.windowFlags() & Qt::WindowCloseButtonHint);
    Key(dialog, Qt::Key_Escape);
    dialog.close();
    EXPECT_TRUE(dialog.isVisible());
    Key(dialog, Qt::Key_E, Qt::AltModifier);
  });
  EXPECT_EQ(code, 24);
  EXPECT_EQ(Run(102,
                [](QtDialog& dialog) {
                  Key(dialog, Qt::Key_Escape);
                  EXPECT_TRUE(dialog.isVisible());
                  Key(dialog, Qt::Key_Return);  // the default button, Yes
                }),
            6);
}

TEST_F(QtPages, F1AndHelpButtonOpenTheTopicInAHelpWindowAndThePageStays) {
  int code = Run(138, [](QtDialog& dialog) {
    Key(dialog, Qt::Key_F1);
    QWidget* help = HelpWindow();
    ASSERT_NE(help, nullptr);
    EXPECT_NE(help->findChild<QLabel*>(), nullptr);
    EXPECT_EQ(help->findChild<QLabel*>()->text().toStdString(), "登记项目");
    help->close();
    EXPECT_TRUE(dialog.isVisible());
    QTest::mouseClick(qobject_cast<QPushButton*>(dialog.Item(1013)), Qt::LeftButton);
    EXPECT_NE(HelpWindow(), nullptr);
    Key(dialog, Qt::Key_C, Qt::AltModifier);
  });
  EXPECT_EQ(code, 0);
  EXPECT_EQ(StepOutcome.nextStep, 9);
}

// The rows of `image` (inside `inset` pixels of border) that hold dark (text) pixels: first and last.
std::pair<int, int> InkRows(const QImage& image, int inset) {
  int first = -1, last = -1;
  for (int y = inset; y < image.height() - inset; ++y)
    for (int x = inset; x < image.width() - inset; ++x)
      if (image.pixelColor(x, y).lightness() < 100) {
        if (first < 0) first = y;
        last = y;
        break;
      }
  return {first, last};
}

// Measured on the start page's real widgets, against a Windows 95 dialog of
// the same dialog units: the group box title on its frame line, the figures
// centred in their sunken fields.
TEST_F(QtPages, StartPageGroupBoxAndSunkenFiguresLookAsOnWindows95) {
  Run(102, [](QtDialog& dialog) {
    dialog.SetItemText(1007, "16384");
    dialog.SetItemText(1008, "512");
    auto* group = dialog.findChild<w95::ui::qt::GroupBox*>();
    ASSERT_NE(group, nullptr);
    EXPECT_EQ(group->text().toStdString(), "系统信息");
    QImage image = dialog.grab().toImage();
    image.setDevicePixelRatio(1);
    const int line = group->y() + group->FrameTop();
    const QRect title = group->TitleRect().translated(group->pos());
    // The frame starts half a line below the box's top, not under a title row (Qt's styles: about 32 px).
    EXPECT_LE(line - group->y(), group->fontMetrics().height() / 2 + 1) << line;
    EXPECT_LE(std::abs(title.center().y() - line), 1) << "the title is not on the frame line";
    EXPECT_GE(dialog.Item(1007)->y() - line, 8) << "the frame touches the sunken field";
    const QColor background = image.pixelColor(2, 2);
    EXPECT_NE(image.pixelColor(group->x() + 3, line), background);               // frame, left of the title
    EXPECT_NE(image.pixelColor(title.right() + 6, line), background);            // frame, right of the title
    EXPECT_EQ(image.pixelColor(title.right() + 6, group->y() + 1), background);  // nothing above the line
    EXPECT_EQ(InkRows(image.copy(title), 0).first >= 0, true) << "no title drawn";
    for (int id : {1007, 1008}) {
      auto* field = qobject_cast<QLabel*>(dialog.Item(id));
      ASSERT_NE(field, nullptr);
      QImage shot = field->grab().toImage();
      shot.setDevicePixelRatio(1);
      const int border = field->frameWidth();
      auto [first, last] = InkRows(shot, border);
      ASSERT_GE(first, 0) << id << ": no figures drawn";
      int above = first - border, below = shot.height() - border - 1 - last;
      EXPECT_GE(below, 1) << id << ": the figures sit on the bottom border";
      EXPECT_LE(std::abs(above - below), 2) << id << ": above " << above << ", below " << below;
    }
    Key(dialog, Qt::Key_Return);
  });
}

// Every window lies on the screen: the help window as it opens, and a window
// moved past the screen's corner is brought back by KeepOnScreen.
TEST_F(QtPages, HelpWindowAndPagesStayOnTheScreen) {
  Run(138, [](QtDialog& dialog) {
    const QRect screen = dialog.screen()->availableGeometry();
    EXPECT_TRUE(screen.contains(dialog.frameGeometry())) << "page off the screen";
    Key(dialog, Qt::Key_F1);
    QWidget* help = HelpWindow();
    ASSERT_NE(help, nullptr);
    EXPECT_TRUE(screen.contains(help->frameGeometry()))
        << "help at " << help->frameGeometry().x() << "," << help->frameGeometry().y() << " "
        << help->frameGeometry().width() << "x" << help->frameGeometry().height();
    help->move(screen.right() - 20, screen.bottom() - 20);
    w95::ui::qt::KeepOnScreen(*help);
    EXPECT_TRUE(screen.contains(help->frameGeometry()));
    help->resize(screen.width() * 2, screen.height() * 2);
    w95::ui::qt::KeepOnScreen(*help);
    EXPECT_TRUE(screen.contains(help->frameGeometry()));
    help->close();
    Key(dialog, Qt::Key_C, Qt::AltModifier);
  });
}

TEST_F(QtPages, MissingHelpShowsFailedToLaunchHelp) {
  machine_.Builder().Remove("C:\\WINDOWS\\DXLQ7IN.HLP");
  std::string message;
  int code = Run(141, [&message](QtDialog& dialog) {
    QTimer::singleShot(0, [&message] {
      auto* box = VisibleTopLevel<QMessageBox>();
      ASSERT_NE(box, nullptr);
      message = box->text().toStdString();
      box->accept();
    });
    Key(dialog, Qt::Key_F1);
    EXPECT_TRUE(dialog.isVisible());
    Key(dialog, Qt::Key_X, Qt::AltModifier);
  });
  EXPECT_EQ(code, 20);
  EXPECT_EQ(message, "Failed to launch help.");
}

TEST_F(QtPages, NoticesAreShownAtOnceWithoutCloseBoxAndGoWithTheirObject) {
  auto notice = CreateCheckingNetworkDialog();
  auto* window = VisibleTopLevel<QtDialog>();
  ASSERT_NE(window, nullptr);
  EXPECT_EQ(window->Template().id, 150);
  EXPECT_FALSE(window->windowFlags() & Qt::WindowCloseButtonHint);
  EXPECT_FALSE(window->isModal());
  EXPECT_EQ(qobject_cast<QLabel*>(window->findChildren<QLabel*>().at(0))->text().toStdString(),
            "故障排除程序正在检查网络。");
  notice.reset();
  EXPECT_EQ(VisibleTopLevel<QtDialog>(), nullptr);
}

TEST_F(QtPages, ASecondCopyBringsThePageToTheFront) {
  std::string name = "qt-test-" + std::to_string(getpid());
  w95::InstanceMarker marker = w95::CreateInstanceMarker(name);
  ASSERT_TRUE(marker);
  int before = w95::ui::QtForegroundRaises();
  int code = Run(133, [name, before](QtDialog& dialog) {
    EXPECT_TRUE(w95::RequestForeground(name));
    for (int i = 0; i < 100 && w95::ui::QtForegroundRaises() == before; ++i) QTest::qWait(20);
    EXPECT_EQ(w95::ui::QtForegroundRaises(), before + 1);
    Key(dialog, Qt::Key_X, Qt::AltModifier);
  });
  EXPECT_EQ(code, 20);
}

TEST_F(QtPages, SortedListAndViewCallsBehaveLikeTheirWindowsMessages) {
  Run(102, [](QtDialog& dialog) {
    dialog.ResetContent(1009);
    EXPECT_EQ(dialog.GetCurSel(1009), w95::ui::CB_ERR);
    EXPECT_EQ(dialog.AddString(1009, "LPT2:[\xb1\xbe\xb5\xd8]"), 0);
    EXPECT_EQ(dialog.AddString(1009, "LPT1:[\xb1\xbe\xb5\xd8]"), 0);
    EXPECT_EQ(dialog.AddString(1009, "LPT4:[x]"), 2);
    EXPECT_EQ(dialog.GetCount(1009), 3);
    EXPECT_EQ(dialog.GetCurSel(1009), w95::ui::CB_ERR);
    EXPECT_EQ(dialog.SetCurSel(1009, 1), 1);
    EXPECT_EQ(dialog.GetItemText(1009), "LPT2:[\xb1\xbe\xb5\xd8]");  // CP936 in, CP936 out
    EXPECT_EQ(dialog.SetCurSel(1009, 7), w95::ui::CB_ERR);
    dialog.SetItemText(1007, "512");
    EXPECT_EQ(dialog.GetItemText(1007), "512");
    dialog.EnableItem(7, false);
    EXPECT_FALSE(dialog.IsItemEnabled(7));
    Key(dialog, Qt::Key_N, Qt::AltModifier);  // disabled: nothing
    EXPECT_TRUE(dialog.isVisible());
    dialog.EnableItem(7, true);
    Key(dialog, Qt::Key_N, Qt::AltModifier);
  });
}

// Every page in the look of a Windows 95 dialog: the grey face, square raised
// buttons (white top left, black bottom right), the default button in a black
// frame, and the system icon pixel for pixel as drawn for the project.
TEST_F(QtPages, EveryPageHasWindowsButtonsAndWindows95Icons) {
  for (const auto* page : AllDialogTemplates()) {
    if (page->modeless) continue;
    QtDialog dialog(*page, &noEvents_);
    Show(dialog);
    QImage image = dialog.grab().toImage();
    image.setDevicePixelRatio(1);
    const qreal scale = dialog.devicePixelRatio();
    EXPECT_EQ(image.pixelColor(QPoint(2, 2) * scale), QColor(0xC0, 0xC0, 0xC0)) << page->id;
    for (auto* button : dialog.findChildren<QPushButton*>()) {
      const QRect box(button->mapTo(&dialog, QPoint(0, 0)) * scale, button->size() * scale);
      const QColor topLeft = image.pixelColor(box.topLeft()), bottomRight = image.pixelColor(box.bottomRight());
      EXPECT_EQ(bottomRight, QColor(Qt::black)) << page->id << " " << button->text().toStdString();
      if (button->isDefault())
        EXPECT_EQ(topLeft, QColor(Qt::black))
            << page->id << ": the default button has no frame " << button->text().toStdString() << " " << box.x() << ","
            << box.y() << " focus " << button->hasFocus();
      else
        EXPECT_EQ(topLeft, QColor(Qt::white)) << page->id << ": " << button->text().toStdString();
    }
    if (page->icon == w95::ui::SystemIcon::None) continue;
    QImage icon = w95::ui::qt::SystemIconPixmap(page->icon).toImage();
    int differing = 0;
    for (int y = 0; y < 32; ++y)
      for (int x = 0; x < 32; ++x)
        if (icon.pixelColor(x, y).alpha() == 255 &&
            image.pixelColor(QPoint(page->iconX + x, page->iconY + y) * scale) != icon.pixelColor(x, y))
          ++differing;
    EXPECT_EQ(differing, 0) << page->id << ": the icon is not ours";
  }
}

// Keys as a Windows dialog takes them on every page without an edit: the
// accelerator letter alone (the focus on a button) and with Alt press its
// button; Enter presses the button that has the focus, else the default one.
TEST_F(QtPages, PlainAndAltAcceleratorsPressTheirButtonsOnPagesWithoutAnEdit) {
  int pages = 0;
  for (const auto* page : AllDialogTemplates()) {
    bool hasEdit = false;
    for (const auto& control : page->controls) hasEdit = hasEdit || control.kind == w95::ui::ControlKind::Edit;
    if (page->modeless || hasEdit) continue;
    ++pages;
    Recorder events;
    QtDialog dialog(*page, &events);
    Show(dialog);
    QPushButton* first = dialog.findChildren<QPushButton*>().at(0);
    for (const auto& control : page->controls) {
      char letter = w95::ui::AcceleratorOf(control.text);
      if (letter == 0 || control.kind == w95::ui::ControlKind::Static) continue;
      auto key = static_cast<Qt::Key>(Qt::Key_A + (letter - 'A'));
      first->setFocus();
      events.commands.clear();
      Key(dialog, key);
      EXPECT_EQ(events.commands, std::vector<int>({control.id})) << page->id << " " << letter;
      Key(dialog, key, Qt::AltModifier);
      EXPECT_EQ(events.commands, std::vector<int>({control.id, control.id})) << page->id << " " << letter;
    }
    events.commands.clear();
    first->setFocus();
    Key(dialog, Qt::Key_Return);
    EXPECT_EQ(events.commands, std::vector<int>({IdOf(dialog, first)})) << page->id;
    if (auto* list = dialog.findChild<QComboBox*>()) {
      list->setFocus();
      events.commands.clear();
      Key(dialog, Qt::Key_Return);
      EXPECT_EQ(events.commands, std::vector<int>({6})) << "Enter in the port list presses Yes";
    }
  }
  EXPECT_GE(pages, 20);
  // On the results page the letter typed into the report is no accelerator; Alt+letter still is.
  Recorder events;
  QtDialog results(*FindDialogTemplate(142), &events);
  Show(results);
  results.Item(1031)->setFocus();
  Key(results, Qt::Key_C);
  EXPECT_TRUE(events.commands.empty());
  Key(results, Qt::Key_C, Qt::AltModifier);
  EXPECT_EQ(events.commands, std::vector<int>({1011}));
}

// WinHelp's window for the user: it opens beside the page without taking its
// focus, Esc closes it, and HELP_QUIT closes it too.
TEST_F(QtPages, HelpWindowLeavesTheFocusOnThePageAndGoesOnEscOrHelpQuit) {
  Run(138, [](QtDialog& dialog) {
    QWidget* focused = QApplication::focusWidget();
    Key(dialog, Qt::Key_F1);
    QWidget* help = HelpWindow();
    ASSERT_NE(help, nullptr);
    EXPECT_EQ(QApplication::activeWindow(), &dialog);
    EXPECT_EQ(QApplication::focusWidget(), focused);
    QApplication::setActiveWindow(help);
    QTest::keyClick(help->windowHandle(), Qt::Key_Escape);
    EXPECT_FALSE(help->isVisible());
    EXPECT_TRUE(dialog.isVisible());
    Key(dialog, Qt::Key_F1);
    EXPECT_NE(HelpWindow(), nullptr);
    EXPECT_EQ(w95::WinHelpA(theApp().helpFilePath, w95::HELP_QUIT, 0), 1);
    EXPECT_EQ(HelpWindow(), nullptr);
    Key(dialog, Qt::Key_C, Qt::AltModifier);
  });
}

}  // namespace
}  // namespace dxl
