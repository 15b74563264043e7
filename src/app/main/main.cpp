#include "app/state/troubleshooter_app.h"

int main() { return dxl::theApp().InitInstance(); }
