// Program start: creates every window once, in its fixed order with the main
// window first, and runs the event loop.

#include "main/startup.h"
#include "ui/application.h"

int main(int argc, char* argv[]) {
  korvel::ui::Application app(argc, argv);
  return korvel::runProgram(app);
}
