// Program start: creates every window once, in its fixed order with the main
// window first, and runs the event loop.

#include <QApplication>

#include "main/startup.h"

int main(int argc, char* argv[]) {
  QApplication app(argc, argv);
  return korvel::runProgram(app);
}
