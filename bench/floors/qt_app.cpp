// The floor of start-up to the first Qt page: an empty QApplication (the
// offscreen platform in the benchmark) that is made and exits.
#include <QApplication>

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  return 0;
}
