#include "platform/ui/qt/qt_backend.h"

#include <QAbstractButton>
#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPointer>
#include <QSocketNotifier>
#include <QVBoxLayout>

#include "platform/system/instance.h"
#include "platform/ui/qt/qt_dialog.h"
#include "platform/ui/qt/qt_save_dialog.h"
#include "platform/ui/qt/qt_support.h"

namespace w95::ui {

namespace {

using qt::FromCp936;
using qt::QtDialog;

int foregroundRaises = 0;

// Serves a second copy's "come to the front" requests while a page is up.
class ForegroundServer {
 public:
  ForegroundServer() {
    int fd = ForegroundRequestFd();
    if (fd < 0) return;
    notifier_ = std::make_unique<QSocketNotifier>(fd, QSocketNotifier::Read);
    QObject::connect(notifier_.get(), &QSocketNotifier::activated, [] {
      if (!TakeForegroundRequests()) return;
      QWidget* page = QApplication::activeModalWidget();
      if (!page) page = QApplication::activeWindow();
      if (!page) return;
      page->showNormal();
      page->raise();
      page->activateWindow();
      ++foregroundRaises;
    });
  }

 private:
  std::unique_ptr<QSocketNotifier> notifier_;
};

class NoEvents : public DialogEvents {};

class QtNotice : public ModelessDialog {
 public:
  QtNotice(const DialogTemplate& dialog) : ModelessDialog(dialog.id), window_(dialog, &events_) {
    window_.setModal(false);
    window_.setWindowModality(Qt::NonModal);
    window_.show();
    window_.repaint();
    QApplication::processEvents();
  }
  QtDialog& Window() { return window_; }

 private:
  NoEvents events_;
  QtDialog window_;
};

// WinHelp's window: the topic's title and text. It comes up beside the page
// without taking the focus from it, Esc closes it, and it lives until
// HELP_QUIT or the end of the run.
class HelpWindow : public QWidget {
 public:
  HelpWindow() {
    setWindowFlags(Qt::Window);
    setAttribute(Qt::WA_ShowWithoutActivating);
    auto* layout = new QVBoxLayout(this);
    title_ = new QLabel(this);
    title_->setTextFormat(Qt::PlainText);
    QFont bold = title_->font();
    bold.setBold(true);
    title_->setFont(bold);
    body_ = new QPlainTextEdit(this);
    body_->setReadOnly(true);
    layout->addWidget(title_);
    layout->addWidget(body_);
    resize(420, 320);
  }
  void Show(const HelpTopic& topic) {
    setWindowTitle(FromCp936(topic.helpFile));
    title_->setText(FromCp936(topic.title));
    QString body = FromCp936(topic.body);
    body.replace("\r\n", "\n");
    body_->setPlainText(body);
    // The window that had the focus keeps it, on a platform that would
    // activate every window shown too.
    QPointer<QWidget> page = QApplication::activeWindow();
    show();
    qt::KeepOnScreen(*this);
    raise();
    if (page && page != this) page->activateWindow();
    QApplication::processEvents();
  }

 protected:
  void keyPressEvent(QKeyEvent* event) override {
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
      close();
      return;
    }
    QWidget::keyPressEvent(event);
  }

 private:
  QLabel* title_;
  QPlainTextEdit* body_;
};

QMessageBox::Icon BoxIcon(MessageIcon icon) {
  switch (icon) {
    case MessageIcon::Hand: return QMessageBox::Critical;
    case MessageIcon::Exclamation: return QMessageBox::Warning;
    case MessageIcon::Asterisk: return QMessageBox::Information;
    default: return QMessageBox::NoIcon;
  }
}

// A page without a user: shown and drawn, then ended as a console page at the
// end of its input is (platform/ui/unattended.h): the cancel request, the
// page's unattended command, else IDCANCEL.
int EndUnattended(QtDialog& window, DialogEvents& events) {
  constexpr int IDOK = 1, IDCANCEL = 2;
  std::optional<int> ended;
  QObject::connect(&window, &QDialog::finished, [&ended](int code) { ended = code; });
  window.show();
  QApplication::processEvents();
  if (!ended) events.OnCancel(window);
  int command = window.Template().unattendedCommand;
  if (!ended && command != 0) {
    auto* button = qobject_cast<QAbstractButton*>(window.Item(command));
    if (button && button->isEnabled())
      button->click();
    else if (!button && command == IDOK)
      events.OnCommand(window, command);
  }
  window.hide();
  return ended.value_or(IDCANCEL);
}

class QtBackend : public Backend {
 public:
  explicit QtBackend(QtBackendOptions options) : options_(std::move(options)) {
    qt::EnsureApplication(options_.beforeFirstFont);
  }

  int RunModal(const DialogTemplate& dialog, DialogEvents& events) override {
    QtDialog window(dialog, &events);
    events.OnInitDialog(window);
    if (!options_.snapshotDirectory.empty()) {
      Snapshot(window);
      return -1;
    }
    if (options_.unattended) return EndUnattended(window, events);
    ForegroundServer server;
    return window.exec();
  }

  std::unique_ptr<ModelessDialog> CreateModeless(const DialogTemplate& dialog) override {
    auto notice = std::make_unique<QtNotice>(dialog);
    if (!options_.snapshotDirectory.empty()) Snapshot(notice->Window());
    return notice;
  }

  void ShowHelp(const HelpTopic& topic) override {
    if (!help_) help_ = std::make_unique<HelpWindow>();
    help_->Show(topic);
  }

  void MessageBox(std::string_view text, std::string_view caption, MessageIcon icon) override {
    QMessageBox box(BoxIcon(icon), FromCp936(caption), FromCp936(text), QMessageBox::NoButton);
    box.setTextFormat(Qt::PlainText);
    box.addButton(QString::fromUtf8("确定"), QMessageBox::AcceptRole);
    box.exec();
  }

  std::optional<std::string> GetSaveFileName(const SaveFileRequest& request) override {
    qt::SaveAsDialog dialog(request);
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    return dialog.Chosen();
  }

  void CloseHelp() override { help_.reset(); }

 private:
  void Snapshot(QtDialog& window) {
    std::filesystem::create_directories(options_.snapshotDirectory);
    window.show();
    QApplication::processEvents();
    auto file = options_.snapshotDirectory / (std::to_string(window.Template().id) + ".png");
    window.grab().save(QString::fromStdString(file.string()), "PNG");
    window.hide();
  }

  QtBackendOptions options_;
  std::unique_ptr<HelpWindow> help_;
};

}  // namespace

std::unique_ptr<Backend> MakeQtBackend(QtBackendOptions options) {
  return std::make_unique<QtBackend>(std::move(options));
}

int QtForegroundRaises() { return foregroundRaises; }

}  // namespace w95::ui
