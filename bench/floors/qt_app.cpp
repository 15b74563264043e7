// The floor of start-up to the first Qt page: an empty QApplication (the
// offscreen platform in the benchmark) that shows one dialog with one line of
// text, draws it and exits.
#include <QApplication>
#include <QDialog>
#include <QLabel>
#include <QTimer>
#include <QVBoxLayout>

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  QDialog dialog;
  auto* layout = new QVBoxLayout(&dialog);
  layout->addWidget(new QLabel(QStringLiteral("Troubleshooting"), &dialog));
  dialog.show();
  QTimer::singleShot(0, &application, [&] {
    dialog.repaint();
    application.quit();
  });
  return application.exec();
}
