// main() for test programs that need an application object (widgets,
// offscreen): the program's own, so that tests see what escapes a handler
// as the user would.
#include <gtest/gtest.h>

#include "ui/application.h"

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty()
                                 ? QByteArray("offscreen")
                                 : qgetenv("QT_QPA_PLATFORM"));
  korvel::ui::Application app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
